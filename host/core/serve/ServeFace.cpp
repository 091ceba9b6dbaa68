#include "host/core/serve/ServeFace.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "host/core/FrameSinks.h"
#include "host/core/ViewScaling.h"
#include "host/core/serve/HttpServer.h"
#include "host/core/serve/ServeLogin.h"
#include "host/core/serve/ServeRoutes.h"
#include "platform/service/ListenAddress.h"
#include "platform/service/StopRequest.h"

// Hands a camera's own JPEGs, untouched, to its relay feed (and keeps the
// last for snapshot.jpg); attached to the control's tap beside any
// recording.
class FrameRelay final : public IFrameSink {
public:
    explicit FrameRelay(FrameFeed& feed) : m_feed(feed) {}
    ~FrameRelay() { follow(nullptr); }
    FrameRelay(const FrameRelay&) = delete;
    FrameRelay& operator=(const FrameRelay&) = delete;

    // Relays from `control` (null: none) from now on.
    void follow(IUnknown* control)
    {
        if (control == m_control) return;
        if (m_tap) {
            DetachFrameSink(m_tap, this);
            m_tap->Release();
            m_tap = nullptr;
        }
        m_control = control;
        if (control && SUCCEEDED(control->QueryInterface(IID_IFrameTap, reinterpret_cast<void**>(&m_tap))) && m_tap)
            AttachFrameSink(m_tap, this);
    }
    HRESULT STDMETHODCALLTYPE OnFrame(const BYTE* bytes, DWORD length, DWORD) override
    {
        m_feed.publish(std::string(reinterpret_cast<const char*>(bytes), length));
        return S_OK;
    }

private:
    FrameFeed& m_feed;
    IUnknown* m_control = nullptr;
    IFrameTap* m_tap = nullptr;
};

namespace {

constexpr auto kDescriptionInterval = std::chrono::seconds(1);

std::string randomToken()
{
    // The standard library's source reads the system's random device
    // (getrandom on Linux, RtlGenRandom through rand_s on Windows).
    std::random_device device;
    std::string token;
    char hex[9];
    for (int i = 0; i < 8; ++i) {
        std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(device()));
        token += hex;
    }
    return token;
}

bool readFile(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return !text.empty() && text.size() < 1024 * 1024;
}

// The report's lines about the number of frames drawn go out once a
// second as the frame rate, not with every frame.
bool frameLine(const std::string& line)
{
    return line.find("\"frame\":") != std::string::npos && line.find("\"width\":") != std::string::npos;
}

} // namespace

ServeFace::ServeFace(const CamviewOptions& options) : m_options(options) {}

ServeFace::~ServeFace() = default;

int ServeFace::run()
{
    if (m_options.sources.empty()) {
        std::fprintf(stderr, "camview: serve: give the cameras' addresses or --wall NAME\n");
        return 2;
    }
    ListenAddress address;
    std::string error;
    if (!ReadListenAddress(m_options.listen, address, error)) {
        std::fprintf(stderr, "camview: serve: %s\n", error.c_str());
        return 2;
    }
    HttpServerSetup setup;
    setup.listen = m_options.listen;
    std::unique_ptr<ServeLogins> logins;
    if ((!address.loopback || !m_options.certificate.empty()) && !HttpServer::tlsAvailable()) {
        // Other machines would get the cameras and the operation token in
        // plain text; without TLS the service is for this machine only.
        std::fprintf(stderr,
                     "camview: serve: this build has no TLS (its HTTP server is built without it), so it serves this "
                     "machine only: listen on 127.0.0.1, not %s%s\n",
                     m_options.listen.c_str(), m_options.certificate.empty() ? "" : ", without --cert and --key");
        return 2;
    }
    if (!address.loopback || !m_options.certificate.empty()) {
        // Off this machine, only over TLS and after a login.
        if (m_options.certificate.empty() || m_options.key.empty()) {
            std::fprintf(stderr,
                         "camview: serve: listening on %s lets other machines connect: give --cert and --key (PEM files) "
                         "for TLS, or listen on 127.0.0.1\n",
                         m_options.listen.c_str());
            return 2;
        }
        if (!readFile(m_options.certificate, setup.certificatePem) || !readFile(m_options.key, setup.keyPem)) {
            std::fprintf(stderr, "camview: serve: cannot read the certificate %s or the key %s\n",
                         m_options.certificate.c_str(), m_options.key.c_str());
            return 2;
        }
    }
    if (!address.loopback) {
        logins = MakeServeLogins(m_options.usersFile, error);
        if (!logins) {
            std::fprintf(stderr, "camview: serve: %s\n", error.c_str());
            return 2;
        }
    }
    m_service = std::make_unique<CameraService>(randomToken());
    ServeRoutesSetup routes;
    routes.logins = logins.get();
    routes.cursor = [this](const std::string& name, std::string& png, int& x, int& y) {
        // Pictures only of the cursors the controls name, read on the
        // viewer's thread's behalf from what does not change.
        return cursorPicture(name, png, x, y);
    };
    HttpServer server;
    CameraService& service = *m_service;
    if (!server.start(setup, [&service, &routes](const ServeRequest& request) { return RouteServeRequest(request, service, routes); },
                      error)) {
        std::fprintf(stderr, "camview: serve: %s\n", error.c_str());
        return 2;
    }
    std::fprintf(stderr, "camview: serving at %s://%s:%u/\n", setup.certificatePem.empty() ? "http" : "https",
                 m_options.listen.substr(0, m_options.listen.rfind(':')).c_str(), static_cast<unsigned>(server.port()));
    WatchStopRequests();

    ViewerShell shell(m_options, *this);
    m_shell = &shell;
    shell.log().setTap([&service](int control, const std::string& line) {
        if (frameLine(line)) return;
        const std::size_t count = service.cameras().size();
        for (std::size_t i = 0; i < count; ++i) {
            if (control >= 0 && static_cast<std::size_t>(control) != i) continue;
            if (CameraFeeds* feeds = service.feeds(i)) feeds->events.publish(line);
        }
    });
    const int status = shell.run();
    m_shell = nullptr;
    // Every watcher's stream ends, then the server waits for their threads.
    service.close();
    server.stop();
    return status;
}

