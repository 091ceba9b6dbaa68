// Windows Sockets over POSIX sockets, with the Winsock error numbers.
//
// Blocking calls wait together with a cancellation signal, so that
// closesocket or shutdown from another thread ends a blocked connect, recv
// or send within milliseconds. Socket handles are never reused, so a stale
// handle can never reach a newer socket.
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include <winsock2.h>
#include <ws2tcpip.h>
#include "platform/win/WinTypes.h"

#else

#include <cstddef>
#include <cstdint>

#include "platform/win/WinError.h"

using SOCKET = std::uintptr_t;
constexpr SOCKET INVALID_SOCKET = ~static_cast<SOCKET>(0);
constexpr int SOCKET_ERROR = -1;

constexpr int AF_UNSPEC = 0;
constexpr int AF_INET = 2;
constexpr int AF_INET6 = 23;
constexpr int SOCK_STREAM = 1;
constexpr int IPPROTO_TCP = 6;
constexpr int SD_RECEIVE = 0;
constexpr int SD_SEND = 1;
constexpr int SD_BOTH = 2;
constexpr long FIONBIO = static_cast<long>(0x8004667Eu);
constexpr int AI_PASSIVE = 0x1;
constexpr int AI_NUMERICHOST = 0x4;
constexpr int MSG_PEEK = 0x2;
constexpr int SOL_SOCKET = 0xffff;
constexpr int SO_RCVTIMEO = 0x1006;

constexpr int WSAEINTR = 10004;
constexpr int WSAEBADF = 10009;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAEINPROGRESS = 10036;
constexpr int WSAEALREADY = 10037;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAENOPROTOOPT = 10042;
constexpr int WSAEOPNOTSUPP = 10045;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAEISCONN = 10056;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSANO_DATA = 11004;

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
};

struct sockaddr {
    USHORT sa_family;
    char sa_data[14];
};
struct in_addr {
    std::uint32_t s_addr; // network order
};
struct sockaddr_in {
    short sin_family;
    USHORT sin_port; // network order
    in_addr sin_addr;
    char sin_zero[8];
};
struct sockaddr_in6 {
    short sin6_family;
    USHORT sin6_port;
    ULONG sin6_flowinfo;
    BYTE sin6_addr[16];
    ULONG sin6_scope_id;
};
struct SOCKADDR_STORAGE {
    short ss_family;
    char padding[126];
};
static_assert(sizeof(sockaddr) == 16 && sizeof(sockaddr_in) == 16 && sizeof(sockaddr_in6) == 28);

struct ADDRINFOA {
    int ai_flags;
    int ai_family;
    int ai_socktype;
    int ai_protocol;
    std::size_t ai_addrlen;
    char* ai_canonname;
    sockaddr* ai_addr;
    ADDRINFOA* ai_next;
};
using PADDRINFOA = ADDRINFOA*;

int WSAStartup(WORD version, WSADATA* data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);

SOCKET socket(int af, int type, int protocol);
int connect(SOCKET s, const sockaddr* name, int namelen);
int bind(SOCKET s, const sockaddr* name, int namelen);
int listen(SOCKET s, int backlog);
SOCKET accept(SOCKET s, sockaddr* addr, int* addrlen);
int send(SOCKET s, const char* buf, int len, int flags);
// flags: 0, or MSG_PEEK to look at the waiting bytes and leave them there.
int recv(SOCKET s, char* buf, int len, int flags);
// SOL_SOCKET / SO_RCVTIMEO only: a DWORD of milliseconds that bounds each
// blocking recv (0: no bound); a recv that waits longer fails with
// WSAETIMEDOUT.
int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen);
int shutdown(SOCKET s, int how);
int closesocket(SOCKET s);
int ioctlsocket(SOCKET s, long cmd, ULONG* argp);
int getpeername(SOCKET s, sockaddr* name, int* namelen);
int getsockname(SOCKET s, sockaddr* name, int* namelen);
// Returns 0 or a Winsock error number (also set as the last error).
int getaddrinfo(const char* node, const char* service, const ADDRINFOA* hints, PADDRINFOA* result);
void freeaddrinfo(PADDRINFOA ai);

// Asks for `message` to be posted to `hwnd` when the socket has data to
// read (FD_READ) or its peer closed it (FD_CLOSE), with the socket as
// wParam and the event with an error in lParam (WSAGETSELECTEVENT,
// WSAGETSELECTERROR). After one FD_READ notice the next comes only once a
// recv was made (and data is there again); FD_CLOSE comes once. The
// socket becomes non-blocking. No events (0) stops the notices; notices
// already posted stay in the queue.
constexpr long FD_READ = 0x01;
constexpr long FD_CLOSE = 0x20;
int WSAAsyncSelect(SOCKET s, HWND hwnd, UINT message, long events);
inline WORD WSAGETSELECTEVENT(LPARAM lParam) { return static_cast<WORD>(lParam & 0xFFFF); }
inline WORD WSAGETSELECTERROR(LPARAM lParam) { return static_cast<WORD>((lParam >> 16) & 0xFFFF); }

USHORT htons(USHORT v);
USHORT ntohs(USHORT v);
std::uint32_t htonl(std::uint32_t v);

#endif
