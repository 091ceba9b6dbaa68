// The Windows-named socket calls over the POSIX backend.
#include "platform/winsock/linux/StandInWinsock.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/winsock/linux/SocketBackend.h"
#include "platform/window/Window.h"
#include "platform/trace/Trace.h"

namespace {
thread_local int t_lastError = 0;

int fail(int error)
{
    t_lastError = error;
    return SOCKET_ERROR;
}
} // namespace

int WSAGetLastError() { return t_lastError; }
void WSASetLastError(int error) { t_lastError = error; }

int WSAStartup(WORD version, WSADATA* data)
{
    VE_TRACE(winsock, "(0x%04x, %p)", version, static_cast<void*>(data));
    if (!data) return WSAEFAULT;
    std::memset(data, 0, sizeof *data);
    data->wVersion = version;
    data->wHighVersion = 0x0202;
    std::strncpy(data->szDescription, "POSIX sockets", sizeof data->szDescription - 1);
    std::strncpy(data->szSystemStatus, "Running", sizeof data->szSystemStatus - 1);
    return 0;
}

int WSACleanup() { return 0; }

SOCKET socket(int af, int type, int protocol)
{
    VE_TRACE(winsock, "(%d, %d, %d)", af, type, protocol);
    int error = 0;
    const std::uintptr_t s = vesock::create(af, type, protocol, &error);
    if (!s) {
        t_lastError = error;
        return INVALID_SOCKET;
    }
    return s;
}

int connect(SOCKET s, const sockaddr* name, int namelen)
{
    VE_TRACE(winsock, "(0x%lx, %p, %d)", static_cast<unsigned long>(s), static_cast<const void*>(name), namelen);
    int error = 0;
    return vesock::connectTo(s, name, namelen, &error) == 0 ? 0 : fail(error);
}

int bind(SOCKET s, const sockaddr* name, int namelen)
{
    VE_TRACE(winsock, "(0x%lx, %p, %d)", static_cast<unsigned long>(s), static_cast<const void*>(name), namelen);
    int error = 0;
    return vesock::bindTo(s, name, namelen, &error) == 0 ? 0 : fail(error);
}

int listen(SOCKET s, int backlog)
{
    VE_TRACE(winsock, "(0x%lx, %d)", static_cast<unsigned long>(s), backlog);
    int error = 0;
    return vesock::listenOn(s, backlog, &error) == 0 ? 0 : fail(error);
}

SOCKET accept(SOCKET s, sockaddr* addr, int* addrlen)
{
    VE_TRACE(winsock, "(0x%lx)", static_cast<unsigned long>(s));
    int error = 0;
    const std::uintptr_t a = vesock::acceptFrom(s, addr, addrlen, &error);
    if (!a) {
        t_lastError = error;
        return INVALID_SOCKET;
    }
    return a;
}

int send(SOCKET s, const char* buf, int len, int)
{
    VE_TRACE(winsock, "(0x%lx, %s, %d)", static_cast<unsigned long>(s),
             traceText(buf, len > 0 ? static_cast<std::size_t>(len) : 0).c_str(), len);
    if (len < 0 || (!buf && len > 0)) return fail(WSAEFAULT);
    int error = 0;
    const long n = vesock::sendSome(s, buf, static_cast<std::size_t>(len), &error);
    return n >= 0 ? static_cast<int>(n) : fail(error);
}

int recv(SOCKET s, char* buf, int len, int flags)
{
    VE_TRACE(winsock, "(0x%lx, %p, %d, 0x%x)", static_cast<unsigned long>(s), static_cast<void*>(buf), len,
             static_cast<unsigned>(flags));
    if (len < 0 || (!buf && len > 0)) return fail(WSAEFAULT);
    if (flags & ~MSG_PEEK) return fail(WSAEOPNOTSUPP);
    int error = 0;
    const long n = vesock::receiveSome(s, buf, static_cast<std::size_t>(len), (flags & MSG_PEEK) != 0, &error);
    return n >= 0 ? static_cast<int>(n) : fail(error);
}

int WSAAsyncSelect(SOCKET s, HWND hwnd, UINT message, long events)
{
    VE_TRACE(winsock, "(0x%lx, %p, 0x%x, 0x%lx)", static_cast<unsigned long>(s), static_cast<void*>(hwnd), message,
             static_cast<unsigned long>(events));
    if (events & ~(FD_READ | FD_CLOSE)) return fail(WSAEINVAL);
    if (events != 0 && !IsWindow(hwnd)) return fail(WSAEINVAL);
    std::function<void(long)> notify;
    if (events != 0)
        notify = [s, hwnd, message](long event) {
            PostMessageA(hwnd, message, static_cast<WPARAM>(s), static_cast<LPARAM>(event == vesock::kHungUp ? FD_CLOSE : FD_READ));
        };
    int error = 0;
    return vesock::watch(s, events, std::move(notify), &error) == 0 ? 0 : fail(error);
}

