// POSIX sockets behind the Winsock stand-in. Every socket is non-blocking
// underneath; a blocking call waits in poll together with the socket's
// cancellation descriptor, which closesocket and shutdown signal.
#include "platform/winsock/linux/SocketBackend.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/kernel/linux/HandleTable.h"

namespace vesock {
namespace {

constexpr int kWinInet6 = 23;
constexpr int kWsaEintr = 10004;
constexpr int kWsaEwouldblock = 10035;
constexpr int kWsaEnotsock = 10038;
constexpr int kWsaEinval = 10022;
constexpr int kWsaEfault = 10014;
constexpr int kWsaEtimedout = 10060;

struct Socket {
    int fd = -1;
    int cancel = -1; // eventfd
    std::atomic<bool> nonBlocking{false};
    std::atomic<bool> closed{false};
    std::atomic<unsigned long> receiveTimeoutMs{0}; // 0: none
    bool peerOnly = false;
    std::vector<unsigned char> peer; // for peer-only sockets, Windows layout
    // What the watcher tells of this socket (watch()), under watchMutex.
    std::mutex watchMutex;
    long watchEvents = 0;
    bool readArmed = false; // the next readable data is told (a receive arms it again)
    bool hangUpTold = false;
    std::function<void(long)> notify;
    ~Socket()
    {
        if (fd >= 0) ::close(fd);
        if (cancel >= 0) ::close(cancel);
    }
    void wake() const
    {
        if (cancel >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(cancel, &one, sizeof one);
        }
    }
};

HandleTable<std::uintptr_t, Socket>& table()
{
    // Never destroyed: threads still running at exit may use it.
    static auto* t = new HandleTable<std::uintptr_t, Socket>(0x1000);
    return *t;
}

std::shared_ptr<Socket> find(std::uintptr_t s) { return table().find(s); }

std::uintptr_t insert(std::shared_ptr<Socket> socket) { return table().insert(std::move(socket)); }

// The process's socket watcher: one thread waiting in epoll for the
// sockets that asked for notices, each armed for one event at a time.
class Watcher {
public:
    static Watcher& instance()
    {
        // Never destroyed: its thread waits for the process's whole life.
        static Watcher* w = new Watcher;
        return *w;
    }
    // (Re)arms the socket's descriptor for the events still to be told;
    // false when the descriptor cannot be watched. Under watchMutex.
    bool arm(std::uintptr_t h, const Socket& s)
    {
        if (m_epoll < 0) return false;
        epoll_event e{};
        e.events = EPOLLONESHOT;
        if (s.readArmed) e.events |= EPOLLIN;
        if ((s.watchEvents & kHungUp) && !s.hangUpTold) e.events |= EPOLLRDHUP;
        e.data.u64 = h;
        // Modified when it is watched already, else added.
        return ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, s.fd, &e) == 0 ||
               (errno == ENOENT && ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, s.fd, &e) == 0);
    }
    void forget(const Socket& s)
    {
        if (m_epoll >= 0) ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, s.fd, nullptr);
    }

private:
    Watcher() : m_epoll(::epoll_create1(EPOLL_CLOEXEC))
    {
        if (m_epoll >= 0) std::thread([this] { run(); }).detach();
    }
    void run()
    {
        epoll_event events[64];
        for (;;) {
            const int n = ::epoll_wait(m_epoll, events, 64, -1);
            for (int i = 0; i < n; ++i) {
                const auto s = find(static_cast<std::uintptr_t>(events[i].data.u64));
                if (!s) continue;
                std::function<void(long)> notify;
                long told = 0;
                {
                    std::lock_guard lock(s->watchMutex);
                    if (!s->notify) continue;
                    const std::uint32_t e = events[i].events;
                    if (s->readArmed && (e & (EPOLLIN | EPOLLHUP | EPOLLERR))) {
                        s->readArmed = false;
                        told |= kReadable;
                    }
                    if ((s->watchEvents & kHungUp) && !s->hangUpTold && (e & (EPOLLRDHUP | EPOLLHUP | EPOLLERR))) {
                        s->hangUpTold = true;
                        told |= kHungUp;
                    }
                    // What is still to be told is watched for again.
                    arm(static_cast<std::uintptr_t>(events[i].data.u64), *s);
                    notify = s->notify;
                }
                if (told & kReadable) notify(kReadable);
                if (told & kHungUp) notify(kHungUp);
            }
        }
    }
    int m_epoll;
};

// After a receive, the socket is watched for its next data again.
void rearm(std::uintptr_t h, Socket& s)
{
    std::lock_guard lock(s.watchMutex);
    if (!s.notify || !(s.watchEvents & kReadable) || s.readArmed) return;
    s.readArmed = true;
    Watcher::instance().arm(h, s);
}