ControlHost* ServeFace::embed(const PageLoad& page)
{
    m_host = embedPage(page);
    if (!m_host) return nullptr;
    m_relays.clear();
    m_nextDescription = {};
    describe();
    followControls();
    return m_host;
}

void ServeFace::endPage()
{
    m_relays.clear();
    m_host = nullptr;
    releasePage();
}

void ServeFace::pump(bool pageLoading)
{
    if (StopRequested() && m_shell) m_shell->close();
    if (pageLoading || !m_host) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return;
    }
    pumpControls(10);
    for (const ServeOperation& op : m_service->takeOperations()) apply(op);
    paintControls();
    followControls();
    publish();
    describe();
}

void ServeFace::followControls()
{
    const std::size_t count = m_host->count();
    for (std::size_t i = m_relays.size(); i < count; ++i)
        if (CameraFeeds* feeds = m_service->feeds(i)) m_relays.push_back(std::make_unique<FrameRelay>(feeds->own));
    for (std::size_t i = 0; i < m_relays.size() && i < count; ++i) m_relays[i]->follow(m_host->control(i));
}

void ServeFace::apply(const ServeOperation& op)
{
    if (!m_host || op.camera >= m_host->count()) return;
    m_target = static_cast<int>(op.camera);
    if (op.pointer) {
        // The browser's picture is a view of the control's cell, as the
        // window's is of the grid: the same mapping back.
        const ViewScaling scaling(m_host->cell(op.camera), RECT{0, 0, op.width, op.height});
        pointer(op.kind, op.button, scaling.toPicture(POINT{op.x, op.y}), op.notches);
    } else if (op.command == "stop") {
        m_shell->stopCamera(op.camera);
    } else if (op.command == "reload") {
        m_shell->command(ViewerCommand::Reload, "browser");
    } else if (op.command == "record") {
        m_shell->command(ViewerCommand::Record, "browser");
    } else if (op.command == "snapshot") {
        m_shell->command(ViewerCommand::Snapshot, "browser");
    }
    m_target = -1;
}

void ServeFace::publish()
{
    const std::size_t count = m_host->count();
    for (std::size_t i = 0; i < count; ++i) {
        CameraFeeds* feeds = m_service->feeds(i);
        if (!feeds) continue;
        const bool wanted = feeds->wanted.exchange(false, std::memory_order_acq_rel);
        // Encoded once for each picture drawn, while anyone watches.
        if (feeds->painted.watchers() == 0 || (!wanted && !cameraPainted(i))) continue;
        std::string jpeg = EncodeJpeg(pixels(), m_host->cell(i));
        if (!jpeg.empty()) feeds->painted.publish(std::move(jpeg));
    }
}

void ServeFace::describe()
{
    const auto now = std::chrono::steady_clock::now();
    if (now < m_nextDescription || !m_host || !m_shell) return;
    m_nextDescription = now + kDescriptionInterval;
    std::vector<ServedCamera> cameras;
    for (std::size_t i = 0; i < m_host->count(); ++i) {
        const RECT cell = m_host->cell(i);
        ServedCamera camera;
        camera.name = m_host->cameraName(i);
        if (camera.name.empty()) camera.name = m_host->cameraHost(i);
        camera.width = cell.right - cell.left;
        camera.height = cell.bottom - cell.top;
        camera.fps = m_shell->frameRate(i);
        // The control's text while it shows no picture.
        if (camera.fps <= 0) camera.status = m_shell->cameraStatus(i);
        camera.recording = m_shell->recording(i);
        cameras.push_back(std::move(camera));
    }
    m_service->setCameras(cameras);
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "{\"fps\":%.1f}", cameras[i].fps);
        if (CameraFeeds* feeds = m_service->feeds(i)) feeds->events.publish(line);
    }
}
