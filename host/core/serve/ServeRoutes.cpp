#include "host/core/serve/ServeRoutes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include <microhttpd.h>

#include "host/core/EventLog.h"
#include "host/core/serve/PageAssets.h"
#include "host/core/serve/Streams.h"

namespace {

constexpr const char* kSessionCookie = "camview_session";
constexpr const char* kPageSecurity =
    "default-src 'self'; img-src 'self' data:; frame-src 'none'; object-src 'none'; base-uri 'none'; "
    "form-action 'self'; frame-ancestors 'none'";

// Compares without stopping at the first difference.
bool sameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    unsigned char differ = 0;
    for (std::size_t i = 0; i < a.size(); ++i) differ |= static_cast<unsigned char>(a[i] ^ b[i]);
    return differ == 0;
}

// A whole number within [low, high], or false.
bool readNumber(const std::string& text, long low, long high, int& value)
{
    if (text.empty() || text.size() > 7) return false;
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (*end != 0 || n < low || n > high) return false;
    value = static_cast<int>(n);
    return true;
}

ServeReply asset(const std::string& path)
{
    const PageAsset* found = FindPageAsset(path);
    if (!found) return ServeReply::text(404, "no such page");
    ServeReply reply;
    reply.type = std::string(found->type);
    reply.body = std::string(found->body);
    reply.headers.emplace_back("Content-Security-Policy", kPageSecurity);
    return reply;
}

ServeReply redirect(unsigned status, const std::string& to)
{
    ServeReply reply = ServeReply::text(status, "see " + to);
    reply.headers.emplace_back("Location", to);
    return reply;
}

ServeReply camerasJson(CameraService& service, const std::string& token, bool login)
{
    std::string json = "{\"token\":\"" + EventLog::Escape(token) + "\",\"shared\":true,\"login\":" +
                       (login ? "true" : "false") + ",\"cameras\":[";
    const std::vector<ServedCamera> cameras = service.cameras();
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        const ServedCamera& c = cameras[i];
        CameraFeeds* feeds = service.feeds(i);
        char fps[32];
        std::snprintf(fps, sizeof fps, "%.1f", c.fps);
        json += std::string(i ? "," : "") + "{\"index\":" + std::to_string(i) + ",\"name\":\"" + EventLog::Escape(c.name) +
                "\",\"width\":" + std::to_string(c.width) + ",\"height\":" + std::to_string(c.height) + ",\"status\":\"" +
                EventLog::Escape(c.status) + "\",\"fps\":" + fps +
                ",\"watchers\":" + std::to_string(feeds ? feeds->painted.watchers() : 0) +
                ",\"recording\":" + (c.recording ? "true" : "false") + "}";
    }
    json += "]}";
    ServeReply reply;
    reply.type = "application/json";
    reply.body = std::move(json);
    return reply;
}

ServeReply partStream(FrameFeed& feed, std::atomic<bool>* wanted)
{
    if (!feed.addWatcher(CameraService::kWatchersPerCamera)) return ServeReply::text(503, "too many watchers of this camera");
    auto stream = std::make_shared<PartStream>(feed, [wanted] {
        if (wanted) wanted->store(true, std::memory_order_release);
    });
    ServeReply reply;
    reply.type = std::string("multipart/x-mixed-replace; boundary=") + kPartBoundary;
    reply.stream = [stream](char* out, std::size_t max) { return stream->read(out, max); };
    return reply;
}

ServeReply jpeg(const FrameFeed::Frame& frame)
{
    if (!frame) return ServeReply::text(503, "no picture yet");
    ServeReply reply;
    reply.type = "image/jpeg";
    reply.body = *frame;
    return reply;
}

