// Cutting frames out of the server-push body: a backward scan of the held
// bytes for the boundary pattern and the header ends that follow it.
#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
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

// The lowest header end that starts after `boundary` and no later than
// `upper`: an empty line closing the part header, "\r\n\r\n" or "\n\n";
// the position just past it, or 0 when there is none. Every such line holds
// a '\n', so only those are visited (memchr), each with the byte before it.
LONG headerEnd(const BYTE* bytes, LONG boundary, LONG upper)
{
    LONG q = boundary + 1;
    while (q <= upper + 1) {
        const void* at = std::memchr(bytes + q, '\n', static_cast<std::size_t>(upper + 2 - q));
        if (!at) break;
        q = static_cast<LONG>(static_cast<const BYTE*>(at) - bytes);
        if (q - 1 > boundary && bytes[q - 1] == '\r' && bytes[q + 1] == '\r' && bytes[q + 2] == '\n') return q + 3;
        if (q <= upper && bytes[q + 1] == '\n') return q + 2;
        ++q;
    }
    return 0;
}

// The highest position p <= upper where the pattern starts, or -1: a
// Boyer-Moore-Horspool search from the end, which steps over most of a
// JPEG body a pattern's length at a time.
LONG lastBoundary(const BYTE* bytes, LONG upper, const BYTE* pattern, DWORD patternLength)
{
    using Back = std::reverse_iterator<const BYTE*>;
    const Back patternBack(pattern + patternLength);
    const Back patternEnd(pattern);
    const std::boyer_moore_horspool_searcher searcher(patternBack, patternEnd);
    const Back from(bytes + upper + patternLength);
    const Back to(bytes);
    const Back found = std::search(from, to, searcher);
    if (found == to) return -1;
    // `found` is the pattern's last byte, read from the end.
    return static_cast<LONG>(to - found) - static_cast<LONG>(patternLength);
}

// The last two boundaries at or below `count`, and the header end after
// each: B0 the last, B1 the one before, each part's header end the first
// empty line between its boundary and the next. Every byte read lies below
// count + pattern length, the number of held bytes. A pattern is a
// boundary line, so it starts with '-'.
Scan scan(const BYTE* bytes, DWORD count, const BYTE* pattern, DWORD patternLength)
{
    Scan s;
    if (patternLength == 0 || pattern[0] != '-') return s;
    LONG upper = static_cast<LONG>(count); // highest position left to examine
    while (s.found < 2 && upper >= 0) {
        const LONG p = lastBoundary(bytes, upper, pattern, patternLength);
        if (p < 0) break;
        s.boundary[s.found] = p;
        s.headerEnd[s.found] = headerEnd(bytes, p, s.found == 0 ? static_cast<LONG>(count) : s.boundary[0] - 1);
        ++s.found;
        upper = p - 1;
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

LONG CStreamBuffer::LastPartStart(const BYTE* bytes, DWORD held) const
{
    if (!m_pBlock || !bytes || held < m_pBlock->patternLength) return -1;
    const Scan s = scan(bytes, held - m_pBlock->patternLength, m_pBlock->pattern, m_pBlock->patternLength);
    return s.found > 0 && s.headerEnd[0] > 0 ? s.headerEnd[0] : -1;
}

LONG CStreamBuffer::FirstBoundary(const BYTE* bytes, DWORD from, DWORD held) const
{
    if (!m_pBlock || !bytes || m_pBlock->patternLength == 0 || from >= held) return -1;
    const BYTE* pattern = m_pBlock->pattern;
    const std::boyer_moore_horspool_searcher searcher(pattern, pattern + m_pBlock->patternLength);
    const BYTE* found = std::search(bytes + from, bytes + held, searcher);
    return found == bytes + held ? -1 : static_cast<LONG>(found - bytes);
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