int wsaFromErrno(int e)
{
    switch (e) {
    case EINTR: return kWsaEintr;
    case EBADF: return 10009;
    case EACCES: case EPERM: return 10013;
    case EFAULT: return kWsaEfault;
    case EINVAL: return kWsaEinval;
    case EMFILE: case ENFILE: return 10024;
    case EAGAIN: return kWsaEwouldblock;
    case EINPROGRESS: return kWsaEwouldblock;
    case EALREADY: return 10037;
    case ENOTSOCK: return kWsaEnotsock;
    case EMSGSIZE: return 10040;
    case EAFNOSUPPORT: return 10047;
    case EADDRINUSE: return 10048;
    case EADDRNOTAVAIL: return 10049;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ECONNABORTED: return 10053;
    case ECONNRESET: case EPIPE: return 10054;
    case ENOBUFS: case ENOMEM: return 10055;
    case EISCONN: return 10056;
    case ENOTCONN: return 10057;
    case ESHUTDOWN: return 10058;
    case ETIMEDOUT: return 10060;
    case ECONNREFUSED: return 10061;
    case EHOSTUNREACH: return 10065;
    default: return 10050;
    }
}

int posixFamily(int winFamily) { return winFamily == kWinInet6 ? AF_INET6 : winFamily == 2 ? AF_INET : winFamily == 0 ? AF_UNSPEC : -1; }
int windowsFamily(int family) { return family == AF_INET6 ? kWinInet6 : family == AF_INET ? 2 : family; }

// Windows-layout address to a POSIX one (only the family field differs).
bool toPosix(const void* address, int length, sockaddr_storage* out, socklen_t* outLength)
{
    if (!address || length < 2 || length > static_cast<int>(sizeof(sockaddr_storage))) return false;
    std::memset(out, 0, sizeof *out);
    std::memcpy(out, address, static_cast<size_t>(length));
    std::uint16_t family;
    std::memcpy(&family, address, 2);
    const int posix = posixFamily(family);
    if (posix < 0) return false;
    out->ss_family = static_cast<sa_family_t>(posix);
    *outLength = static_cast<socklen_t>(length);
    return true;
}

int toWindows(const sockaddr_storage& in, socklen_t inLength, void* out, int* outLength)
{
    if (!out || !outLength) return kWsaEfault;
    if (*outLength < static_cast<int>(inLength)) return kWsaEfault;
    std::memcpy(out, &in, inLength);
    const std::uint16_t family = static_cast<std::uint16_t>(windowsFamily(in.ss_family));
    std::memcpy(out, &family, 2);
    *outLength = static_cast<int>(inLength);
    return 0;
}

// Waits until the socket is ready for `events` or is cancelled, for at
// most timeoutMs milliseconds when that is not 0. Returns 0 when ready, or
// a Winsock error (WSAETIMEDOUT when the time is up).
int waitFor(const Socket& s, short events, unsigned long timeoutMs = 0)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd fds[2] = {{s.fd, events, 0}, {s.cancel, POLLIN, 0}};
    for (;;) {
        if (s.closed.load(std::memory_order_acquire)) return kWsaEintr;
        int wait = -1;
        if (timeoutMs != 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
            if (left <= 0) return kWsaEtimedout;
            wait = static_cast<int>(std::min<long long>(left, 1 << 30));
        }
        const int n = ::poll(fds, 2, wait);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return wsaFromErrno(errno);
        if (fds[1].revents || s.closed.load(std::memory_order_acquire)) return kWsaEintr;
        if (fds[0].revents) return 0;
    }
}

std::shared_ptr<Socket> open(int fd)
{
    auto socket = std::make_shared<Socket>();
    socket->fd = fd;
    socket->cancel = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return socket;
}

} // namespace

std::uintptr_t create(int family, int type, int protocol, int* error)
{
    const int posix = posixFamily(family);
    if (posix <= 0 || type != 1) {
        *error = 10047;
        return 0;
    }
    const int fd = ::socket(posix, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
        *error = wsaFromErrno(errno);
        return 0;
    }
    auto socket = open(fd);
    if (socket->cancel < 0) {
        *error = wsaFromErrno(errno);
        return 0;
    }
    return insert(std::move(socket));
}

int connectTo(std::uintptr_t h, const void* address, int length, int* error)
{
    auto s = find(h);
    if (!s || s->peerOnly) return *error = kWsaEnotsock, -1;
    sockaddr_storage a;
    socklen_t l;
    if (!toPosix(address, length, &a, &l)) return *error = kWsaEfault, -1;
    if (::connect(s->fd, reinterpret_cast<sockaddr*>(&a), l) == 0) return 0;
    if (errno != EINPROGRESS) return *error = wsaFromErrno(errno), -1;
    if (s->nonBlocking.load()) return *error = kWsaEwouldblock, -1;
    if (const int w = waitFor(*s, POLLOUT)) return *error = w, -1;
    int e = 0;
    socklen_t el = sizeof e;
    ::getsockopt(s->fd, SOL_SOCKET, SO_ERROR, &e, &el);
    if (e != 0) return *error = wsaFromErrno(e), -1;
    return 0;
}

