#include "tools/camsim/Server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t wallMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string jsonEscape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += c;
        }
    }
    return out;
}

std::string htmlEscape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

const char* value(MHD_Connection* c, MHD_ValueKind kind, const char* key)
{
    return MHD_lookup_connection_value(c, kind, key);
}

int queueText(MHD_Connection* connection, unsigned status, const std::string& body, const char* type = "text/html")
{
    MHD_Response* r = MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    MHD_add_response_header(r, "Content-Type", type);
    MHD_set_response_options(r, MHD_RF_HTTP_VERSION_1_0_RESPONSE, MHD_RO_END);
    const int rc = MHD_queue_response(connection, status, r);
    MHD_destroy_response(r);
    return rc;
}

// The query as the request gave it, rebuilt from its arguments.
std::string queryOf(MHD_Connection* c)
{
    std::string q;
    MHD_get_connection_values(
        c, MHD_GET_ARGUMENT_KIND,
        +[](void* cls, MHD_ValueKind, const char* key, const char* v) -> MHD_Result {
            auto* out = static_cast<std::string*>(cls);
            *out += (out->empty() ? "?" : "&") + std::string(key) + (v ? "=" + std::string(v) : "");
            return MHD_YES;
        },
        &q);
    return q;
}

// The path of the target, whether it came in absolute form or not.
std::string pathOf(const char* url)
{
    std::string u = url ? url : "/";
    if (u.rfind("http://", 0) == 0) {
        const auto slash = u.find('/', 7);
        u = slash == std::string::npos ? "/" : u.substr(slash);
    }
    return u;
}

// The ordinary MJPEG stream's boundary: its own, not the camera's.
constexpr char kOrdinaryBoundary[] = "camsim-frame";

const char* const kPageNames[] = {"ImageViewer", "nphMotionJpeg", "RecordFrame", "CgiPlayback", "RuzOroroVuzozoDidi",
                                  "CgiMDetectPreview", "CgiMotionDetect", "CgiCameraSetup", "CgiMultiCameraBody"};

// The state of one stream connection, fed to MHD as the body.
struct StreamState {
    CamsimServer* server = nullptr;
    long id = 0;
    const CamsimOptions* options = nullptr;
    std::atomic<bool>* stopping = nullptr;
    int width = 320;
    int height = 240;
    long frames = -1;
    long sent = 0;
    std::string pending;
    size_t offset = 0;
    bool finished = false;
    bool prefixSent = false;
    bool broken = false; // the connection breaks once `pending` is sent
    bool ordinary = false; // the ordinary MJPEG stream (--mjpeg-path), not the camera's
    Clock::time_point next = Clock::now();
};

