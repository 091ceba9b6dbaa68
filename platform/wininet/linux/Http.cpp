// The transfer: a request's HTTP exchange over libcurl, run until it ends,
// its handle is closed or the receive timeout passes without a byte; and the
// calls that send a request and read its answer.
#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include "platform/kernel/Kernel.h"
#include "platform/wininet/linux/InternetObjects.h"
#include "platform/wininet/linux/StandInWinInet.h"
#include "platform/trace/Trace.h"

namespace inet {
namespace {

// The most of an answer's body that is kept; the rest is not read.
constexpr size_t kMaxBody = 1 << 20;

// The process's state with the cookie store, which curl shares among the
// transfers under the store's own lock.
struct CurlProcess : ProcessState {
    CURLSH* share = nullptr;
    std::mutex cookieLock;

    CurlProcess()
    {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        share = curl_share_init();
        curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        curl_share_setopt(share, CURLSHOPT_LOCKFUNC, &CurlProcess::lock);
        curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, &CurlProcess::unlock);
        curl_share_setopt(share, CURLSHOPT_USERDATA, this);
    }
    ~CurlProcess() { curl_share_cleanup(share); }

    static void lock(CURL*, curl_lock_data, curl_lock_access, void* self)
    {
        static_cast<CurlProcess*>(self)->cookieLock.lock();
    }
    static void unlock(CURL*, curl_lock_data, void* self) { static_cast<CurlProcess*>(self)->cookieLock.unlock(); }
};

CurlProcess& process()
{
    // Never destroyed: threads still running at exit may use it.
    static CurlProcess* p = new CurlProcess;
    return *p;
}

size_t onBody(char* data, size_t size, size_t count, void* user)
{
    auto* request = static_cast<Request*>(user);
    const size_t n = size * count;
    if (request->body.empty()) {
        char* type = nullptr;
        curl_easy_getinfo(static_cast<CURL*>(request->easy), CURLINFO_CONTENT_TYPE, &type);
        request->contentType = type ? type : "";
        std::string lower = request->contentType;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        // A picture stream's body never ends: its first bytes are kept for
        // the caller to look at, and the transfer ends there.
        const bool multipart = lower.rfind("multipart/x-mixed-replace", 0) == 0;
        const bool octets = lower.rfind("application/octet-stream", 0) == 0 && n >= 2 && data[0] == '-' && data[1] == '-';
        if (multipart || octets) {
            request->endlessBody = true;
            request->body.append(data, std::min<size_t>(n, 4096));
            return 0; // ends the transfer; Perform takes it as answered
        }
    }
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

} // namespace

ProcessState& Process() { return process(); }

void* CookieShare() { return process().share; }

DWORD Perform(Request& r)
{
    CURL* easy = curl_easy_init();
    if (!easy) return ERROR_INTERNET_INTERNAL_ERROR;
    r.answered = false;
    r.status = 0;
    r.body.clear();
    r.readPosition = 0;
    r.contentType.clear();
    r.endlessBody = false;
    r.easy = easy;

    std::string host;
    const std::string server = ServerOf(r.url, &host);
    curl_easy_setopt(easy, CURLOPT_URL, r.url.c_str());
    curl_easy_setopt(easy, CURLOPT_SHARE, process().share);
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(easy, CURLOPT_USERAGENT, r.session->agent.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &r);
    curl_easy_setopt(easy, CURLOPT_NOPROXY, "");
    r.proxied = !r.session->proxy.empty() && !BypassesProxy(r.session->noProxy, host);
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
        if (result == CURLE_WRITE_ERROR && (r.endlessBody || r.body.size() + CURL_MAX_WRITE_SIZE > kMaxBody))
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
    }
    if (!error && r.contentType.empty()) {
        char* type = nullptr;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &type);
        r.contentType = type ? type : "";
    }
    r.easy = nullptr;
    curl_multi_remove_handle(multi, easy);
    curl_multi_cleanup(multi);
    curl_easy_cleanup(easy);
    return error;
}

void AbortTransfer(Request& request)
{
    // A call blocked on this request returns as soon as it sees the flag.
    request.closing.store(true, std::memory_order_release);
    std::lock_guard lock(request.multiMutex);
    if (request.multi) curl_multi_wakeup(static_cast<CURLM*>(request.multi));
}

} // namespace inet

using namespace inet;

HINTERNET InternetOpenUrlA(HINTERNET sessionHandle, LPCSTR url, LPCSTR, DWORD, DWORD flags, DWORD_PTR)
{
    VE_TRACE(wininet, "(%p, %s, flags 0x%08lx)", sessionHandle, traceText(url).c_str(),
             static_cast<unsigned long>(flags));
    auto session = Find<Session>(sessionHandle);
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
    HINTERNET handle = Handles().insert(request);
    if (const DWORD error = Perform(*request)) {
        InternetCloseHandle(handle);
        SetLastError(error);
        return nullptr;
    }
    return handle;
}

BOOL HttpSendRequestA(HINTERNET handle, LPCSTR, DWORD, LPVOID, DWORD)
{
    VE_TRACE(wininet, "(%p)", handle);
    auto request = Find<Request>(handle);
    if (!request) return FailWith(ERROR_INVALID_HANDLE);
    // The request went out when the handle was opened; as in WinInet it
    // goes again now, whatever the first answer was, with the credentials
    // set on the handle since.
    if (const DWORD error = Perform(*request)) return FailWith(error);
    return TRUE;
}

BOOL HttpQueryInfoA(HINTERNET handle, DWORD infoLevel, LPVOID buffer, DWORD* length, DWORD*)
{
    VE_TRACE(wininet, "(%p, 0x%08lx)", handle, static_cast<unsigned long>(infoLevel));
    auto request = Find<Request>(handle);
    if (!request) return FailWith(ERROR_INVALID_HANDLE);
    if ((infoLevel & 0xFFFF) == HTTP_QUERY_CONTENT_TYPE && request->answered && !(infoLevel & HTTP_QUERY_FLAG_NUMBER)) {
        if (request->contentType.empty()) return FailWith(ERROR_HTTP_HEADER_NOT_FOUND);
        return CopyText(request->contentType, buffer, length);
    }
    if ((infoLevel & 0xFFFF) != HTTP_QUERY_STATUS_CODE || !request->answered) return FailWith(ERROR_HTTP_HEADER_NOT_FOUND);
    if (infoLevel & HTTP_QUERY_FLAG_NUMBER) {
        if (!buffer || !length || *length < sizeof(DWORD)) {
            if (length) *length = sizeof(DWORD);
            return FailWith(ERROR_INSUFFICIENT_BUFFER);
        }
        const DWORD status = static_cast<DWORD>(request->status);
        std::memcpy(buffer, &status, sizeof status);
        *length = sizeof status;
        return TRUE;
    }
    return CopyText(std::to_string(request->status), buffer, length);
}

BOOL InternetReadFile(HINTERNET handle, LPVOID buffer, DWORD toRead, DWORD* read)
{
    VE_TRACE(wininet, "(%p, %lu)", handle, static_cast<unsigned long>(toRead));
    auto request = Find<Request>(handle);
    if (!request || !read) return FailWith(ERROR_INVALID_HANDLE);
    if (!buffer && toRead) return FailWith(ERROR_INVALID_PARAMETER);
    const size_t left = request->body.size() - request->readPosition;
    const size_t n = std::min<size_t>(left, toRead);
    if (n) std::memcpy(buffer, request->body.data() + request->readPosition, n);
    request->readPosition += n;
    *read = static_cast<DWORD>(n);
    return TRUE;
}

void standin::InternetResetSessionState()
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
