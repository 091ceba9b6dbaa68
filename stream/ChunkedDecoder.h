// CChunkedDecoder: takes the chunk framing off a body sent with
// "Transfer-Encoding: chunked", in place, as its bytes arrive in blocks of
// any size. Chunk extensions and trailers are skipped; a size line that is
// no hexadecimal number (or too long a one) ends the body.
#pragma once

#include "platform/win/WinTypes.h"

class CChunkedDecoder {
public:
    // Decodes bytes[0, count) into their own start: the number of body
    // bytes left there (never more than count).
    DWORD Decode(BYTE* bytes, DWORD count);
    // The body ended: its last chunk came, or its framing was broken.
    bool Ended() const { return m_state == State::Ended; }
    bool Broken() const { return m_broken; }

private:
    enum class State { Size, Extension, SizeEnd, Data, DataEnd, Trailer, Ended };
    // The most hexadecimal digits taken: sizes up to 2^60 bytes.
    static constexpr int kMaxDigits = 15;

    void breakOff();

    State m_state = State::Size;
    unsigned long long m_left = 0; // of the chunk being read, or its size so far
    int m_digits = 0;
    bool m_lineEmpty = true; // in the trailer: the current line has no bytes yet
    bool m_broken = false;
};