int bindTo(std::uintptr_t h, const void* address, int length, int* error)
{
    auto s = find(h);
    if (!s || s->peerOnly) return *error = kWsaEnotsock, -1;
    sockaddr_storage a;
    socklen_t l;
    if (!toPosix(address, length, &a, &l)) return *error = kWsaEfault, -1;
    const int one = 1;
    ::setsockopt(s->fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(s->fd, reinterpret_cast<sockaddr*>(&a), l) != 0) return *error = wsaFromErrno(errno), -1;
    return 0;
}

int listenOn(std::uintptr_t h, int backlog, int* error)
{
    auto s = find(h);
    if (!s || s->peerOnly) return *error = kWsaEnotsock, -1;
    if (::listen(s->fd, backlog) != 0) return *error = wsaFromErrno(errno), -1;
    return 0;
}

std::uintptr_t acceptFrom(std::uintptr_t h, void* address, int* length, int* error)
{
    auto s = find(h);
    if (!s || s->peerOnly) return *error = kWsaEnotsock, 0;
    for (;;) {
        sockaddr_storage a;
        socklen_t l = sizeof a;
        const int fd = ::accept4(s->fd, reinterpret_cast<sockaddr*>(&a), &l, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            if (address && length && toWindows(a, l, address, length) != 0) *length = 0;
            return insert(open(fd));
        }
        if (errno != EAGAIN) return *error = wsaFromErrno(errno), 0;
        if (s->nonBlocking.load()) return *error = kWsaEwouldblock, 0;
        if (const int w = waitFor(*s, POLLIN)) return *error = w, 0;
    }
}

long sendSome(std::uintptr_t h, const void* data, std::size_t length, int* error)
{
    auto s = find(h);
    if (!s || s->peerOnly) return *error = kWsaEnotsock, -1;
    for (;;) {
        const ssize_t n = ::send(s->fd, data, length, MSG_NOSIGNAL);
        if (n >= 0) return static_cast<long>(n);
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return *error = wsaFromErrno(errno), -1;
        if (s->nonBlocking.load()) return *error = kWsaEwouldblock, -1;
        if (const int w = waitFor(*s, POLLOUT)) return *error = w, -1;
    }
}

long receiveSome(std::uintptr_t h, void* data, std::size_t length, bool peek, int* error)
{
    auto s = find(h);
    if (!s || s->peerOnly) return *error = kWsaEnotsock, -1;
    // As on Windows, the bound counts from the call, however often the wait
    // wakes without data.
    const unsigned long timeoutMs = s->receiveTimeoutMs.load(std::memory_order_acquire);
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const ssize_t n = ::recv(s->fd, data, length, peek ? MSG_PEEK : 0);
        const int e = errno;
        rearm(h, *s);
        if (n >= 0) return static_cast<long>(n);
        if (e == EINTR) continue;
        if (e != EAGAIN) return *error = wsaFromErrno(e), -1;
        if (s->nonBlocking.load()) return *error = kWsaEwouldblock, -1;
        unsigned long left = 0;
        if (timeoutMs != 0) {
            const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
            if (spent >= static_cast<long long>(timeoutMs)) return *error = kWsaEtimedout, -1;
            left = timeoutMs - static_cast<unsigned long>(spent);
        }
        if (const int w = waitFor(*s, POLLIN, left)) return *error = w, -1;
    }
}

int setReceiveTimeout(std::uintptr_t h, unsigned long ms, int* error)
{
    auto s = find(h);
    if (!s || s->peerOnly) return *error = kWsaEnotsock, -1;
    s->receiveTimeoutMs.store(ms, std::memory_order_release);
    return 0;
}

int shutdownSocket(std::uintptr_t h, int how, int* error)
{
    auto s = find(h);
    if (!s || s->peerOnly) return *error = kWsaEnotsock, -1;
    const int posix = how == 0 ? SHUT_RD : how == 1 ? SHUT_WR : SHUT_RDWR;
    const int rc = ::shutdown(s->fd, posix);
    const int e = errno;
    // Ending both directions also ends a blocked connect, which the system
    // call alone does not.
    if (how == 2) {
        s->closed.store(true, std::memory_order_release);
        s->wake();
    }
    if (rc != 0 && e != ENOTCONN) return *error = wsaFromErrno(e), -1;
    return 0;
}

