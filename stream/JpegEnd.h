// CJpegEnd: where a JPEG picture ends, found while its bytes still arrive.
// It walks the picture's marker segments by their lengths and, after each
// start of scan, the entropy-coded data, in which a 0xFF byte is followed
// by a stuffed zero, a restart marker or fill bytes unless a marker
// begins. So an end-of-image marker inside a segment (a thumbnail in an
// Exif block, a comment) or inside the coded data is never taken for the
// picture's end. The walk resumes where the last call stopped: each byte
// is looked at once, however the bytes are handed in.
#pragma once

#include <cstddef>

#include "platform/win/WinTypes.h"

class CJpegEnd {
public:
    // Walks on over bytes[0, held), the picture's bytes from its first
    // one; held never shrinks between calls, and the bytes already walked
    // stay the same. Returns the length of the picture up to and with its
    // end-of-image marker, or 0 while it is not there yet or will never be
    // (Failed()).
    std::size_t Walk(const BYTE* bytes, std::size_t held);
    // The bytes are no JPEG picture, or a damaged one: no end will be found.
    bool Failed() const { return m_state == State::Failed; }
    // Starts again with a new picture.
    void Reset() { *this = CJpegEnd(); }

private:
    enum class State : BYTE { Start, Marker, Entropy, Failed, Done };
    State m_state = State::Start;
    std::size_t m_position = 0; // the next byte to look at
    std::size_t m_end = 0;      // once Done
};
