// The peer of a fuzz target's connection, on plain POSIX sockets (kept
// apart from the socket stand-in, whose Windows names clash with POSIX's).
//
// One listener on the loopback address serves every input, and a peer is
// closed with a reset (SO_LINGER of zero), so no connection is left in
// TIME_WAIT and a run of any length keeps the same few ports. A listener of
// its own per input, closed normally, left a port in TIME_WAIT for every
// input: at a thousand inputs a second the ephemeral ports ran out after
// about 28,000, and the next connection never came.
#pragma once

#include <cstddef>
#include <cstdint>

namespace loopback_peer {

// The listener's port, in host order; made on first use.
std::uint16_t ListenerPort();
// The next connection made to the listener; aborts when none comes.
int Accept();
// Sends all of the bytes (they must fit the socket buffers: nobody reads
// yet), then ends the peer's side, so that the reader sees the end.
void SendAndEnd(int peer, const std::uint8_t* data, std::size_t size);
// Closes the peer with a reset.
void Reset(int peer);

} // namespace loopback_peer