ssize_t streamReader(void* cls, uint64_t, char* buf, size_t max)
{
    auto* s = static_cast<StreamState*>(cls);
    while (s->offset >= s->pending.size()) {
        if (s->finished || s->stopping->load()) return MHD_CONTENT_READER_END_OF_STREAM;
        const CamsimOptions& o = *s->options;
        if (s->broken || (o.closeAfter >= 0 && s->sent > o.closeAfter)) return MHD_CONTENT_READER_END_WITH_ERROR;
        if ((o.stallAfter >= 0 && s->sent >= o.stallAfter) || s->id < o.silentStreams) {
            while (!s->stopping->load()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return MHD_CONTENT_READER_END_WITH_ERROR;
        }
        if (s->frames >= 0 && s->sent >= s->frames) {
            if (!o.finalDelimiter) s->pending.clear();
            else s->pending = s->ordinary ? std::string("--") + kOrdinaryBoundary + "--\r\n" : "--myboundary--\n";
            s->offset = 0;
            s->finished = true;
            if (s->pending.empty()) return MHD_CONTENT_READER_END_OF_STREAM;
            break;
        }
        if (!o.unpaced) {
            const auto interval = std::chrono::microseconds(static_cast<long>(1e6 / o.fps));
            std::this_thread::sleep_until(s->next);
            // A camera that fell behind (a slow encode, a full socket) goes
            // on at its rate rather than sending the missed frames in a burst.
            s->next = std::max(s->next + interval, Clock::now());
        }
        std::string part;
        if (s->ordinary) {
            // The ordinary stream's part: its own boundary, a header, the
            // picture, and the line ending before the next boundary.
            const char* eol = o.mjpegLf ? "\n" : "\r\n";
            auto jpeg = s->server->picture(s->width, s->height, s->sent, wallMicros());
            const std::int64_t sendTime = wallMicros();
            Scene::Stamp(jpeg, s->sent, sendTime);
            part = std::string("--") + kOrdinaryBoundary + eol + "Content-Type: image/jpeg" + eol;
            if (!o.mjpegLf) part += "Content-Length: " + std::to_string(jpeg.size()) + eol;
            part += eol;
            part.append(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
            part += eol;
            s->server->logPart(s->id, s->sent, sendTime, part.size());
            s->pending = std::move(part);
            s->offset = 0;
            ++s->sent;
            continue;
        }
        const char* header = o.crlfParts ? "--myboundary\r\nContent-type: image/jpeg\r\n\r\n" : "--myboundary\nContent-type: image/jpeg\n\n";
        if (!s->prefixSent && o.garbagePrefix) part += "garbage before the first part\r\n\r\n--notmyboundary\n";
        // With --boundary-after the previous part already sent this one's
        // boundary and header.
        if (!o.boundaryAfter || !s->prefixSent) part += header;
        s->prefixSent = true;
        auto jpeg = s->server->picture(s->width, s->height, s->sent, wallMicros());
        // The time the part goes to the socket, after any encoding.
        const std::int64_t sendTime = wallMicros();
        Scene::Stamp(jpeg, s->sent, sendTime);
        if (!o.frameDir.empty()) {
            const std::string name = o.frameDir + "/" + std::to_string(s->id) + "-" + std::to_string(s->sent) + ".jpg";
            if (FILE* f = std::fopen(name.c_str(), "wb")) {
                std::fwrite(jpeg.data(), 1, jpeg.size(), f);
                std::fclose(f);
            }
        }
        part.append(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
        if (s->sent == 0 && o.oversizePart > static_cast<long>(part.size())) part.append(static_cast<size_t>(o.oversizePart) - part.size(), '\0');
        part += o.crlfParts ? "\r\n" : "\n";
        if (o.boundaryAfter) part += header;
        if (o.closeAfter >= 0 && s->sent == o.closeAfter) {
            // Cut in the middle of the picture.
            part.resize(part.size() / 2);
            s->broken = true;
        }
        s->server->logPart(s->id, s->sent, sendTime, part.size());
        s->pending = std::move(part);
        s->offset = 0;
        ++s->sent;
    }
    const size_t n = std::min(max, s->pending.size() - s->offset);
    std::memcpy(buf, s->pending.data() + s->offset, n);
    s->offset += n;
    return static_cast<ssize_t>(n);
}

// A non-200 stream answer whose body trickles, one byte every 50 ms, until
// the viewer closes the connection or the hold time ends.
struct HeldAnswer {
    CamsimServer* server = nullptr;
    std::atomic<bool>* stopping = nullptr;
    Clock::time_point until;
    Clock::time_point next;
    bool ended = false; // camsim ended it (hold time over, or stopping)
};

ssize_t heldReader(void* cls, uint64_t, char* buf, size_t max)
{
    auto* h = static_cast<HeldAnswer*>(cls);
    if (max == 0) return 0;
    h->next = std::min(h->next + std::chrono::milliseconds(50), h->until);
    while (Clock::now() < h->next && !h->stopping->load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (h->stopping->load() || Clock::now() >= h->until) {
        h->ended = true;
        return MHD_CONTENT_READER_END_OF_STREAM;
    }
    buf[0] = ' ';
    return 1;
}

} // namespace

struct CamsimHandlers {
    static MHD_Result access(void* cls, MHD_Connection* connection, const char* url, const char* method, const char*,
                             const char*, size_t*, void** state)
    {
        // The first call for a request only announces it.
        if (!*state) {
            *state = reinterpret_cast<void*>(1);
            return MHD_YES;
        }
        return static_cast<CamsimServer*>(cls)->handle(connection, url, method) == MHD_YES ? MHD_YES : MHD_NO;
    }
};

CamsimServer::CamsimServer(CamsimOptions options) : m_options(std::move(options))
{
    m_zoomBusyLeft = m_options.zoomBusy;
    std::mt19937_64 random(static_cast<std::uint64_t>(wallMicros()));
    char id[24];
    std::snprintf(id, sizeof id, "%016llx", static_cast<unsigned long long>(random()));
    m_sessionId = id;
}

CamsimServer::~CamsimServer()
{
    stop();
    if (m_log) std::fclose(m_log);
    if (m_partLog) std::fclose(m_partLog);
}

bool CamsimServer::start(std::string& error)
{
    if (!m_options.logFile.empty()) {
        m_log = std::fopen(m_options.logFile.c_str(), "a");
        if (!m_log) {
            error = "cannot write the log " + m_options.logFile;
            return false;
        }
    }
    if (!m_options.partLogFile.empty()) {
        m_partLog = std::fopen(m_options.partLogFile.c_str(), "a");
        if (!m_partLog) {
            error = "cannot write the part log " + m_options.partLogFile;
            return false;
        }
    }
    if (m_options.loop > 0) m_loop = std::make_unique<FrameLoop>(m_options.loop);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(m_options.port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    MHD_Daemon* daemon = MHD_start_daemon(MHD_USE_THREAD_PER_CONNECTION | MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_ITC, 0, nullptr,
                                nullptr, &CamsimHandlers::access, this, MHD_OPTION_SOCK_ADDR, &address,
                                MHD_OPTION_CONNECTION_TIMEOUT, 0u, MHD_OPTION_END);
    if (!daemon) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(m_options.port);
        return false;
    }
    m_daemon.store(daemon);
    const MHD_DaemonInfo* info = MHD_get_daemon_info(daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : m_options.port;
    return true;
}

void CamsimServer::stop()
{
    m_stopping = true;
    if (MHD_Daemon* daemon = m_daemon.exchange(nullptr)) MHD_stop_daemon(daemon);
}

void CamsimServer::log(MHD_Connection* c, const char* method, const std::string& target, int status)
{
    if (!m_log) return;
    const char* auth = value(c, MHD_HEADER_KIND, "Authorization");
    const char* cookie = value(c, MHD_HEADER_KIND, "Cookie");
    const char* host = value(c, MHD_HEADER_KIND, "Host");
    const char* via = value(c, MHD_HEADER_KIND, "Via");
    char* password = nullptr;
    char* user = MHD_basic_auth_get_username_password(c, &password);
    std::string line = "{\"time_us\":" + std::to_string(wallMicros()) + ",\"method\":\"" + jsonEscape(method) +
                       "\",\"target\":\"" + jsonEscape(target) + "\",\"status\":" + std::to_string(status);
    if (host) line += ",\"host\":\"" + jsonEscape(host) + "\"";
    if (auth) line += ",\"authorization\":\"" + jsonEscape(auth) + "\"";
    if (user) line += ",\"user\":\"" + jsonEscape(user) + "\"";
    if (cookie) line += ",\"cookie\":\"" + jsonEscape(cookie) + "\"";
    if (via) line += ",\"via\":\"" + jsonEscape(via) + "\"";
    line += "}\n";
    if (user) MHD_free(user);
    if (password) MHD_free(password);
    std::lock_guard lock(m_logMutex);
    std::fputs(line.c_str(), m_log);
    std::fflush(m_log);
}

void CamsimServer::logPart(long stream, long number, std::int64_t sendTimeUs, size_t bytes)
{
    if (!m_partLog) return;
    std::lock_guard lock(m_logMutex);
    std::fprintf(m_partLog, "{\"stream\":%ld,\"part\":%ld,\"time_us\":%lld,\"bytes\":%zu}\n", stream, number,
                 static_cast<long long>(sendTimeUs), bytes);
    std::fflush(m_partLog);
}

std::vector<std::uint8_t> CamsimServer::picture(int width, int height, long number, std::int64_t sendTimeUs)
{
    return m_loop ? m_loop->frame(m_scene, width, height, number, sendTimeUs) : m_scene.frame(width, height, number, sendTimeUs);
}

bool CamsimServer::authorised(MHD_Connection* c, std::string* userOut)
{
    if (m_options.user.empty()) return true;
    char* password = nullptr;
    char* user = MHD_basic_auth_get_username_password(c, &password);
    const std::string given = std::string(user ? user : "") + ":" + (password ? password : "");
    if (user && userOut) *userOut = user;
    const bool ok = user && given == m_options.user;
    if (user) MHD_free(user);
    if (password) MHD_free(password);
    return ok;
}

int CamsimServer::handle(MHD_Connection* c, const char* url, const char* method)
{
    const std::string path = pathOf(url);
    const std::string target = std::string(url ? url : "/") + queryOf(c);
    int status = 200;
    int rc = MHD_NO;
    if (std::strcmp(method, "GET") != 0 && std::strcmp(method, "HEAD") != 0) {
        status = 405;
        rc = queueText(c, 405, "<html><body>method not allowed</body></html>");
    } else if (path == "/") {
        status = authorised(c, nullptr) ? 200 : 401;
        rc = serveRoot(c);
    } else if (path == "/cgi-bin/nphContinuousServerPush" || path == "/cgi-bin/nphReplayRecord") {
        if (m_options.streamHang) {
            log(c, method, target, 0);
            // Accepted, never answered: the connection stays until camsim stops.
            while (!m_stopping) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return MHD_NO;
        }
        if (m_options.endlessHead) {
            log(c, method, target, 200);
            endlessHead(c);
            return MHD_NO;
        }
        rc = serveStream(c, path == "/cgi-bin/nphReplayRecord", &status);
    } else if (!m_options.mjpegPath.empty() && path == m_options.mjpegPath) {
        rc = serveStream(c, false, &status, true);
    } else if (path == "/nphPtzf") {
        rc = serveZoom(c);
    } else {
        bool page = false;
        for (const char* name : kPageNames) page = page || path.find(name) != std::string::npos;
        if (page) {
            rc = serveViewer(c);
        } else if (value(c, MHD_GET_ARGUMENT_KIND, "Direction")) {
            rc = serveRecentre(c, path.substr(1));
        } else {
            status = 404;
            rc = queueText(c, 404, "<html><body>not found</body></html>");
        }
    }
    log(c, method, target, status);
    return rc;
}

int CamsimServer::serveRoot(MHD_Connection* c)
{
    const std::string body = "<html><head><title>camsim</title></head><body>Camera simulator</body></html>";
    if (!authorised(c, nullptr)) {
        MHD_Response* r = MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
        MHD_set_response_options(r, MHD_RF_HTTP_VERSION_1_0_RESPONSE, MHD_RO_END);
        const int rc = MHD_queue_basic_auth_fail_response(c, "camsim", r);
        MHD_destroy_response(r);
        return rc;
    }
    MHD_Response* r = MHD_create_response_from_buffer(body.size(), const_cast<char*>(body.data()), MHD_RESPMEM_MUST_COPY);
    MHD_add_response_header(r, "Content-Type", "text/html");
    for (const auto& other : m_options.otherCookies) MHD_add_response_header(r, "Set-Cookie", other.c_str());
    if (m_options.cookie) {
        const std::string session = "SESSIONID=" + m_sessionId + "; path=/" + (m_options.cookieHttpOnly ? "; HttpOnly" : "");
        MHD_add_response_header(r, "Set-Cookie", session.c_str());
    }
    MHD_set_response_options(r, MHD_RF_HTTP_VERSION_1_0_RESPONSE, MHD_RO_END);
    const int rc = MHD_queue_response(c, MHD_HTTP_OK, r);
    MHD_destroy_response(r);
    // A preflight opens "/" and sends the request again: once both are
    // answered, the next connection is the stream's, and it is refused.
    if (m_options.refuseStream && m_rootAnswers.fetch_add(1) + 1 == 2) {
        MHD_Daemon* daemon = nullptr;
        while (!(daemon = m_daemon.load())) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const MHD_socket listener = MHD_quiesce_daemon(daemon);
        if (listener != MHD_INVALID_SOCKET) close(listener);
    }
    return rc;
}

int CamsimServer::serveViewer(MHD_Connection* c)
{
    std::vector<std::pair<std::string, std::string>> params = m_options.params;
    bool hasPath = false;
    for (const auto& p : params) hasPath = hasPath || p.first == "ImagePath";
    if (!hasPath) {
        const char* resolution = value(c, MHD_GET_ARGUMENT_KIND, "Resolution");
        params.insert(params.begin(), {"ImagePath", std::string("?Resolution=") + (resolution ? resolution : "320x240") +
                                                        "&Quality=Standard"});
    }
    std::string object = "<object classid=\"clsid:4D8D78A3-35E9-499D-8771-4ADA8876B786\" width=\"" +
                         std::to_string(m_options.pageWidth) + "\" height=\"" + std::to_string(m_options.pageHeight) + "\">\n";
    object += "<param name=\"ImageWidth\" value=\"" + std::to_string(m_options.pageWidth) + "\">\n";
    object += "<param name=\"ImageHeight\" value=\"" + std::to_string(m_options.pageHeight) + "\">\n";
    for (const auto& [name, v] : params)
        object += "<param name=\"" + htmlEscape(name) + "\" value=\"" + htmlEscape(v) + "\">\n";
    object += "</object>\n";
    std::string body = "<html><head><title>Camera</title></head><body>\n";
    for (const std::string& other : m_options.otherObjects)
        body += "<object classid=\"clsid:" + htmlEscape(other) + "\" width=\"160\" height=\"120\">\n"
                "<param name=\"Source\" value=\"the page\">\n</object>\n";
    for (int i = 0; i < m_options.objects; ++i) body += object;
    body += "</body></html>\n";
    return queueText(c, MHD_HTTP_OK, body);
}

int CamsimServer::serveStream(MHD_Connection* c, bool replay, int* status, bool ordinary)
{
    if (!authorised(c, nullptr)) return queueText(c, static_cast<unsigned>(*status = 401), "<html><body>unauthorised</body></html>");
    if (m_options.cookie) {
        const char* cookie = value(c, MHD_COOKIE_KIND, "SESSIONID");
        if (!cookie || m_sessionId != cookie) return queueText(c, static_cast<unsigned>(*status = 403), "<html><body>no session</body></html>");
    }
    *status = m_options.streamStatus;
    const long nth = m_streamRequests.fetch_add(1) + 1;
    if (m_options.streamStatusFrom > 0 && nth >= m_options.streamStatusFrom) *status = m_options.streamStatusLater;
    if (nth <= m_options.streamStatusUntil) *status = m_options.streamStatusEarly;
    if (*status != 200 && m_options.holdAfterStatus > 0) return holdStatus(c, *status);
    if (*status != 200) return queueText(c, static_cast<unsigned>(*status), "<html><body>refused</body></html>");
    int width = 320, height = 240;
    if (const char* r = value(c, MHD_GET_ARGUMENT_KIND, "Resolution")) {
        int w = 0, h = 0;
        if (std::sscanf(r, "%dx%d", &w, &h) == 2 && w >= 16 && h >= 16 && w <= 1920 && h <= 1080) {
            width = w;
            height = h;
        }
    }
    auto* state = new StreamState;
    state->server = this;
    state->id = m_streams.fetch_add(1);
    state->options = &m_options;
    state->stopping = &m_stopping;
    state->width = width;
    state->height = height;
    state->frames = replay && m_options.frames < 0 ? 30 : m_options.frames;
    state->ordinary = ordinary;
    MHD_Response* r = MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 64 * 1024, &streamReader, state,
                                                        +[](void* cls) { delete static_cast<StreamState*>(cls); });
    MHD_add_response_header(r, "Content-Type",
                            ordinary ? (std::string("multipart/x-mixed-replace;boundary=") + kOrdinaryBoundary).c_str()
                                     : "multipart/x-mixed-replace;boundary=myboundary");
    MHD_set_response_options(r, MHD_RF_HTTP_VERSION_1_0_RESPONSE, MHD_RO_END);
    const int rc = MHD_queue_response(c, MHD_HTTP_OK, r);
    MHD_destroy_response(r);
    return rc;
}

void CamsimServer::endlessHead(MHD_Connection* c)
{
    // Written on the connection's own socket, past MHD: a status line, then
    // header lines for as long as the viewer reads them.
    const MHD_ConnectionInfo* info = MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD);
    if (!info) return;
    const int fd = info->connect_fd;
    std::string text = "HTTP/1.0 200 OK\r\n";
    long line = 0;
    while (!m_stopping) {
        while (text.size() < 4096) text += "X-Line-" + std::to_string(++line) + ": the head goes on\r\n";
        const ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            text.erase(0, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) break;
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, 20);
        if (p.revents & (POLLERR | POLLHUP)) break;
    }
}

int CamsimServer::holdStatus(MHD_Connection* c, int status)
{
    auto* held = new HeldAnswer;
    held->server = this;
    held->stopping = &m_stopping;
    held->next = Clock::now();
    held->until = held->next + std::chrono::milliseconds(m_options.holdAfterStatus);
    MHD_Response* r = MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 1, &heldReader, held, +[](void* cls) {
        auto* h = static_cast<HeldAnswer*>(cls);
        h->server->logClosed(h->ended ? "camera" : "viewer");
        delete h;
    });
    MHD_add_response_header(r, "Content-Type", "text/html");
    MHD_set_response_options(r, MHD_RF_HTTP_VERSION_1_0_RESPONSE, MHD_RO_END);
    const int rc = MHD_queue_response(c, static_cast<unsigned>(status), r);
    MHD_destroy_response(r);
    return rc;
}

