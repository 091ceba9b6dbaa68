// WinInet handles, requests and options over libcurl.
#include <arpa/inet.h>
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/kernel/HandleTable.h"
#include "platform/kernel/Kernel.h"
#include "platform/wininet/WinInet.h"
#include "platform/winsock/SocketBackend.h"

namespace {

// The most of an answer's body that is kept; the rest is not read.
constexpr size_t kMaxBody = 1 << 20;
constexpr DWORD kDefaultReceiveTimeoutMs = 30000;

struct Process {
    std::mutex mutex;
    CURLSH* share = nullptr;
    std::mutex cookieLock;
    std::map<std::string, std::pair<std::string, std::string>> credentials; // by server
    PasswordPrompt prompt;

    Process()
    {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        share = curl_share_init();
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &Process::lock);
        curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &Process::unlock);
        curl_share_setopt(share, CURLSHOPT_USERDATA, this);
    }
    ~Process() { curl_share_cleanup(share); }

    static void lock(CURL*, curl_lock_data, curl_lock_access, void* self)
    {
        static_cast<Process*>(self)->cookieLock.lock();
    }
    static void unlock(CURL*, curl_lock_data, void* self) { static_cast<Process*>(self)->cookieLock.unlock(); }
};

Process& process()
{
    // Never destroyed: threads still running at exit may use it.
    static Process* p = new Process;
    return *p;
}

struct Session;

struct Object {
    virtual ~Object() = default;
};

struct Request;

struct Session final : Object {
    std::mutex childrenMutex;
    std::vector<std::weak_ptr<Request>> children;
    std::string agent;
    std::string proxy; // empty: direct
    std::vector<std::string> noProxy;
    DWORD receiveTimeoutMs = kDefaultReceiveTimeoutMs;
};

struct Request final : Object {
    std::shared_ptr<Session> session;
    std::string url;
    std::string user;
    std::string password;
    // What the last transfer sent: a resend with nothing new to send keeps
    // the answer already received.
    std::string sentUser;
    std::string sentPassword;
    DWORD receiveTimeoutMs = kDefaultReceiveTimeoutMs;
    bool answered = false;
    long status = 0;
    std::string body;
    size_t readPosition = 0;
    bool proxied = false;
    std::string peerIp;
    long peerPort = 0;
    std::uintptr_t peerSocket = 0;
    std::atomic<bool> closing{false};
    std::mutex multiMutex;
    CURLM* multi = nullptr; // while a transfer runs
    ~Request() override
    {
        if (peerSocket) {
            int error = 0;
            vesock::closeSocket(peerSocket, &error);
        }
    }
};

HandleTable<HINTERNET, Object>& handles()
{
    // Never destroyed: threads still running at exit may use it.
    static auto* h = new HandleTable<HINTERNET, Object>(0xCC0000);
    return *h;
}

HINTERNET insert(std::shared_ptr<Object> object) { return handles().insert(std::move(object)); }

template <typename T>
std::shared_ptr<T> find(HINTERNET handle)
{
    return std::dynamic_pointer_cast<T>(handles().find(handle));
}

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

const char* env(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v ? v : nullptr;
}

// Host and port of an http URL, lower-cased, for matching and caching.
std::string serverOf(const std::string& url, std::string* hostOnly = nullptr)
{
    std::string rest = url;
    const auto scheme = rest.find("://");
    if (scheme != std::string::npos) rest = rest.substr(scheme + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    const auto at = rest.rfind('@');
    if (at != std::string::npos) rest = rest.substr(at + 1);
    rest = lower(rest);
    if (hostOnly) {
        if (!rest.empty() && rest[0] == '[')
            *hostOnly = rest.substr(1, rest.find(']') - 1);
        else
            *hostOnly = rest.substr(0, rest.find(':'));
    }
    if (rest.find(':') == std::string::npos || (rest[0] == '[' && rest.back() == ']')) rest += ":80";
    return rest;
}

bool bypassesProxy(const Session& s, const std::string& host)
{
    for (const auto& entry : s.noProxy) {
        if (entry == "*") return true;
        std::string e = entry;
        if (!e.empty() && e[0] == '.') e = e.substr(1);
        if (host == e || (host.size() > e.size() && host.compare(host.size() - e.size(), e.size(), e) == 0 &&
                          host[host.size() - e.size() - 1] == '.'))
            return true;
    }
    return false;
}

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* request = static_cast<Request*>(user);
    const size_t n = size * count;
    if (request->body.size() + n > kMaxBody) return 0;
    request->body.append(data, n);
    return n;
}

