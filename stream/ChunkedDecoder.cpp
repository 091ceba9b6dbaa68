#include "stream/ChunkedDecoder.h"

#include <algorithm>
#include <cstring>

namespace {

// A hexadecimal digit's value, either case; -1 for any other byte.
int hexValue(BYTE c)
{
    const int folded = c | 0x20;
    return c >= '0' && c <= '9' ? c - '0' : folded >= 'a' && folded <= 'f' ? folded - 'a' + 10 : -1;
}

} // namespace

void CChunkedDecoder::breakOff()
{
    m_state = State::Ended;
    m_broken = true;
}

DWORD CChunkedDecoder::Decode(BYTE* bytes, DWORD count)
{
    DWORD out = 0;
    DWORD i = 0;
    while (i < count && m_state != State::Ended) {
        const BYTE c = bytes[i];
        switch (m_state) {
        case State::Size: {
            const int v = hexValue(c);
            if (v >= 0) {
                if (++m_digits > kMaxDigits) {
                    breakOff();
                    break;
                }
                m_left = m_left * 16 + static_cast<unsigned>(v);
            } else if (m_digits == 0) {
                breakOff();
            } else {
                m_state = c == '\n' ? State::SizeEnd : State::Extension;
                continue; // the same byte ends the line below
            }
            ++i;
            break;
        }
        case State::Extension:
            // Up to the line feed; the size line's CR and any extension.
            if (c == '\n') m_state = State::SizeEnd;
            else ++i;
            break;
        case State::SizeEnd:
            ++i; // the line feed
            m_digits = 0;
            if (m_left == 0) {
                m_state = State::Trailer;
                m_lineEmpty = true;
            } else {
                m_state = State::Data;
            }
            break;
        case State::Data: {
            const DWORD take = static_cast<DWORD>(std::min<unsigned long long>(m_left, count - i));
            std::memmove(bytes + out, bytes + i, take);
            out += take;
            i += take;
            m_left -= take;
            if (m_left == 0) m_state = State::DataEnd;
            break;
        }
        case State::DataEnd:
            // The CR LF after the chunk's data.
            ++i;
            if (c == '\n') m_state = State::Size;
            else if (c != '\r') breakOff();
            break;
        case State::Trailer:
            ++i;
            if (c == '\n') {
                if (m_lineEmpty) m_state = State::Ended;
                m_lineEmpty = true;
            } else if (c != '\r') {
                m_lineEmpty = false;
            }
            break;
        case State::Ended:
            break;
        }
    }
    return out;
}
