// The Linux stand-in's own socket call, for its internet layer. Not a
// Windows call, so it lives in namespace standin.
#pragma once

#include "platform/winsock/Winsock.h"

namespace standin {

// For the internet layer: a socket handle that stands for a connection made
// elsewhere and answers getpeername with the given address; closesocket
// ends it.
SOCKET RegisterPeerOnlySocket(const sockaddr* peer, int length);

} // namespace standin
