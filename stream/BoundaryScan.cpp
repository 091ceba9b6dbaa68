// Cutting frames out of the server-push body: a backward scan of the held
// bytes for the boundary pattern and the header ends that follow it.
#include <cstring>
#include <new>

#include "stream/StreamBuffer.h"

namespace {

constexpr char kBoundary[] = "--myboundary";
constexpr DWORD kBoundaryLength = sizeof kBoundary - 1;

struct Scan {
    int found = 0;          // boundaries found, at most 2
    LONG boundary[2] = {};  // B0 (the last in the buffer), B1 (the one before)
    LONG headerEnd[2] = {}; // H0, H1
};

// Examines positions from `count` down to 0. Every position read lies below
// count + pattern length, the number of held bytes.
Scan scan(const BYTE* bytes, DWORD count, const BYTE* pattern, DWORD patternLength)
{
    Scan s;
    for (LONG p = static_cast<LONG>(count); p >= 0; --p) {
        const BYTE b = bytes[p];
        if (b == '\r' || b == '\n') {
            if (b == '\r' && bytes[p + 1] == '\n' && bytes[p + 2] == '\r' && bytes[p + 3] == '\n')
                s.headerEnd[s.found] = p + 4;
            else if (b == '\n' && bytes[p + 1] == '\n')
                s.headerEnd[s.found] = p + 2;
        } else if (b == '-' && std::memcmp(bytes + p, pattern, patternLength) == 0) {
            s.boundary[s.found++] = p;
            if (s.found == 2) break;
        }
    }
    return s;
}

void noFrame(LONG* start, LONG* consumed, LONG* length)
{
    *start = -1;
    *consumed = -1;
    *length = 0;
}

} // namespace

BYTE CStreamBuffer::CutFrame(const BYTE* bytes, DWORD count, BYTE mode, LONG* start, LONG* consumed, LONG* length)
{
    noFrame(start, consumed, length);
    if (!m_pBlock || !bytes) return mode;
    const Scan s = scan(bytes, count, m_pBlock->pattern, m_pBlock->patternLength);
    if (s.found == 2) {
        *start = s.headerEnd[1];
        *consumed = s.headerEnd[0];
        *length = s.boundary[0] - s.headerEnd[1] - 1;
        mode = 1;
    } else if (s.found == 1 && mode == 1) {
        *start = 0;
        *consumed = s.headerEnd[0];
        *length = s.boundary[0] - 1;
    } else {
        return mode;
    }
    // Before the header end of the part after B0 can be seen (that part's
    // boundary and header arrived right after the frame, nothing more yet),
    // everything up to B0 is still consumed: the buffer then begins with
    // that boundary, and the frame just cut is not cut a second time.
    if (*consumed <= 0) *consumed = s.boundary[0];
    if (*length <= 0) {
        // A part without data delivers no frame, and nothing is consumed.
        *start = -1;
        *length = 0;
    }
    return mode;
}

BYTE CStreamBuffer::CutFinal(const BYTE* bytes, DWORD held, BYTE type, LONG* start, LONG* consumed, LONG* length)
{
    noFrame(start, consumed, length);
    if (!m_pBlock || !bytes || held == 0) return type;
    // Fewer held bytes than the pattern: no position to scan, but the
    // fallback below may still find a closing delimiter.
    const Scan s = held >= m_pBlock->patternLength
                       ? scan(bytes, held - m_pBlock->patternLength, m_pBlock->pattern, m_pBlock->patternLength)
                       : Scan{};
    if (s.found == 2) {
        *start = s.headerEnd[1];
        *consumed = s.headerEnd[0];
        *length = s.boundary[0] - s.headerEnd[1] - 1;
        if (*length <= 0) noFrame(start, consumed, length);
        return 1;
    }
    const bool single = type == 2 && s.found == 1;
    const bool inStep = type == 3 && s.found == 0;
    if (!single && !inStep) return type;

    // From now on only the boundary line itself marks a part: that also
    // finds the final delimiter, which the longer pattern does not match.
    std::memset(m_pBlock->pattern, 0, sizeof m_pBlock->pattern);
    std::memcpy(m_pBlock->pattern, kBoundary, kBoundaryLength);
    m_pBlock->patternLength = kBoundaryLength;

    const LONG from = single ? (s.headerEnd[0] - 1 > 0 ? s.headerEnd[0] - 1 : 0) : 0;
    LONG q = -1;
    for (LONG p = from; p + static_cast<LONG>(kBoundaryLength) <= static_cast<LONG>(held); ++p) {
        if (std::memcmp(bytes + p, kBoundary, kBoundaryLength) == 0) {
            q = p;
            break;
        }
    }
    if (single && q > s.headerEnd[0] + 1) {
        *start = s.headerEnd[0];
        *length = q - s.headerEnd[0] - 1;
        *consumed = 0;
    } else if (inStep && q > 0) {
        *start = 0;
        *length = q - 1;
        *consumed = 0;
    }
    return type;
}

bool CStreamBuffer::StoreFrame(const BYTE* bytes, DWORD length)
{
    if (!m_pBlock) return false;
    delete[] m_pBlock->frameBytes;
    m_pBlock->frameBytes = nullptr;
    m_pBlock->frameLength = 0;
    BYTE* copy = new (std::nothrow) BYTE[length ? length : 1];
    if (!copy) return false;
    std::memcpy(copy, bytes, length);
    m_pBlock->frameBytes = copy;
    m_pBlock->frameLength = length;
    return true;
}