void CamsimServer::logClosed(const char* by)
{
    if (!m_log) return;
    const std::string line = "{\"time_us\":" + std::to_string(wallMicros()) + ",\"held_stream\":" +
                             std::to_string(m_options.streamStatus) + ",\"closed_by\":\"" + by + "\"}\n";
    std::lock_guard lock(m_logMutex);
    std::fputs(line.c_str(), m_log);
    std::fflush(m_log);
}

int CamsimServer::serveZoom(MHD_Connection* c)
{
    // A slow camera; camsim stopping ends the wait.
    const auto until = Clock::now() + std::chrono::milliseconds(m_options.zoomDelayMs);
    while (Clock::now() < until && !m_stopping) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string pad(static_cast<size_t>(m_options.zoomReplyPad), ' ');
    if (m_zoomBusyLeft.fetch_sub(1) > 0) return queueText(c, MHD_HTTP_OK, pad + "Return:-2</body></html>");
    const char* mag = value(c, MHD_GET_ARGUMENT_KIND, "ZoomMag");
    if (mag) m_scene.setZoom(std::atoi(mag));
    return queueText(c, MHD_HTTP_OK, pad + "Return:0</body></html>");
}

int CamsimServer::serveRecentre(MHD_Connection* c, const std::string& program)
{
    const char* w = value(c, MHD_GET_ARGUMENT_KIND, "Width");
    const char* h = value(c, MHD_GET_ARGUMENT_KIND, "Height");
    const char* x = value(c, MHD_GET_ARGUMENT_KIND, "NewPosition.x");
    const char* y = value(c, MHD_GET_ARGUMENT_KIND, "NewPosition.y");
    const double width = w ? std::atof(w) : 0;
    const double height = h ? std::atof(h) : 0;
    if (width > 0 && height > 0 && x && y)
        m_scene.recentre((std::atof(x) - width / 2) / width * 0.25, (std::atof(y) - height / 2) / height * 0.25);
    return queueText(c, MHD_HTTP_OK, "<html><body>" + htmlEscape(program) + ": centred</body></html>");
}
