// Several takers of one control's frames at once (a recording and the
// service's relay): the control's tap has room for one sink, so the first
// taker sets a hub there that hands each frame to every taker attached.
#pragma once

#include "platform/tap/FrameTap.h"

// Adds `sink` to the takers of `tap`'s frames (the hub set on the tap when
// it is the first). The tap is held until the last taker leaves.
void AttachFrameSink(IFrameTap* tap, IFrameSink* sink);
// Removes `sink`; when this returns, no call to it runs or will come. The
// last taker to leave takes the hub off the tap.
void DetachFrameSink(IFrameTap* tap, IFrameSink* sink);
