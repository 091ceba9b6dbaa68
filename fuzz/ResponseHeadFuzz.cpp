// Reading a response head from arbitrary bytes on a real connection: no
// overflow, no hang (the peer ends its side after the bytes). The peer and
// its listener live in LoopbackPeer: one listener for the whole run, and a
// reset at the end of each input, so that no port is left in TIME_WAIT.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/LoopbackPeer.h"
#include "platform/winsock/Winsock.h"
#include "stream/StreamClient.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 60000) return 0; // stays within the socket buffers
    static CStreamBuffer* buffer = new CStreamBuffer;
    static CStreamClient* client = [] {
        auto* c = new CStreamClient(buffer);
        c->PublishState(STREAM_FAILED); // the worker stays idle
        return c;
    }();

    // The reader's side, through the socket stand-in as the client uses it.
    const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(0x7F000001);
    a.sin_port = htons(loopback_peer::ListenerPort());
    if (s == INVALID_SOCKET || connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
        std::fprintf(stderr, "response_head: no connection (Winsock error %d)\n", WSAGetLastError());
        std::abort();
    }
    const int peer = loopback_peer::Accept();
    loopback_peer::SendAndEnd(peer, data, size);

    const int status = client->ReadResponseHead(s);
    if (status < -1 || status > 999999) std::abort(); // leading digits, at most six

    // The reset first: it ends both sides, and the reader's close then
    // sends nothing.
    loopback_peer::Reset(peer);
    closesocket(s);
    return 0;
}
