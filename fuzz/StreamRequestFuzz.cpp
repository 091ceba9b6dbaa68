// Building the stream request from arbitrary page addresses, stream paths,
// user names and passwords: the credentials are encoded whole or refused,
// the request fits its buffer or is not built, and its target never names
// a user.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "stream/StreamClient.h"

namespace {

// The next field of the input: the text up to a line feed (or the end).
std::string field(const std::string& text, std::size_t& from)
{
    if (from >= text.size()) return std::string();
    const std::size_t end = text.find('\n', from);
    const std::string value = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
    from = end == std::string::npos ? text.size() : end + 1;
    return value;
}

bool isBase64(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/' || c == '=';
}

// The address of an absolute request target holds no at sign.
void checkTarget(const std::string& request)
{
    const std::size_t lineEnd = request.find(" HTTP/1.0\r\n");
    if (request.compare(0, 4, "GET ") != 0 || lineEnd == std::string::npos) std::abort();
    std::string target = request.substr(4, lineEnd - 4);
    for (std::size_t i = 0; i < 7 && i < target.size(); ++i)
        target[i] = static_cast<char>(target[i] >= 'A' && target[i] <= 'Z' ? target[i] - 'A' + 'a' : target[i]);
    if (target.compare(0, 7, "http://") != 0) return;
    const std::size_t end = target.find_first_of("/?#", 7);
    const std::size_t at = target.find('@', 7);
    if (at != std::string::npos && (end == std::string::npos || at < end)) std::abort();
}

} // namespace

// Input: stream path, page address, user name and password, one a line
// (the password takes the rest, line feeds included).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static CStreamBuffer* buffer = new CStreamBuffer;
    static CStreamClient* client = [] {
        auto* c = new CStreamClient(buffer);
        c->PublishState(STREAM_FAILED); // the worker stays idle
        return c;
    }();
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    StreamBufferBlock* b = buffer->GetBlock();
    b->path = field(text, at);
    b->pageUrl = field(text, at);
    b->userName = field(text, at);
    b->password = at < text.size() ? text.substr(at) : std::string();
    b->credentials.clear();
    b->hostPrefix.clear();

    if (!client->Locate()) {
        // No camera address: the client still builds a request for whatever
        // path it last took, bounded as always.
        b->port = 80;
        client->TakeRequestPath();
    }

    client->BuildCredentials();
    const std::string plain = b->userName + ":" + b->password;
    const bool any = !b->userName.empty() || !b->password.empty();
    if (any && plain.size() <= static_cast<std::size_t>(STREAM_MAX_CREDENTIALS)) {
        static const char kPrefix[] = "Authorization: Basic ";
        const std::size_t prefix = sizeof kPrefix - 1;
        if (b->credentials.compare(0, prefix, kPrefix) != 0) std::abort();
        if (b->credentials.size() - prefix != (plain.size() + 2) / 3 * 4) std::abort();
        for (std::size_t i = prefix; i < b->credentials.size(); ++i)
            if (!isBase64(b->credentials[i])) std::abort();
    } else if (!b->credentials.empty()) {
        std::abort(); // refused or absent credentials add no line
    }

    const std::string request = client->BuildRequest();
    if (request.size() > static_cast<std::size_t>(STREAM_REQUEST_SIZE - 1)) std::abort();
    if (any && plain.size() > static_cast<std::size_t>(STREAM_MAX_CREDENTIALS) && !request.empty()) std::abort();
    if (!request.empty()) {
        if (request.size() < 4 || request.compare(request.size() - 4, 4, "\r\n\r\n") != 0) std::abort();
        checkTarget(request);
    }
    return 0;
}
