// Where the camera is, and the preflight that prepares an unattended
// socket request: proxy, credentials and the camera's session cookie,
// learnt through the internet layer.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/kernel/Kernel.h"
#include "platform/trace/Trace.h"
#include "stream/StreamClient.h"

namespace {

// Names of the camera's pages and programs that end the host prefix.
const char* const kImageMarkers[] = {"ImageViewer", "nphMotionJpeg", "RecordFrame", "CgiPlayback", "cgi-bin",
                                     "RuzOroroVuzozoDidi"};
const char* const kPageMarkers[] = {"ImageViewer",       "nphMotionJpeg",   "RecordFrame",    "CgiPlayback",
                                    "RuzOroroVuzozoDidi", "CgiMDetectPreview", "CgiMotionDetect", "CgiCameraSetup",
                                    "CgiMultiCameraBody"};

constexpr const char* kDialogMutexText = "Zurizodoz Azazovererevor EdizazA Zez";
constexpr const char* kAgent = "VARUV20_IRI";
constexpr DWORD kPreflightReceiveTimeoutMs = 5000;
constexpr DWORD kMutexPollMs = 100;
constexpr DWORD kDialogFlags = 0x2007;

// The lowest position at which a marker begins; npos when none does.
template <size_t N>
size_t findMarker(const std::string& text, const char* const (&markers)[N])
{
    for (size_t p = 0; p < text.size(); ++p)
        for (const char* m : markers)
            if (text.compare(p, std::strlen(m), m) == 0) return p;
    return std::string::npos;
}

// Removes the user-information part (everything up to the last at sign) from
// the address that begins at `from` and ends at the first "/", "?" or "#":
// user names and passwords travel only in the Authorization line, never in
// a request target that every proxy and log along the way would see.
void removeUserInfo(std::string& text, size_t from)
{
    if (from > text.size()) return;
    const size_t end = std::min(text.find_first_of("/?#", from), text.size());
    const size_t at = text.rfind('@', end == 0 ? 0 : end - 1);
    if (at != std::string::npos && at >= from && at < end) text.erase(from, at + 1 - from);
}

bool beginsWithHttp(const std::string& text)
{
    static const char kScheme[] = "http://";
    if (text.size() < sizeof kScheme - 1) return false;
    for (size_t i = 0; i + 1 < sizeof kScheme; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != kScheme[i]) return false;
    return true;
}

// Runs a function when the scope it guards is left, by any return.
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : m_f(std::move(f)) {}
    ~ScopeExit() { m_f(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F m_f;
};

// The most of a cookie list that is read: far beyond what a camera sets,
// and a bound on what a host's cookies can make the preflight allocate.
constexpr DWORD kMaxCookieList = 64 * 1024;

// Every cookie the internet layer would send to `url`, as one text
// ("a=1; SESSIONID=x; b=2"). InternetGetCookieA answers with all of them
// whatever name is asked for, and leaves out HttpOnly cookies, which come
// from InternetGetCookieExA with INTERNET_COOKIE_HTTPONLY; that call is
// asked for no name in particular, so that it gives the same whole list
// whether or not it would restrict itself to a name. A system that does
// not take the flag is asked again without it. False when there are none
// or the list cannot be read whole.
bool readCookies(const char* url, std::string& cookies)
{
    std::vector<char> buffer(512);
    bool withHttpOnly = true;
    // Cookies may arrive between a call that gives the size and the next.
    for (int attempt = 0; attempt < 6; ++attempt) {
        DWORD size = static_cast<DWORD>(buffer.size());
        VE_TRACE_CALL(wininet, withHttpOnly ? "InternetGetCookieExA" : "InternetGetCookieA", "(%s)",
                      traceText(url).c_str());
        const BOOL read = withHttpOnly ? InternetGetCookieExA(url, nullptr, buffer.data(), &size,
                                                              INTERNET_COOKIE_HTTPONLY, nullptr)
                                       : InternetGetCookieA(url, "SESSIONID", buffer.data(), &size);
        if (read) {
            // The text ends at its terminator or at the buffer's end,
            // whatever size the call reported.
            const auto end = std::find(buffer.begin(), buffer.end(), '\0');
            cookies.assign(buffer.begin(), end);
            return true;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_INSUFFICIENT_BUFFER) {
            if (buffer.size() >= kMaxCookieList) return false;
            const size_t wanted = std::max<size_t>(size, buffer.size() * 2);
            buffer.assign(std::min<size_t>(wanted, kMaxCookieList), '\0');
            continue;
        }
        if (error == ERROR_NO_MORE_ITEMS || !withHttpOnly) return false;
        withHttpOnly = false;
    }
    return false;
}

} // namespace

std::string CStreamClient::FindSessionCookie(const std::string& cookies)
{
    static const char kName[] = "SESSIONID=";
    size_t start = 0;
    while (start < cookies.size()) {
        size_t end = cookies.find(';', start);
        if (end == std::string::npos) end = cookies.size();
        size_t first = start;
        while (first < end && (cookies[first] == ' ' || cookies[first] == '\t')) ++first;
        if (cookies.compare(first, sizeof kName - 1, kName) == 0 && first + sizeof kName - 1 <= end)
            return cookies.substr(first, end - first);
        start = end + 1;
    }
    return std::string();
}

bool CStreamClient::ParseImageUrl()
{
    const std::string& path = m_pBlock->path;
    if (path.size() <= 7) return false;
    std::string host = path.substr(7);
    const size_t marker = findMarker(host, kImageMarkers);
    if (marker == std::string::npos) return false;
    host.resize(marker);
    m_pBlock->hostPrefix = host;
    removeUserInfo(m_pBlock->hostPrefix, 0);
    host = host.substr(0, host.find('/'));
    // The host follows the last at sign, as in the prefix.
    const size_t at = host.rfind('@');
    if (at != std::string::npos) {
        const std::string credentials = host.substr(0, at);
        host = host.substr(at + 1);
        const size_t colon = credentials.find(':');
        if (colon != std::string::npos) {
            m_pBlock->userName = credentials.substr(0, colon);
            m_pBlock->password = credentials.substr(colon + 1);
        }
    }
    SetHost(host.data(), host.size());
    return m_pBlock->host != nullptr;
}

bool CStreamClient::ParsePageUrl()
{
    const std::string& url = m_pBlock->pageUrl;
    if (url.size() <= 7) return false;
    std::string host = url.substr(7);
    const size_t marker = findMarker(host, kPageMarkers);
    if (marker == std::string::npos) return false;
    host.resize(marker);
    m_pBlock->hostPrefix = host;
    removeUserInfo(m_pBlock->hostPrefix, 0);
    host = host.substr(0, host.find('/'));
    const size_t at = host.rfind('@');
    if (at != std::string::npos) host = host.substr(at + 1);
    SetHost(host.data(), host.size());
    return m_pBlock->host != nullptr;
}

int CStreamClient::ParsePort(char* host)
{
    if (!host) return 0;
    char* p = host;
    while (*p && *p != ';' && *p != ':') ++p;
    if (*p != ':') return 0;
    *p++ = '\0';
    int port = 0;
    for (int i = 0; i < 5 && p[i] >= '0' && p[i] <= '9'; ++i) port = port * 10 + (p[i] - '0');
    return port;
}

void CStreamClient::TakeRequestPath()
{
    if (!m_pBlock) return;
    m_strRequestPath = m_pBlock->path;
    if (beginsWithHttp(m_strRequestPath)) removeUserInfo(m_strRequestPath, 7);
}

bool CStreamClient::ParseStreamUrl(const std::string& url)
{
    if (!beginsWithHttp(url)) return false;
    const size_t end = url.find_first_of("/?#", 7);
    std::string authority = url.substr(7, end == std::string::npos ? std::string::npos : end - 7);
    const size_t at = authority.rfind('@');
    if (at != std::string::npos) {
        const std::string credentials = authority.substr(0, at);
        authority.erase(0, at + 1);
        const size_t colon = credentials.find(':');
        if (colon != std::string::npos) {
            m_pBlock->userName = credentials.substr(0, colon);
            m_pBlock->password = credentials.substr(colon + 1);
        }
    }
    if (authority.empty()) return false;
    m_pBlock->hostPrefix = authority + "/";
    SetHost(authority.data(), authority.size());
    return m_pBlock->host != nullptr;
}

bool CStreamClient::Locate()
{
    if (!m_pBlock) return false;
    m_bDirectAddress = false;
    if (IsAnyPictureStream()) {
        // The stream's own address: the path when it is one, else the
        // address the container gave as the page's.
        const std::string& address = m_pBlock->path.empty() ? m_pBlock->pageUrl : m_pBlock->path;
        if (beginsWithHttp(address)) {
            if (!ParseStreamUrl(address)) return false;
            const int port = ParsePort(m_pBlock->host);
            m_pBlock->port = port == 0 ? 80 : port;
            m_strRequestPath = address;
            removeUserInfo(m_strRequestPath, 7);
            m_bDirectAddress = true;
            return true;
        }
    }
    const bool parsed = m_pBlock->path.compare(0, 7, "http://") == 0 ? ParseImageUrl() : ParsePageUrl();
    if (!parsed) return false;
    const int port = ParsePort(m_pBlock->host);
    m_pBlock->port = port == 0 ? 80 : port;
    TakeRequestPath();
    return true;
}

int CStreamClient::Prepare()
{
    if (!m_pBlock || GetState() != STREAM_IDLE) return -1;
    if (!Locate()) return -1;
    VE_TRACE(stream, "prepared: host %s port %ld", traceText(GetHost()).c_str(), static_cast<long>(GetPort()));
    Advance(0);
    if (m_bRestingWorker.load(std::memory_order_acquire) && m_hWake) SetEvent(m_hWake);
    return 0;
}

bool CStreamClient::WaitForNamedMutex(const char* name, HANDLE* mutex) const
{
    for (;;) {
        *mutex = CreateMutexA(nullptr, TRUE, name);
        if (GetLastError() != ERROR_ALREADY_EXISTS) return true;
        CloseHandle(*mutex);
        *mutex = nullptr;
        if (StopRequested()) return false;
        Sleep(kMutexPollMs);
    }
}

int CStreamClient::RunPreflight()
{
    char dialogMutexName[128];
    std::snprintf(dialogMutexName, sizeof dialogMutexName, "%s%d", kDialogMutexText,
                  static_cast<int>(reinterpret_cast<std::intptr_t>(m_hBrowserWnd)));
    auto errorCode = [this](StreamError flag) {
        m_nPreflightError = static_cast<int>(GetLastError());
        m_nPreflightFlags |= flag;
    };

    if (m_pBlock->hostPrefix.empty()) {
        errorCode(ERR_NO_HOST_PREFIX);
        return PREFLIGHT_FAILED;
    }
    char rootUrl[300];
    if (m_pBlock->port == 80)
        std::snprintf(rootUrl, sizeof rootUrl, "http://%s/", m_pBlock->host ? m_pBlock->host : "");
    else
        std::snprintf(rootUrl, sizeof rootUrl, "http://%s:%d/", m_pBlock->host ? m_pBlock->host : "",
                      static_cast<int>(m_pBlock->port));
    const std::string mutexName = std::string(rootUrl) + std::to_string(reinterpret_cast<std::intptr_t>(m_hBrowserWnd));

    // One preflight at a time to one camera from one browser window.
    if (!WaitForNamedMutex(mutexName.c_str(), &m_hPreflightMutex)) return PREFLIGHT_FAILED;
    // However the preflight ends, its internet handles are closed and then
    // the camera's mutex is released.
    const ScopeExit finish([this] {
        CloseInternetHandles();
        if (m_hPreflightMutex) {
            ReleaseMutex(m_hPreflightMutex);
            CloseHandle(m_hPreflightMutex);
            m_hPreflightMutex = nullptr;
        }
    });

    VE_TRACE_CALL(wininet, "InternetOpenA", "(%s, PRECONFIG)", traceText(kAgent).c_str());
    HINTERNET internet = InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!internet) {
        errorCode(ERR_INTERNET_OPEN);
        return PREFLIGHT_RETRY;
    }
    m_hInternet.store(internet, std::memory_order_release);
    if (StopRequested()) return PREFLIGHT_FAILED;
    DWORD timeout = kPreflightReceiveTimeoutMs;
    VE_TRACE_CALL(wininet, "InternetSetOptionA", "(%p, RECEIVE_TIMEOUT, %lu)", internet,
                  static_cast<unsigned long>(timeout));
    InternetSetOptionA(internet, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);

