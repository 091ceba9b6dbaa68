// The motion levels a camera writes into each frame's JPEG comment segment.
#include "control/ImageCtrl.h"

namespace {
constexpr int kMotionMax = 20;
constexpr unsigned kMinSegmentLength = 14;
} // namespace

int CImageCtrl::InspectMotionComment(const BYTE* start, const BYTE* end)
{
    if (!start || !end || end <= start) return -1;
    for (const BYTE* p = start; p + 1 < end; ++p) {
        if (p[0] != 0xFF || p[1] != 0xFE) continue;
        // The length and the two payload bytes are read only when they lie
        // inside the frame.
        if (end - p < 18) return -1;
        const unsigned length = static_cast<unsigned>(p[2]) << 8 | p[3];
        if (length < kMinSegmentLength) return -1;
        signed char first = static_cast<signed char>(p[16]);
        signed char second = static_cast<signed char>(p[17]);
        if (first > kMotionMax) first = kMotionMax;
        if (second > kMotionMax) second = kMotionMax;
        m_chMotionBar1 = first;
        m_chMotionBar2 = second;
        return 0;
    }
    return -1;
}
