// Options: the receive timeout, the credentials of a request, and the
// socket diagnostics that tell the proxy's address.
#include <cstring>
#include <string>

#include "platform/kernel/Kernel.h"
#include "platform/wininet/linux/InternetObjects.h"
#include "platform/winsock/linux/StandInWinsock.h"
#include "platform/trace/Trace.h"

namespace {

// A socket that stands for the connection to ip and port, or 0 when ip is
// not an address.
SOCKET peerOnlySocket(const std::string& ip, long port)
{
    ADDRINFOA hints{};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_socktype = SOCK_STREAM;
    PADDRINFOA found = nullptr;
    if (ip.empty() || getaddrinfo(ip.c_str(), std::to_string(port).c_str(), &hints, &found) != 0 || !found) return 0;
    const SOCKET s = standin::RegisterPeerOnlySocket(found->ai_addr, static_cast<int>(found->ai_addrlen));
    freeaddrinfo(found);
    return s == INVALID_SOCKET ? 0 : s;
}

} // namespace

using namespace inet;

BOOL InternetSetOptionA(HINTERNET handle, DWORD option, LPVOID buffer, DWORD length)
{
    VE_TRACE(wininet, "(%p, %lu, %s)", handle, static_cast<unsigned long>(option),
             option == INTERNET_OPTION_USERNAME && buffer
                 ? traceText(static_cast<const char*>(buffer), length).c_str()
                 : option == INTERNET_OPTION_PASSWORD ? "***" : "...");
    if (!buffer) return FailWith(ERROR_INVALID_PARAMETER);
    auto session = Find<Session>(handle);
    auto request = Find<Request>(handle);
    if (!session && !request) return FailWith(ERROR_INVALID_HANDLE);
    switch (option) {
    case INTERNET_OPTION_RECEIVE_TIMEOUT: {
        if (length != sizeof(DWORD)) return FailWith(ERROR_INTERNET_BAD_OPTION_LENGTH);
        DWORD ms;
        std::memcpy(&ms, buffer, sizeof ms);
        if (session) session->receiveTimeoutMs = ms;
        if (request) request->receiveTimeoutMs = ms;
        return TRUE;
    }
    case INTERNET_OPTION_USERNAME:
    case INTERNET_OPTION_PASSWORD: {
        if (!request) return FailWith(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        const std::string text(static_cast<const char*>(buffer), strnlen(static_cast<const char*>(buffer), length));
        (option == INTERNET_OPTION_USERNAME ? request->user : request->password) = text;
        return TRUE;
    }
    default:
        return FailWith(ERROR_INTERNET_INVALID_OPTION);
    }
}

namespace {

// A session's proxy setting, its strings placed after the structure in the
// caller's buffer, as Windows places them.
BOOL queryProxy(const Session& session, LPVOID buffer, DWORD* length)
{
    if (!length) return FailWith(ERROR_INVALID_PARAMETER);
    const DWORD needed = static_cast<DWORD>(sizeof(INTERNET_PROXY_INFO) + session.proxy.size() + 1 + session.bypass.size() + 1);
    if (!buffer || *length < needed) {
        *length = needed;
        return FailWith(ERROR_INSUFFICIENT_BUFFER);
    }
    auto* info = static_cast<INTERNET_PROXY_INFO*>(buffer);
    char* text = static_cast<char*>(buffer) + sizeof(INTERNET_PROXY_INFO);
    std::memcpy(text, session.proxy.c_str(), session.proxy.size() + 1);
    char* bypass = text + session.proxy.size() + 1;
    std::memcpy(bypass, session.bypass.c_str(), session.bypass.size() + 1);
    info->dwAccessType = session.proxy.empty() ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PROXY;
    info->lpszProxy = text;
    info->lpszProxyBypass = bypass;
    *length = needed;
    return TRUE;
}

} // namespace

BOOL InternetQueryOptionA(HINTERNET handle, DWORD option, LPVOID buffer, DWORD* length)
{
    VE_TRACE(wininet, "(%p, %lu)", handle, static_cast<unsigned long>(option));
    if (option == INTERNET_OPTION_PROXY) {
        auto session = Find<Session>(handle);
        if (!session) return FailWith(Find<Request>(handle) ? ERROR_INTERNET_INCORRECT_HANDLE_TYPE : ERROR_INVALID_HANDLE);
        return queryProxy(*session, buffer, length);
    }
    auto request = Find<Request>(handle);
    if (!request) return FailWith(Find<Session>(handle) ? ERROR_INTERNET_INCORRECT_HANDLE_TYPE : ERROR_INVALID_HANDLE);
    switch (option) {
    case INTERNET_OPTION_USERNAME:
        return CopyText(request->user, buffer, length);
    case INTERNET_OPTION_PASSWORD:
        return CopyText(request->password, buffer, length);
    case INTERNET_OPTION_DIAGNOSTIC_SOCKET_INFO: {
        if (!length || !buffer || *length < sizeof(INTERNET_DIAGNOSTIC_SOCKET_INFO)) {
            if (length) *length = sizeof(INTERNET_DIAGNOSTIC_SOCKET_INFO);
            return FailWith(ERROR_INSUFFICIENT_BUFFER);
        }
        if (!request->answered) return FailWith(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
        // The connection is curl's and may be gone: a stand-in socket answers
        // getpeername with the address curl talked to (the proxy's when one
        // was used).
        if (!request->peerSocket) request->peerSocket = peerOnlySocket(request->peerIp, request->peerPort);
        INTERNET_DIAGNOSTIC_SOCKET_INFO info{};
        info.Socket = request->peerSocket;
        info.DestPort = static_cast<DWORD>(request->peerPort);
        info.Flags = request->proxied ? IDSI_FLAG_PROXY : 0;
        std::memcpy(buffer, &info, sizeof info);
        *length = sizeof info;
        return TRUE;
    }
    default:
        return FailWith(ERROR_INTERNET_INVALID_OPTION);
    }
}