struct Progress {
    Request* request;
    std::chrono::steady_clock::time_point lastByte;
    curl_off_t lastCount = -1;
};

DWORD errorOf(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT: return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT: return ERROR_INTERNET_TIMEOUT;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: return ERROR_INTERNET_INVALID_URL;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR: return ERROR_INTERNET_CONNECTION_RESET;
    case CURLE_WEIRD_SERVER_REPLY: return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    default: return ERROR_INTERNET_CONNECTION_ABORTED;
    }
}

// Runs the request to its end, or until the handle is closed or no byte has
// come for the receive timeout. Returns 0 or a WinInet error.
DWORD perform(Request& r)
{
    CURL* easy = curl_easy_init();
    if (!easy) return ERROR_INTERNET_INTERNAL_ERROR;
    r.answered = false;
    r.status = 0;
    r.body.clear();
    r.readPosition = 0;

    std::string host;
    const std::string server = serverOf(r.url, &host);
    curl_easy_setopt(easy, CURLOPT_URL, r.url.c_str());
    curl_easy_setopt(easy, CURLOPT_SHARE, process().share);
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, r.session->agent.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &r);
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
    r.proxied = !r.session->proxy.empty() && !bypassesProxy(*r.session, host);
    curl_easy_setopt(easy, CURLOPT_PROXY, r.proxied ? r.session->proxy.c_str() : "");

    std::string user = r.user;
    std::string password = r.password;
    if (user.empty() && password.empty()) {
        std::lock_guard lock(process().mutex);
        auto it = process().credentials.find(server);
        if (it != process().credentials.end()) {
            user = it->second.first;
            password = it->second.second;
        }
    }
    if (!user.empty() || !password.empty()) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
        curl_easy_setopt(easy, CURLOPT_USERNAME, user.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, password.c_str());
    }

    Progress progress{&r, std::chrono::steady_clock::now()};
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &progress);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION,
                     +[](void* p, curl_off_t, curl_off_t now, curl_off_t, curl_off_t) -> int {
                         auto* pr = static_cast<Progress*>(p);
                         if (now != pr->lastCount) {
                             pr->lastCount = now;
                             pr->lastByte = std::chrono::steady_clock::now();
                         }
                         return pr->request->closing.load(std::memory_order_acquire) ? 1 : 0;
                     });

    CURLM* multi = curl_multi_init();
    curl_multi_add_handle(multi, easy);
    {
        std::lock_guard lock(r.multiMutex);
        r.multi = multi;
    }
    DWORD error = 0;
    CURLcode result = CURLE_OK;
    for (;;) {
        if (r.closing.load(std::memory_order_acquire)) {
            error = ERROR_INTERNET_OPERATION_CANCELLED;
            break;
        }
        int running = 0;
        curl_multi_perform(multi, &running);
        int queued = 0;
        bool done = false;
        while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
            if (msg->msg == CURLMSG_DONE) {
                result = msg->data.result;
                done = true;
            }
        }
        if (done || running == 0) break;
        const auto idle = std::chrono::steady_clock::now() - progress.lastByte;
        if (idle > std::chrono::milliseconds(r.receiveTimeoutMs)) {
            error = ERROR_INTERNET_TIMEOUT;
            break;
        }
        curl_multi_poll(multi, nullptr, 0, 100, nullptr);
    }
    {
        std::lock_guard lock(r.multiMutex);
        r.multi = nullptr;
    }
    if (!error && result != CURLE_OK) {
        // A body beyond the kept size ends the read, not the request.
        if (result == CURLE_WRITE_ERROR && r.body.size() + CURL_MAX_WRITE_SIZE > kMaxBody)
            result = CURLE_OK;
        else if (r.closing.load(std::memory_order_acquire))
            error = ERROR_INTERNET_OPERATION_CANCELLED;
        else
            error = errorOf(result);
    }
    if (!error) {
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &r.status);
        char* ip = nullptr;
        curl_easy_getinfo(easy, CURLINFO_PRIMARY_IP, &ip);
        r.peerIp = ip ? ip : "";
        curl_easy_getinfo(easy, CURLINFO_PRIMARY_PORT, &r.peerPort);
        r.answered = true;
        if (r.status != 401 && r.status != 407 && (!user.empty() || !password.empty())) {
            std::lock_guard lock(process().mutex);
            process().credentials[server] = {user, password};
        }
        // What was sent is what the handle reports back.
        r.user = user;
        r.password = password;
        r.sentUser = user;
        r.sentPassword = password;
    }
    curl_multi_remove_handle(multi, easy);
    curl_multi_cleanup(multi);
    curl_easy_cleanup(easy);
    return error;
}