int closeSocket(std::uintptr_t h, int* error)
{
    const std::shared_ptr<Socket> s = table().remove(h);
    if (!s) return *error = kWsaEnotsock, -1;
    // A thread blocked on the socket keeps its own reference: the descriptor
    // closes when it has returned, so its number cannot be reused under it.
    s->closed.store(true, std::memory_order_release);
    s->wake();
    {
        std::lock_guard lock(s->watchMutex);
        if (s->notify) Watcher::instance().forget(*s);
        s->notify = nullptr;
        s->watchEvents = 0;
    }
    return 0;
}

int watch(std::uintptr_t h, long events, std::function<void(long)> notify, int* error)
{
    auto s = find(h);
    if (!s || s->peerOnly) return *error = kWsaEnotsock, -1;
    std::lock_guard lock(s->watchMutex);
    if (events == 0 || !notify) {
        if (s->notify) Watcher::instance().forget(*s);
        s->notify = nullptr;
        s->watchEvents = 0;
        return 0;
    }
    s->nonBlocking.store(true);
    s->notify = std::move(notify);
    s->watchEvents = events;
    s->readArmed = (events & kReadable) != 0;
    s->hangUpTold = false;
    if (!Watcher::instance().arm(h, *s)) {
        s->notify = nullptr;
        s->watchEvents = 0;
        return *error = kWsaEinval, -1;
    }
    return 0;
}

int setNonBlocking(std::uintptr_t h, bool on, int* error)
{
    auto s = find(h);
    if (!s || s->peerOnly) return *error = kWsaEnotsock, -1;
    s->nonBlocking.store(on);
    return 0;
}

int peerName(std::uintptr_t h, void* address, int* length, int* error)
{
    auto s = find(h);
    if (!s) return *error = kWsaEnotsock, -1;
    if (s->peerOnly) {
        if (!address || !length || *length < static_cast<int>(s->peer.size())) return *error = kWsaEfault, -1;
        std::memcpy(address, s->peer.data(), s->peer.size());
        *length = static_cast<int>(s->peer.size());
        return 0;
    }
    sockaddr_storage a;
    socklen_t l = sizeof a;
    if (::getpeername(s->fd, reinterpret_cast<sockaddr*>(&a), &l) != 0) return *error = wsaFromErrno(errno), -1;
    if (const int e = toWindows(a, l, address, length)) return *error = e, -1;
    return 0;
}

int localName(std::uintptr_t h, void* address, int* length, int* error)
{
    auto s = find(h);
    if (!s || s->peerOnly) return *error = kWsaEnotsock, -1;
    sockaddr_storage a;
    socklen_t l = sizeof a;
    if (::getsockname(s->fd, reinterpret_cast<sockaddr*>(&a), &l) != 0) return *error = wsaFromErrno(errno), -1;
    if (const int e = toWindows(a, l, address, length)) return *error = e, -1;
    return 0;
}

int resolve(const char* node, const char* service, int flags, int family, int type, int protocol,
            std::vector<Resolved>* out)
{
    addrinfo hints{};
    hints.ai_flags = (flags & 0x1 ? AI_PASSIVE : 0) | (flags & 0x4 ? AI_NUMERICHOST : 0);
    hints.ai_family = posixFamily(family) < 0 ? AF_UNSPEC : posixFamily(family);
    hints.ai_socktype = type == 1 ? SOCK_STREAM : 0;
    hints.ai_protocol = protocol;
    addrinfo* list = nullptr;
    const int rc = ::getaddrinfo(node, service, &hints, &list);
    if (rc != 0) {
        switch (rc) {
        case EAI_AGAIN: return 11002;
        case EAI_FAIL: return 11003;
        case EAI_NODATA: return 11004;
        case EAI_NONAME: return 11001;
        case EAI_MEMORY: return 10055;
        case EAI_SYSTEM: return wsaFromErrno(errno);
        default: return 11003;
        }
    }
    for (addrinfo* a = list; a; a = a->ai_next) {
        if (a->ai_family != AF_INET && a->ai_family != AF_INET6) continue;
        Resolved r;
        r.family = windowsFamily(a->ai_family);
        r.type = a->ai_socktype == SOCK_STREAM ? 1 : a->ai_socktype;
        r.protocol = a->ai_protocol;
        sockaddr_storage s{};
        std::memcpy(&s, a->ai_addr, a->ai_addrlen);
        r.address.resize(a->ai_addrlen);
        int length = static_cast<int>(a->ai_addrlen);
        toWindows(s, a->ai_addrlen, r.address.data(), &length);
        out->push_back(std::move(r));
    }
    ::freeaddrinfo(list);
    return out->empty() ? 11004 : 0;
}

std::uintptr_t registerPeerOnly(const void* address, int length)
{
    auto socket = std::make_shared<Socket>();
    socket->peerOnly = true;
    if (address && length > 0) {
        const auto* bytes = static_cast<const unsigned char*>(address);
        socket->peer.assign(bytes, bytes + length);
    }
    return insert(std::move(socket));
}

} // namespace vesock
