// Reading a response head from arbitrary bytes on a real socket pair: no
// overflow, no hang (the peer closes after the bytes).
#include <cstdint>
#include <cstdlib>

#include "platform/winsock/Winsock.h"
#include "stream/StreamClient.h"

namespace {
struct Pair {
    SOCKET listener, client, server;
};

Pair makePair()
{
    Pair p{};
    p.listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(0x7F000001);
    bind(p.listener, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(p.listener, 1);
    int length = sizeof a;
    getsockname(p.listener, reinterpret_cast<sockaddr*>(&a), &length);
    p.client = socket(AF_INET, SOCK_STREAM, 0);
    connect(p.client, reinterpret_cast<sockaddr*>(&a), sizeof a);
    p.server = accept(p.listener, nullptr, nullptr);
    return p;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 60000) return 0; // stays within the socket buffers
    static CStreamBuffer* buffer = new CStreamBuffer;
    static CStreamClient* client = [] {
        auto* c = new CStreamClient(buffer);
        c->PublishState(STREAM_FAILED); // the worker stays idle
        return c;
    }();
    Pair p = makePair();
    if (size) send(p.server, reinterpret_cast<const char*>(data), static_cast<int>(size), 0);
    closesocket(p.server);
    const int status = client->ReadResponseHead(p.client);
    if (status < -1 || status > 999999) std::abort(); // leading digits, at most six
    closesocket(p.client);
    closesocket(p.listener);
    return 0;
}