BOOL failWith(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

BOOL copyText(const std::string& text, LPVOID buffer, DWORD* length)
{
    if (!length) return failWith(ERROR_INVALID_PARAMETER);
    const DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (!buffer || *length < needed) {
        *length = needed;
        return failWith(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, text.c_str(), needed);
    *length = needed - 1;
    return TRUE;
}

} // namespace

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD)
{
    process();
    auto session = std::make_shared<Session>();
    session->agent = agent ? agent : "";
    std::string bypass;
    if (accessType == INTERNET_OPEN_TYPE_PRECONFIG) {
        // The preconfigured setting is the environment's.
        if (const char* p = env("http_proxy")) session->proxy = p;
        else if (const char* q = env("HTTP_PROXY")) session->proxy = q;
        if (const char* n = env("no_proxy")) bypass = n;
        else if (const char* m = env("NO_PROXY")) bypass = m;
    } else if (accessType == INTERNET_OPEN_TYPE_PROXY) {
        session->proxy = proxy ? proxy : "";
        bypass = proxyBypass ? proxyBypass : "";
    }
    size_t start = 0;
    while (start <= bypass.size()) {
        const auto comma = bypass.find_first_of(", ", start);
        const std::string entry = lower(trim(bypass.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (!entry.empty()) session->noProxy.push_back(entry);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return insert(session);
}

BOOL InternetSetOptionA(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length)
{
    if (!buffer) return failWith(ERROR_INVALID_PARAMETER);
    auto session = find<Session>(handle);
    auto request = find<Request>(handle);
    if (!session && !request) return failWith(ERROR_INVALID_HANDLE);
    switch (option) {
    case INTERNET_OPTION_RECEIVE_TIMEOUT: {
        if (length < sizeof(DWORD)) return failWith(ERROR_INSUFFICIENT_BUFFER);
        DWORD ms;
        std::memcpy(&ms, buffer, sizeof ms);
        if (session) session->receiveTimeoutMs = ms;
        if (request) request->receiveTimeoutMs = ms;
        return TRUE;
    }
    case INTERNET_OPTION_USERNAME:
    case INTERNET_OPTION_PASSWORD: {
        if (!request) return failWith(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        const std::string text(static_cast<const char*>(buffer), strnlen(static_cast<const char*>(buffer), length));
        (option == INTERNET_OPTION_USERNAME ? request->user : request->password) = text;
        return TRUE;
    }
    default:
        return failWith(ERROR_INVALID_PARAMETER);
    }
}

BOOL InternetQueryOptionA(HINTERNET handle, DWORD option, LPVOID buffer, DWORD* length)
{
    auto request = find<Request>(handle);
    if (!request) return failWith(find<Session>(handle) ? ERROR_INTERNET_INCORRECT_HANDLE_TYPE : ERROR_INVALID_HANDLE);
    switch (option) {
    case INTERNET_OPTION_USERNAME:
        return copyText(request->user, buffer, length);
    case INTERNET_OPTION_PASSWORD:
        return copyText(request->password, buffer, length);
    case INTERNET_OPTION_DIAGNOSTIC_SOCKET_INFO: {
        if (!length || !buffer || *length < sizeof(INTERNET_DIAGNOSTIC_SOCKET_INFO)) {
            if (length) *length = sizeof(INTERNET_DIAGNOSTIC_SOCKET_INFO);
            return failWith(ERROR_INSUFFICIENT_BUFFER);
        }
        if (!request->answered) return failWith(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        // The connection is curl's and may be gone: a stand-in socket answers
        // getpeername with the address curl talked to (the proxy's when one
        // was used).
        if (!request->peerSocket) {
            unsigned char address[28] = {};
            int addressLength = 0;
            in_addr v4;
            in6_addr v6;
            const auto port = static_cast<std::uint16_t>(request->peerPort);
            if (inet_pton(AF_INET, request->peerIp.c_str(), &v4) == 1) {
                address[0] = 2;
                address[2] = static_cast<unsigned char>(port >> 8);
                address[3] = static_cast<unsigned char>(port & 0xFF);
                std::memcpy(address + 4, &v4, 4);
                addressLength = 16;
            } else if (inet_pton(AF_INET6, request->peerIp.c_str(), &v6) == 1) {
                address[0] = 23;
                address[2] = static_cast<unsigned char>(port >> 8);
                address[3] = static_cast<unsigned char>(port & 0xFF);
                std::memcpy(address + 8, &v6, 16);
                addressLength = 28;
            }
            if (addressLength) request->peerSocket = vesock::registerPeerOnly(address, addressLength);
        }
        INTERNET_DIAGNOSTIC_SOCKET_INFO info{};
        info.Socket = request->peerSocket;
        info.DestPort = static_cast<DWORD>(request->peerPort);
        info.Flags = request->proxied ? IDSI_FLAG_PROXY : 0;
        std::memcpy(buffer, &info, sizeof info);
        *length = sizeof info;
        return TRUE;
    }
    default:
        return failWith(ERROR_INVALID_PARAMETER);
    }
}

HINTERNET InternetOpenUrlA(HINTERNET sessionHandle, LPCSTR url, LPCSTR, DWORD, DWORD, DWORD_PTR)
{
    auto session = find<Session>(sessionHandle);
    if (!session) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!url || std::strncmp(url, "http://", 7) != 0) {
        SetLastError(ERROR_INTERNET_INVALID_URL);
        return nullptr;
    }
    auto request = std::make_shared<Request>();
    request->session = session;
    request->url = url;
    {
        std::lock_guard lock(session->childrenMutex);
        session->children.push_back(request);
    }
    request->receiveTimeoutMs = session->receiveTimeoutMs;
    HINTERNET handle = insert(request);
    if (const DWORD error = perform(*request)) {
        InternetCloseHandle(handle);
        SetLastError(error);
        return nullptr;
    }
    return handle;
}

BOOL HttpSendRequestA(HINTERNET handle, LPCSTR, DWORD, LPVOID, DWORD)
{
    auto request = find<Request>(handle);
    if (!request) return failWith(ERROR_INVALID_HANDLE);
    // The request went out when the handle was opened; it goes again when
    // the answer asked for credentials or new ones were set since.
    const bool credentialsChanged = request->user != request->sentUser || request->password != request->sentPassword;
    if (request->answered && request->status != 401 && request->status != 407 && !credentialsChanged) {
        request->readPosition = 0;
        return TRUE;
    }
    if (const DWORD error = perform(*request)) return failWith(error);
    return TRUE;
}

BOOL HttpQueryInfoA(HINTERNET handle, DWORD infoLevel, LPVOID buffer, DWORD* length, DWORD*)
{
    auto request = find<Request>(handle);
    if (!request) return failWith(ERROR_INVALID_HANDLE);
    if ((infoLevel & 0xFFFF) != HTTP_QUERY_STATUS_CODE || !request->answered) return failWith(ERROR_HTTP_HEADER_NOT_FOUND);
    if (infoLevel & HTTP_QUERY_FLAG_NUMBER) {
        if (!buffer || !length || *length < sizeof(DWORD)) {
            if (length) *length = sizeof(DWORD);
            return failWith(ERROR_INSUFFICIENT_BUFFER);
        }
        const DWORD status = static_cast<DWORD>(request->status);
        std::memcpy(buffer, &status, sizeof status);
        *length = sizeof status;
        return TRUE;
    }
    return copyText(std::to_string(request->status), buffer, length);
}

BOOL InternetReadFile(HINTERNET handle, LPVOID buffer, DWORD toRead, DWORD* read)
{
    auto request = find<Request>(handle);
    if (!request || !read) return failWith(ERROR_INVALID_HANDLE);
    if (!buffer && toRead) return failWith(ERROR_INVALID_PARAMETER);
    const size_t left = request->body.size() - request->readPosition;
    const size_t n = std::min<size_t>(left, toRead);
    if (n) std::memcpy(buffer, request->body.data() + request->readPosition, n);
    request->readPosition += n;
    *read = static_cast<DWORD>(n);
    return TRUE;
}

DWORD InternetErrorDlg(HWND parent, HINTERNET handle, DWORD error, DWORD, LPVOID*)
{
    auto request = find<Request>(handle);
    if (!request) return ERROR_INVALID_HANDLE;
    if (error != ERROR_INTERNET_INCORRECT_PASSWORD) return ERROR_CANCELLED;
    PasswordPrompt prompt;
    {
        std::lock_guard lock(process().mutex);
        prompt = process().prompt;
    }
    std::string user = request->user;
    std::string password;
    const bool given = prompt && prompt(parent, request->url, user, password, request->closing);
    if (!given || request->closing.load(std::memory_order_acquire)) return ERROR_CANCELLED;
    request->user = user;
    request->password = password;
    return ERROR_INTERNET_FORCE_RETRY;
}

BOOL InternetGetCookieA(LPCSTR url, LPCSTR cookieName, LPSTR cookieData, DWORD* size)
{
    if (!url || !size) return failWith(ERROR_INVALID_PARAMETER);
    std::string host;
    serverOf(url, &host);
    std::string path = url;
    const auto scheme = path.find("://");
    path = scheme == std::string::npos ? path : path.substr(scheme + 3);
    const auto slash = path.find('/');
    path = slash == std::string::npos ? "/" : path.substr(slash);

    CURL* easy = curl_easy_init();
    if (!easy) return failWith(ERROR_INTERNET_INTERNAL_ERROR);
    curl_easy_setopt(easy, CURLOPT_SHARE, process().share);
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    curl_slist* list = nullptr;
    curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &list);
    std::string found;
    for (curl_slist* item = list; item; item = item->next) {
        // domain, tailmatch, path, secure, expires, name, value
        std::vector<std::string> fields;
        std::string line = item->data;
        if (line.rfind("#HttpOnly_", 0) == 0) line = line.substr(10);
        size_t start = 0;
        for (int i = 0; i < 6; ++i) {
            const auto tab = line.find('\t', start);
            if (tab == std::string::npos) break;
            fields.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        if (fields.size() != 6) continue;
        fields.push_back(line.substr(start));
        std::string domain = lower(fields[0]);
        if (!domain.empty() && domain[0] == '.') domain = domain.substr(1);
        const bool domainMatches = host == domain || (fields[1] == "TRUE" && host.size() > domain.size() &&
                                                      host.compare(host.size() - domain.size(), domain.size(), domain) == 0);
        const bool pathMatches = path.compare(0, fields[2].size(), fields[2]) == 0;
        if (!domainMatches || !pathMatches) continue;
        if (cookieName && fields[5] != cookieName) continue;
        if (!found.empty()) found += "; ";
        found += fields[5] + "=" + fields[6];
    }
    curl_slist_free_all(list);
    curl_easy_cleanup(easy);
    if (found.empty()) return failWith(ERROR_NO_MORE_ITEMS);
    const DWORD needed = static_cast<DWORD>(found.size() + 1);
    if (!cookieData || *size < needed) {
        *size = needed;
        return failWith(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(cookieData, found.c_str(), needed);
    *size = needed - 1;
    return TRUE;
}

BOOL InternetCloseHandle(HINTERNET handle)
{
    const std::shared_ptr<Object> object = handles().remove(handle);
    if (!object) return failWith(ERROR_INVALID_HANDLE);
    auto abort = [](Request& request) {
        // A call blocked on this request returns as soon as it sees the flag.
        request.closing.store(true, std::memory_order_release);
        std::lock_guard lock(request.multiMutex);
        if (request.multi) curl_multi_wakeup(request.multi);
    };
    if (auto request = std::dynamic_pointer_cast<Request>(object)) abort(*request);
    if (auto session = std::dynamic_pointer_cast<Session>(object)) {
        // Closing a session ends the requests opened under it, even one
        // whose handle has not been returned yet.
        std::lock_guard lock(session->childrenMutex);
        for (auto& child : session->children)
            if (auto request = child.lock()) abort(*request);
    }
    return TRUE;
}

void SetPasswordPrompt(PasswordPrompt prompt)
{
    std::lock_guard lock(process().mutex);
    process().prompt = std::move(prompt);
}

void InternetResetSessionState()
{
    {
        std::lock_guard lock(process().mutex);
        process().credentials.clear();
    }
    CURL* easy = curl_easy_init();
    if (!easy) return;
    curl_easy_setopt(easy, CURLOPT_SHARE, process().share);
    curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");
    curl_easy_cleanup(easy);
}