ServeReply pointer(const ServeRequest& request, CameraService& service, std::size_t camera)
{
    ServeOperation op;
    op.camera = camera;
    const std::string type = request.arg("type");
    const std::string button = request.arg("button");
    if (type == "move") op.kind = ServePointer::Move;
    else if (type == "down") op.kind = ServePointer::Down;
    else if (type == "up") op.kind = ServePointer::Up;
    else if (type == "wheel") op.kind = ServePointer::Wheel;
    else return ServeReply::text(400, "type is move, down, up or wheel");
    if (button == "left" || button.empty()) op.button = ServeButton::Left;
    else if (button == "right") op.button = ServeButton::Right;
    else if (button == "middle") op.button = ServeButton::Middle;
    else return ServeReply::text(400, "button is left, right or middle");
    if (!readNumber(request.arg("x"), -100000, 100000, op.x) || !readNumber(request.arg("y"), -100000, 100000, op.y) ||
        !readNumber(request.arg("w"), 1, 100000, op.width) || !readNumber(request.arg("h"), 1, 100000, op.height))
        return ServeReply::text(400, "x, y, w and h are whole numbers (w and h above 0)");
    if (op.kind == ServePointer::Wheel && !readNumber(request.arg("notches"), -20, 20, op.notches))
        return ServeReply::text(400, "notches is a whole number from -20 to 20");
    if (!service.queue(op)) return ServeReply::text(503, "too many operations waiting");
    return ServeReply::text(204, "");
}

ServeReply command(const ServeRequest& request, CameraService& service, std::size_t camera)
{
    const std::string name = request.arg("name");
    if (name != "stop" && name != "reload" && name != "record" && name != "snapshot")
        return ServeReply::text(400, "name is stop, reload, record or snapshot");
    ServeOperation op;
    op.camera = camera;
    op.pointer = false;
    op.command = name;
    if (!service.queue(op)) return ServeReply::text(503, "too many operations waiting");
    return ServeReply::text(204, "");
}

ServeReply login(const ServeRequest& request, ServeLogins& logins)
{
    std::string user, password;
    for (const auto& [key, value] : ReadFormFields(request.body)) {
        if (key == "user") user = value;
        else if (key == "password") password = value;
    }
    const ServeLogins::Login result = logins.login(request.peer, user, password);
    if (result.outcome == ServeLogins::Outcome::Ok) {
        ServeReply reply = redirect(303, "/");
        reply.headers.emplace_back("Set-Cookie", std::string(kSessionCookie) + "=" + result.session +
                                                     "; HttpOnly; Secure; SameSite=Strict; Path=/");
        return reply;
    }
    if (result.outcome == ServeLogins::Outcome::Slowed) {
        ServeReply reply = ServeReply::text(429, "too many failed logins from this address; try again later");
        reply.headers.emplace_back("Retry-After", std::to_string(std::max(1u, result.retryAfterSeconds)));
        return reply;
    }
    ServeReply reply = asset("/login");
    reply.status = 401;
    return reply;
}

// "/cameras/N/what": N and what; false for any other shape.
bool cameraPath(const std::string& path, std::size_t& camera, std::string& what)
{
    constexpr std::string_view kPrefix = "/cameras/";
    if (path.compare(0, kPrefix.size(), kPrefix) != 0) return false;
    const std::size_t slash = path.find('/', kPrefix.size());
    if (slash == std::string::npos) return false;
    int n = 0;
    const std::string number = path.substr(kPrefix.size(), slash - kPrefix.size());
    if (number.empty() || number.size() > 4 || number.find_first_not_of("0123456789") != std::string::npos ||
        !readNumber(number, 0, 9999, n))
        return false;
    camera = static_cast<std::size_t>(n);
    what = path.substr(slash + 1);
    return true;
}

} // namespace

std::vector<std::pair<std::string, std::string>> ReadFormFields(const std::string& body)
{
    std::vector<std::pair<std::string, std::string>> fields;
    std::size_t at = 0;
    while (at <= body.size() && fields.size() < 16) {
        std::size_t end = body.find('&', at);
        if (end == std::string::npos) end = body.size();
        std::string field = body.substr(at, end - at);
        std::replace(field.begin(), field.end(), '+', ' ');
        const std::size_t eq = field.find('=');
        std::string key = field.substr(0, eq), value = eq == std::string::npos ? "" : field.substr(eq + 1);
        // libmicrohttpd's own percent-decoding, in place.
        key.resize(MHD_http_unescape(key.data()));
        value.resize(MHD_http_unescape(value.data()));
        if (!key.empty()) fields.emplace_back(std::move(key), std::move(value));
        at = end + 1;
    }
    return fields;
}

