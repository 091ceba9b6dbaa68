// The service's routes with any request libmicrohttpd could hand them: the
// method, path, query, token, session and body are taken from the input,
// one per line. No request may crash, hang or act on a camera that is not
// there; the streams' bodies are read once, from closed feeds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/core/serve/ServeRoutes.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string fields[6];
    std::size_t at = 0;
    for (std::string& field : fields) {
        const std::size_t end = input.find('\n', at);
        field = input.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (end == std::string::npos) break;
        at = end + 1;
    }
    ServeRequest request;
    request.method = fields[0];
    request.path = fields[1];
    for (const auto& [key, value] : ReadFormFields(fields[2])) request.query.emplace_back(key, value);
    request.token = fields[3] == "T" ? std::string("token") : fields[3];
    request.session = fields[4];
    request.body = fields[5];
    request.peer = "192.0.2.1";

    CameraService service("token");
    service.setCameras({ServedCamera{"one", 320, 240, "", 10, false}, ServedCamera{"two", 640, 480, "Connecting...", 0, false}});
    service.feeds(0)->own.publish("\xFF\xD8\xFF\xD9");
    service.close();
    ServeRoutesSetup setup;
    ServeReply reply = RouteServeRequest(request, service, setup);
    if (reply.stream) {
        char buffer[256];
        reply.stream(buffer, sizeof buffer);
    }
    for (const ServeOperation& op : service.takeOperations())
        if (op.camera >= 2) __builtin_trap();
    return 0;
}
