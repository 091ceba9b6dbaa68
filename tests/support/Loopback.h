// Sockets on loopback for tests: a listener at a port of the system's
// choosing, and a port held bound without listening, which refuses
// connections and which no other program can take meanwhile.
#pragma once

#include "platform/winsock/Winsock.h"

inline sockaddr_in LoopbackAddress(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<USHORT>(port));
    a.sin_addr.s_addr = htonl(0x7F000001);
    return a;
}

class BoundLoopbackSocket {
public:
    explicit BoundLoopbackSocket(bool listening)
    {
        m_socket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = LoopbackAddress(0);
        bind(m_socket, reinterpret_cast<sockaddr*>(&a), sizeof a);
        if (listening) listen(m_socket, 16);
        int length = sizeof a;
        getsockname(m_socket, reinterpret_cast<sockaddr*>(&a), &length);
        m_port = ntohs(a.sin_port);
    }
    ~BoundLoopbackSocket() { closesocket(m_socket); }
    BoundLoopbackSocket(const BoundLoopbackSocket&) = delete;
    BoundLoopbackSocket& operator=(const BoundLoopbackSocket&) = delete;

    int port() const { return m_port; }
    SOCKET handle() const { return m_socket; }
    SOCKET acceptOne() const { return accept(m_socket, nullptr, nullptr); }

private:
    SOCKET m_socket;
    int m_port = 0;
};

struct LoopbackListener : BoundLoopbackSocket {
    LoopbackListener() : BoundLoopbackSocket(true) {}
};

struct RefusingPort : BoundLoopbackSocket {
    RefusingPort() : BoundLoopbackSocket(false) {}
};