ServeReply RouteServeRequest(const ServeRequest& request, CameraService& service, const ServeRoutesSetup& setup)
{
    const std::string& path = request.path;
    const bool get = request.method == "GET" || request.method == "HEAD";
    const bool post = request.method == "POST";
    if (!get && !post) return ServeReply::text(405, "only GET and POST");
    if (path.empty() || path.front() != '/' || path.size() > 256) return ServeReply::text(400, "bad path");

    // What needs no session: the login and its style.
    if (path == "/login") {
        if (!setup.logins) return redirect(302, "/");
        if (get) return asset("/login");
        return login(request, *setup.logins);
    }
    if (path == "/style.css" && get) return asset(path);
    if (path == "/favicon.ico") return ServeReply::text(204, "");

    std::string token = service.token();
    if (setup.logins) {
        token = setup.logins->token(request.session);
        if (token.empty()) {
            if (path == "/" && get) return redirect(303, "/login");
            return ServeReply::text(401, "log in first");
        }
    }
    // Every operation carries the session's token: a page of another site
    // cannot send it.
    if (post && (request.token.empty() || !sameText(request.token, token)))
        return ServeReply::text(403, "the operation's token is missing or wrong; load the page again");

    if (path == "/logout") {
        if (!post) return ServeReply::text(405, "log out with POST");
        if (setup.logins) setup.logins->logout(request.session);
        ServeReply reply = redirect(303, setup.logins ? "/login" : "/");
        reply.headers.emplace_back("Set-Cookie", std::string(kSessionCookie) + "=; Max-Age=0; HttpOnly; Secure; SameSite=Strict; Path=/");
        return reply;
    }
    if (path == "/" || path == "/app.js") return get ? asset(path) : ServeReply::text(405, "use GET");
    if (path == "/cameras") return get ? camerasJson(service, token, setup.logins != nullptr) : ServeReply::text(405, "use GET");
    if (path.compare(0, 9, "/cursors/") == 0) {
        const std::string file = path.substr(9);
        const std::size_t dot = file.rfind(".png");
        std::string png;
        int x = 0, y = 0;
        if (!get || dot == std::string::npos || dot + 4 != file.size() || !setup.cursor ||
            file.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-.") != std::string::npos ||
            !setup.cursor(file.substr(0, dot), png, x, y))
            return ServeReply::text(404, "no such cursor");
        ServeReply reply;
        reply.type = "image/png";
        reply.body = std::move(png);
        reply.headers.emplace_back("X-Hotspot", std::to_string(x) + "," + std::to_string(y));
        return reply;
    }

    std::size_t camera = 0;
    std::string what;
    if (!cameraPath(path, camera, what)) return ServeReply::text(404, "no such page");
    CameraFeeds* feeds = camera < service.cameras().size() ? service.feeds(camera) : nullptr;
    if (!feeds) return ServeReply::text(404, "no such camera");
    if (what == "pointer" || what == "command") {
        if (!post) return ServeReply::text(405, "use POST");
        return what == "pointer" ? pointer(request, service, camera) : command(request, service, camera);
    }
    if (!get) return ServeReply::text(405, "use GET");
    if (what == "live.mjpeg") return partStream(feeds->painted, &feeds->wanted);
    if (what == "stream.mjpeg") return partStream(feeds->own, nullptr);
    if (what == "snapshot.jpg") return jpeg(feeds->own.latest());
    if (what == "frame.jpg") {
        // The picture as it is now: a fresh one when the viewer draws one soon.
        if (!feeds->painted.addWatcher(CameraService::kWatchersPerCamera)) return ServeReply::text(503, "too many watchers of this camera");
        feeds->wanted.store(true, std::memory_order_release);
        std::uint64_t seen = 0;
        FrameFeed::Frame frame = feeds->painted.next(seen, std::chrono::milliseconds(0));
        if (FrameFeed::Frame newer = feeds->painted.next(seen, std::chrono::seconds(2))) frame = newer;
        feeds->painted.removeWatcher();
        return jpeg(frame);
    }
    if (what == "events") {
        if (!feeds->events.addWatcher(CameraService::kWatchersPerCamera)) return ServeReply::text(503, "too many watchers of this camera");
        auto stream = std::make_shared<EventStream>(feeds->events);
        ServeReply reply;
        reply.type = "text/event-stream";
        reply.stream = [stream](char* out, std::size_t max) { return stream->read(out, max); };
        return reply;
    }
    return ServeReply::text(404, "no such page");
}
