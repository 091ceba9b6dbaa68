#include "stream/JpegEnd.h"

#include <cstring>

namespace {
constexpr BYTE kMarker = 0xFF;
constexpr BYTE kStartOfImage = 0xD8;
constexpr BYTE kEndOfImage = 0xD9;
constexpr BYTE kStartOfScan = 0xDA;
constexpr BYTE kTemporary = 0x01;

// RST0 to RST7: markers without a length, inside or between scans.
bool isRestart(BYTE code) { return code >= 0xD0 && code <= 0xD7; }
} // namespace

std::size_t CJpegEnd::Walk(const BYTE* bytes, std::size_t held)
{
    if (!bytes) return 0;
    for (;;) {
        switch (m_state) {
        case State::Done:
            return m_end;
        case State::Failed:
            return 0;
        case State::Start:
            if (held < 2) return 0;
            if (bytes[0] != kMarker || bytes[1] != kStartOfImage) {
                m_state = State::Failed;
                return 0;
            }
            m_position = 2;
            m_state = State::Marker;
            break;
        case State::Marker: {
            std::size_t p = m_position;
            if (p >= held) return 0;
            if (bytes[p] != kMarker) {
                m_state = State::Failed;
                return 0;
            }
            // Any number of fill bytes may come before a marker's code.
            while (p + 1 < held && bytes[p + 1] == kMarker) ++p;
            m_position = p;
            if (p + 1 >= held) return 0;
            const BYTE code = bytes[p + 1];
            if (code == kEndOfImage) {
                m_end = p + 2;
                m_state = State::Done;
                break;
            }
            if (code == 0 || code == kStartOfImage) {
                m_state = State::Failed;
                return 0;
            }
            if (isRestart(code) || code == kTemporary) {
                m_position = p + 2;
                break;
            }
            if (p + 3 >= held) return 0;
            const std::size_t length = static_cast<std::size_t>(bytes[p + 2]) << 8 | bytes[p + 3];
            if (length < 2) {
                m_state = State::Failed;
                return 0;
            }
            m_position = p + 2 + length;
            if (code == kStartOfScan) m_state = State::Entropy;
            break;
        }
        case State::Entropy: {
            // The scan's header may still be arriving.
            if (m_position >= held) return 0;
            const void* at = std::memchr(bytes + m_position, kMarker, held - m_position);
            if (!at) {
                m_position = held;
                return 0;
            }
            const std::size_t p = static_cast<std::size_t>(static_cast<const BYTE*>(at) - bytes);
            m_position = p;
            if (p + 1 >= held) return 0;
            const BYTE next = bytes[p + 1];
            if (next == 0 || isRestart(next)) m_position = p + 2;
            else if (next == kMarker) m_position = p + 1; // a fill byte: the next one decides
            else m_state = State::Marker;
            break;
        }
        }
    }
}