    VE_TRACE_CALL(wininet, "InternetOpenUrlA", "(%p, %s, flags 0x%08lx)", internet, traceText(rootUrl).c_str(),
                  static_cast<unsigned long>(INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE));
    HINTERNET request = InternetOpenUrlA(internet, rootUrl, nullptr, 0,
                                         INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (!request) {
        errorCode(ERR_OPEN_URL);
        return PREFLIGHT_RETRY;
    }
    m_hRequest.store(request, std::memory_order_release);
    if (StopRequested()) return PREFLIGHT_FAILED;
    if (!m_pBlock->userName.empty() && !m_pBlock->password.empty()) {
        VE_TRACE_CALL(wininet, "InternetSetOptionA", "(%p, USERNAME, %s)", request,
                      traceText(m_pBlock->userName).c_str());
        VE_TRACE_CALL(wininet, "InternetSetOptionA", "(%p, PASSWORD, ***)", request);
        InternetSetOptionA(request, INTERNET_OPTION_USERNAME, const_cast<char*>(m_pBlock->userName.c_str()),
                           static_cast<DWORD>(m_pBlock->userName.size()));
        InternetSetOptionA(request, INTERNET_OPTION_PASSWORD, const_cast<char*>(m_pBlock->password.c_str()),
                           static_cast<DWORD>(m_pBlock->password.size()));
    }
    VE_TRACE_CALL(wininet, "HttpSendRequestA", "(%p)", request);
    if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
        errorCode(ERR_SEND_REQUEST);
        return PREFLIGHT_RETRY;
    }