int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen)
{
    VE_TRACE(winsock, "(0x%lx, %d, %d, %d)", static_cast<unsigned long>(s), level, optname, optlen);
    if (level != SOL_SOCKET || optname != SO_RCVTIMEO) return fail(WSAENOPROTOOPT);
    if (!optval || optlen < static_cast<int>(sizeof(DWORD))) return fail(WSAEFAULT);
    DWORD ms = 0;
    std::memcpy(&ms, optval, sizeof ms);
    int error = 0;
    return vesock::setReceiveTimeout(s, ms, &error) == 0 ? 0 : fail(error);
}

int shutdown(SOCKET s, int how)
{
    VE_TRACE(winsock, "(0x%lx, %d)", static_cast<unsigned long>(s), how);
    int error = 0;
    return vesock::shutdownSocket(s, how, &error) == 0 ? 0 : fail(error);
}

int closesocket(SOCKET s)
{
    VE_TRACE(winsock, "(0x%lx)", static_cast<unsigned long>(s));
    int error = 0;
    return vesock::closeSocket(s, &error) == 0 ? 0 : fail(error);
}

int ioctlsocket(SOCKET s, long cmd, ULONG* argp)
{
    VE_TRACE(winsock, "(0x%lx, 0x%lx, %lu)", static_cast<unsigned long>(s), static_cast<unsigned long>(cmd),
             argp ? static_cast<unsigned long>(*argp) : 0ul);
    if (cmd != FIONBIO) return fail(WSAEINVAL);
    if (!argp) return fail(WSAEFAULT);
    int error = 0;
    return vesock::setNonBlocking(s, *argp != 0, &error) == 0 ? 0 : fail(error);
}

int getpeername(SOCKET s, sockaddr* name, int* namelen)
{
    VE_TRACE(winsock, "(0x%lx)", static_cast<unsigned long>(s));
    int error = 0;
    return vesock::peerName(s, name, namelen, &error) == 0 ? 0 : fail(error);
}

int getsockname(SOCKET s, sockaddr* name, int* namelen)
{
    VE_TRACE(winsock, "(0x%lx)", static_cast<unsigned long>(s));
    int error = 0;
    return vesock::localName(s, name, namelen, &error) == 0 ? 0 : fail(error);
}

int getaddrinfo(const char* node, const char* service, const ADDRINFOA* hints, PADDRINFOA* result)
{
    VE_TRACE(winsock, "(%s, %s)", traceText(node).c_str(), traceText(service).c_str());
    if (!result) return t_lastError = WSAEFAULT;
    *result = nullptr;
    std::vector<vesock::Resolved> list;
    const int rc = vesock::resolve(node, service, hints ? hints->ai_flags : 0, hints ? hints->ai_family : AF_UNSPEC,
                                   hints ? hints->ai_socktype : 0, hints ? hints->ai_protocol : 0, &list);
    if (rc != 0) return t_lastError = rc;
    ADDRINFOA** tail = result;
    for (const auto& r : list) {
        auto* node = static_cast<ADDRINFOA*>(std::calloc(1, sizeof(ADDRINFOA) + r.address.size()));
        if (!node) {
            freeaddrinfo(*result);
            *result = nullptr;
            return t_lastError = WSAENOBUFS;
        }
        node->ai_family = r.family;
        node->ai_socktype = r.type;
        node->ai_protocol = r.protocol;
        node->ai_addrlen = r.address.size();
        node->ai_addr = reinterpret_cast<sockaddr*>(node + 1);
        std::memcpy(node->ai_addr, r.address.data(), r.address.size());
        *tail = node;
        tail = &node->ai_next;
    }
    return 0;
}

void freeaddrinfo(PADDRINFOA ai)
{
    while (ai) {
        ADDRINFOA* next = ai->ai_next;
        std::free(ai);
        ai = next;
    }
}

USHORT htons(USHORT v) { return static_cast<USHORT>((v >> 8) | (v << 8)); }
USHORT ntohs(USHORT v) { return htons(v); }
std::uint32_t htonl(std::uint32_t v) { return __builtin_bswap32(v); }

SOCKET standin::RegisterPeerOnlySocket(const sockaddr* peer, int length) { return vesock::registerPeerOnly(peer, length); }
