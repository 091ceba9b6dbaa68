#include "fuzz/LoopbackPeer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace loopback_peer {
namespace {

[[noreturn]] void fail(const char* what)
{
    std::perror(what);
    std::abort();
}

struct Listener {
    int fd = -1;
    std::uint16_t port = 0;
};

const Listener& listener()
{
    static const Listener made = [] {
        Listener l;
        l.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (l.fd < 0) fail("loopback peer: socket");
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        if (::bind(l.fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || ::listen(l.fd, 4) != 0 ||
            ::getsockname(l.fd, reinterpret_cast<sockaddr*>(&a), &length) != 0)
            fail("loopback peer: listener");
        l.port = ntohs(a.sin_port);
        return l;
    }();
    return made;
}

} // namespace

std::uint16_t ListenerPort() { return listener().port; }

int Accept()
{
    // The connection was made before this call; a wait of seconds means it
    // never will be, and a stuck input would tell nothing.
    pollfd p{listener().fd, POLLIN, 0};
    if (::poll(&p, 1, 10000) != 1) fail("loopback peer: no connection to accept");
    const int peer = ::accept4(listener().fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (peer < 0) fail("loopback peer: accept");
    return peer;
}

void SendAndEnd(int peer, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(peer, data, size, MSG_NOSIGNAL);
        if (n <= 0) fail("loopback peer: send");
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    ::shutdown(peer, SHUT_WR);
}

void Reset(int peer)
{
    const linger reset{1, 0};
    ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(peer);
}

} // namespace loopback_peer