    DWORD status = 0;
    for (;;) {
        DWORD length = sizeof status;
        VE_TRACE_CALL(wininet, "HttpQueryInfoA", "(%p, STATUS_CODE)", request);
        if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr)) {
            errorCode(ERR_QUERY_STATUS);
            return PREFLIGHT_FAILED;
        }
        if (status == 401) {
            // One password dialog at a time in one browser window.
            HANDLE dialogMutex = nullptr;
            if (!WaitForNamedMutex(dialogMutexName, &dialogMutex)) return PREFLIGHT_FAILED;
            VE_TRACE_CALL(wininet, "InternetErrorDlg", "(%p, %p, INCORRECT_PASSWORD)", traceHandle(m_hBrowserWnd),
                          request);
            const DWORD answer = InternetErrorDlg(m_hBrowserWnd, request, ERROR_INTERNET_INCORRECT_PASSWORD, kDialogFlags, nullptr);
            ReleaseMutex(dialogMutex);
            CloseHandle(dialogMutex);
            if (answer == ERROR_INTERNET_FORCE_RETRY) {
                VE_TRACE_CALL(wininet, "HttpSendRequestA", "(%p)", request);
                if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0)) {
                    errorCode(ERR_SEND_REQUEST);
                    return PREFLIGHT_RETRY;
                }
                continue;
            }
            errorCode(ERR_DIALOG);
            break;
        }
        if (status == 407) errorCode(ERR_PROXY_AUTH);
        break;
    }
    if (status != 200) {
        errorCode(ERR_PREFLIGHT_STATUS);
        return PREFLIGHT_FAILED;
    }

    INTERNET_DIAGNOSTIC_SOCKET_INFO info{};
    DWORD infoLength = sizeof info;
    VE_TRACE_CALL(wininet, "InternetQueryOptionA", "(%p, DIAGNOSTIC_SOCKET_INFO)", request);
    if (!InternetQueryOptionA(request, INTERNET_OPTION_DIAGNOSTIC_SOCKET_INFO, &info, &infoLength)) {
        errorCode(ERR_SOCKET_INFO);
    } else if (info.Flags == IDSI_FLAG_PROXY) {
        unsigned char address[sizeof(sockaddr_in6)] = {};
        int addressLength = sizeof address;
        VE_TRACE_CALL(winsock, "getpeername", "(0x%lx)", static_cast<unsigned long>(info.Socket));
        if (getpeername(info.Socket, reinterpret_cast<sockaddr*>(address), &addressLength) != 0) {
            m_nPreflightError = WSAGetLastError();
            m_nPreflightFlags |= ERR_PROXY_ADDRESS;
        } else if (!m_pProxyAddress) {
            m_pProxyAddress = new unsigned char[static_cast<size_t>(addressLength)];
            std::memcpy(m_pProxyAddress, address, static_cast<size_t>(addressLength));
            m_nProxyAddressLength = addressLength;
        }
    }

    // The user name and password the exchange used, read back whole through
    // buffers that take anything the stream request can carry. One that
    // does not fit is not cut short: the stream request is refused.
    char text[STREAM_MAX_CREDENTIALS + 1];
    DWORD textLength = sizeof text;
    m_bCredentialsTooLong = false;
    VE_TRACE_CALL(wininet, "InternetQueryOptionA", "(%p, USERNAME and PASSWORD)", request);
    if (InternetQueryOptionA(request, INTERNET_OPTION_USERNAME, text, &textLength)) {
        text[sizeof text - 1] = '\0';
        m_pBlock->userName = text;
        textLength = sizeof text;
        if (InternetQueryOptionA(request, INTERNET_OPTION_PASSWORD, text, &textLength)) {
            text[sizeof text - 1] = '\0';
            m_pBlock->password = text;
        } else if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            m_bCredentialsTooLong = true;
        }
    } else if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        m_bCredentialsTooLong = true;
    } else {
        errorCode(ERR_USER_NAME);
    }

    // The camera's session cookie, wherever it stands among the cookies
    // the internet layer holds for the camera.
    std::string cookies;
    if (readCookies(rootUrl, cookies)) {
        const std::string session = FindSessionCookie(cookies);
        if (!session.empty()) {
            const size_t length = std::min(session.size(), static_cast<size_t>(STREAM_COOKIE_SIZE - 1));
            std::memcpy(m_szCookie, session.data(), length);
            m_szCookie[length] = '\0';
        }
    }
    return PREFLIGHT_DONE;
}
