#include "stream/MultipartReader.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool isSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text)
{
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && (isSpace(text.back()) || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (lower(text[i]) != prefix[i]) return false;
    return true;
}

// A parameter's value: a quoted string (backslash escapes honoured) or a
// token up to the next ';'. `text` starts at the value; it is left past it.
std::string paramValue(std::string_view& text)
{
    std::string value;
    if (!text.empty() && text.front() == '"') {
        size_t i = 1;
        for (; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] == '\\' && i + 1 < text.size()) ++i;
            value += text[i];
        }
        text.remove_prefix(std::min(text.size(), i + 1));
        const size_t semi = text.find(';');
        text.remove_prefix(semi == std::string_view::npos ? text.size() : semi);
        return value;
    }
    const size_t semi = text.find(';');
    value = std::string(trim(text.substr(0, semi)));
    text.remove_prefix(semi == std::string_view::npos ? text.size() : semi);
    return value;
}

// The decimal value of a Content-Length header line, or -1 when the line
// is no such header or its value no number. Values past the cap are the
// cap: larger than any buffer either way.
long long contentLength(std::string_view line)
{
    static constexpr std::string_view kName = "content-length";
    static constexpr long long kCap = 1LL << 40;
    if (!startsWithNoCase(line, kName)) return -1;
    std::string_view rest = trim(line.substr(kName.size()));
    if (rest.empty() || rest.front() != ':') return -1;
    rest = trim(rest.substr(1));
    if (rest.empty()) return -1;
    long long value = 0;
    for (char c : rest) {
        if (c < '0' || c > '9') return -1;
        value = std::min(kCap, value * 10 + (c - '0'));
    }
    return value;
}

} // namespace

MultipartType CMultipartReader::ParseContentType(std::string_view value)
{
    MultipartType type;
    const size_t semi = value.find(';');
    for (char c : trim(value.substr(0, semi))) {
        if (type.mediaType.size() >= kMaxMediaType) break;
        if (c > ' ' && c < 0x7f) type.mediaType += lower(c);
    }
    std::string_view rest = semi == std::string_view::npos ? std::string_view() : value.substr(semi);
    while (!rest.empty()) {
        rest.remove_prefix(1); // the ';'
        const size_t eq = rest.find('=');
        const size_t next = rest.find(';');
        if (eq == std::string_view::npos || (next != std::string_view::npos && next < eq)) {
            rest.remove_prefix(next == std::string_view::npos ? rest.size() : next);
            continue;
        }
        const std::string_view name = trim(rest.substr(0, eq));
        rest.remove_prefix(eq + 1);
        while (!rest.empty() && isSpace(rest.front())) rest.remove_prefix(1);
        std::string v = paramValue(rest);
        if (type.boundary.empty() && name.size() == 8 && startsWithNoCase(name, "boundary")) {
            if (v.size() > 2 && v.compare(0, 2, "--") == 0) {
                v.erase(0, 2);
                type.dashed = true;
            }
            // A boundary that could not stand on a line of its own is none.
            const bool usable = !v.empty() && v.size() <= kMaxBoundary &&
                                std::none_of(v.begin(), v.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
            if (usable) type.boundary = v;
            else type.dashed = false;
        }
    }
    return type;
}

void CMultipartReader::Begin(std::string_view boundary, DWORD capacity, bool dashed)
{
    *this = CMultipartReader();
    if (!boundary.empty()) m_pattern = "--" + std::string(boundary.substr(0, kMaxBoundary));
    m_dashed = dashed;
    m_capacity = capacity;
    m_started = true;
}

bool CMultipartReader::Begin(const MultipartType& type, DWORD capacity)
{
    static constexpr std::string_view kCameraBoundary = "myboundary";
    if (type.mediaType == "application/octet-stream") Begin(std::string_view(), capacity);
    else if (!type.IsPictureStream()) return false;
    else Begin(type.boundary.empty() ? kCameraBoundary : std::string_view(type.boundary), capacity, type.dashed);
    return true;
}

DWORD CMultipartReader::lineStartOf(const BYTE* bytes, DWORD q, DWORD lineFrom) const
{
    if (lineFrom == kNoLine) return q;
    if (q == lineFrom || (q > lineFrom && bytes[q - 1] == '\n')) return q;
    // A boundary named "--NAME" may be written "----NAME".
    if (m_dashed && q >= lineFrom + 2 && bytes[q - 1] == '-' && bytes[q - 2] == '-' &&
        (q - 2 == lineFrom || (q - 2 > lineFrom && bytes[q - 3] == '\n')))
        return q - 2;
    return kNoLine;
}

CMultipartReader::Found CMultipartReader::boundaryLine(const BYTE* bytes, DWORD end, DWORD held, DWORD* past,
                                                         bool* more) const
{
    // After the name: "--" for the last one, blanks, CR, then LF. Anything
    // else makes it a longer name, no boundary of this body.
    constexpr DWORD kMostRest = 128;
    *more = false;
    DWORD i = end;
    bool close = false;
    if (i < held && bytes[i] == '-') {
        if (i + 1 >= held) return *more = true, Found::None;
        if (bytes[i + 1] != '-') return Found::None;
        close = true;
        i += 2;
    }
    while (i < held && i - end < kMostRest && (bytes[i] == ' ' || bytes[i] == '\t')) ++i;
    if (i < held && bytes[i] == '\r') ++i;
    if (i >= held) {
        *more = i - end < kMostRest;
        return Found::None;
    }
    if (bytes[i] != '\n') return Found::None;
    *past = i + 1;
    return close ? Found::Close : Found::Boundary;
}

CMultipartReader::Found CMultipartReader::findBoundary(const BYTE* bytes, DWORD from, DWORD held, DWORD lineFrom,
                                                       DWORD* at, DWORD* past, DWORD* wait) const
{
    const auto* pattern = reinterpret_cast<const BYTE*>(m_pattern.data());
    const DWORD length = static_cast<DWORD>(m_pattern.size());
    const std::boyer_moore_horspool_searcher searcher(pattern, pattern + length);
    DWORD q = from;
    while (q < held) {
        const BYTE* hit = std::search(bytes + q, bytes + held, searcher);
        if (hit == bytes + held) break;
        q = static_cast<DWORD>(hit - bytes);
        const DWORD line = lineStartOf(bytes, q, lineFrom);
        if (line != kNoLine) {
            bool more = false;
            const Found found = boundaryLine(bytes, q + length, held, past, &more);
            if (found != Found::None) {
                *at = line;
                return found;
            }
            if (more) {
                *wait = line;
                return Found::None;
            }
        }
        ++q;
    }
    // A boundary may have begun in the last bytes: look there again. With
    // a dashed name, the two dashes before it must stay in view too.
    const DWORD keep = length + (m_dashed ? 2 : 0);
    *wait = std::max(from, held > keep ? held - keep + 1 : 0);
    return Found::None;
}

bool CMultipartReader::NextPart(const BYTE* bytes, DWORD held, LONG* start, LONG* length)
{
    *start = -1;
    *length = 0;
    if (!m_started || !bytes) return false;
    held = std::min(held, m_capacity);
    for (;;) {
        switch (m_phase) {
        case Phase::Boundary: {
            if (m_pattern.empty() && !learnBoundary(bytes, held)) return false;
            DWORD at = 0, past = 0, wait = 0;
            const Found found = findBoundary(bytes, m_pos, held, kNoLine, &at, &past, &wait);
            if (found == Found::None) {
                m_pos = wait;
                return false;
            }
            m_pos = past;
            // After the last boundary only an epilogue follows: hunt on.
            if (found == Found::Boundary) {
                m_phase = Phase::Header;
                m_length = -1;
                m_headerBytes = 0;
            }
            break;
        }
        case Phase::Header: {
            const void* lf = m_pos < held ? std::memchr(bytes + m_pos, '\n', held - m_pos) : nullptr;
            if (!lf) {
                // A header without end is garbage: hunt for the next boundary.
                if (m_headerBytes + (held - m_pos) > kMaxHeader) m_phase = Phase::Boundary;
                else return false;
                break;
            }
            const DWORD end = static_cast<DWORD>(static_cast<const BYTE*>(lf) - bytes);
            const std::string_view line(reinterpret_cast<const char*>(bytes + m_pos), end - m_pos);
            m_headerBytes += end + 1 - m_pos;
            m_pos = end + 1;
            if (m_headerBytes > kMaxHeader) {
                m_phase = Phase::Boundary;
            } else if (line.empty() || line == "\r") {
                m_scan = m_pos;
                m_droppedBytes = 0;
                if (m_length > static_cast<long long>(m_capacity)) {
                    reportOversized(static_cast<unsigned long long>(m_length));
                    m_skipLeft = static_cast<unsigned long long>(m_length);
                    m_phase = Phase::Skip;
                } else {
                    m_phase = Phase::Body;
                }
            } else if (const long long value = contentLength(line); value >= 0) {
                m_length = value;
            }
            break;
        }
        case Phase::Body: {
            if (m_length >= 0) {
                if (held - m_pos < m_length) return false;
                *start = static_cast<LONG>(m_pos);
                *length = static_cast<LONG>(m_length);
                m_pos += static_cast<DWORD>(m_length);
                m_phase = Phase::Boundary;
                if (*length > 0) return true;
                *start = -1;
                break;
            }
            DWORD at = 0, past = 0, wait = 0;
            if (findBoundary(bytes, m_scan, held, m_pos, &at, &past, &wait) == Found::None) {
                m_scan = std::max(wait, m_pos);
                return false;
            }
            // The part ends before the line ending that precedes the boundary.
            DWORD end = at;
            if (end > m_pos && bytes[end - 1] == '\n') --end;
            if (end > m_pos && bytes[end - 1] == '\r') --end;
            const DWORD partStart = m_pos;
            m_pos = at;
            m_phase = Phase::Boundary;
            if (m_droppedBytes > 0) {
                reportOversized(m_droppedBytes + (end - partStart));
                m_droppedBytes = 0;
            } else if (end > partStart) {
                *start = static_cast<LONG>(partStart);
                *length = static_cast<LONG>(end - partStart);
                return true;
            }
            break;
        }
        case Phase::Skip: {
            const DWORD take = static_cast<DWORD>(std::min<unsigned long long>(held - m_pos, m_skipLeft));
            m_pos += take;
            m_skipLeft -= take;
            if (m_skipLeft > 0) return false;
            m_phase = Phase::Boundary;
            break;
        }
        }
    }
}

bool CMultipartReader::learnBoundary(const BYTE* bytes, DWORD held)
{
    if (m_noBoundary) return false;
    DWORD i = m_pos;
    while (i < held && (bytes[i] == '\r' || bytes[i] == '\n')) ++i;
    const DWORD most = static_cast<DWORD>(kMaxBoundary) + 8;
    const void* lf = i < held ? std::memchr(bytes + i, '\n', std::min(held - i, most)) : nullptr;
    if (!lf) {
        if (held - i >= most) m_noBoundary = true;
        return false;
    }
    std::string_view line(reinterpret_cast<const char*>(bytes + i), static_cast<const BYTE*>(lf) - (bytes + i));
    line = trim(line);
    const bool named = line.size() > 2 && line.size() <= kMaxBoundary + 2 && line.compare(0, 2, "--") == 0 &&
                       std::all_of(line.begin(), line.end(), [](char c) { return c > ' ' && c < 0x7f; });
    if (!named) {
        m_noBoundary = true;
        return false;
    }
    m_pattern = std::string(line);
    return true;
}

DWORD CMultipartReader::Settle()
{
    const DWORD done = m_pos;
    m_pos = 0;
    m_scan = m_scan > done ? m_scan - done : 0;
    return done;
}

DWORD CMultipartReader::Overflow(DWORD held)
{
    // Keep what may be the start of a boundary line, and never so much
    // that the buffer stays full.
    const DWORD tail = std::min(static_cast<DWORD>(m_pattern.size()) + 4, m_capacity / 2);
    const DWORD keep = std::min(held > m_pos ? held - m_pos : 0, tail);
    const DWORD drop = held - keep;
    if (m_phase == Phase::Body && m_length < 0) {
        // A part larger than the buffer: followed to its boundary, then told.
        m_droppedBytes += drop - std::min(drop, m_pos);
    } else if (m_phase == Phase::Body) {
        // Cannot happen (a part with a length that fits is cut once whole);
        // skip the rest of it all the same.
        reportOversized(static_cast<unsigned long long>(m_length));
        m_skipLeft = static_cast<unsigned long long>(m_length) - std::min<unsigned long long>(m_length, held - m_pos);
        m_phase = m_skipLeft > 0 ? Phase::Skip : Phase::Boundary;
        m_pos = 0;
        m_scan = 0;
        return held;
    } else {
        m_phase = m_phase == Phase::Skip ? Phase::Skip : Phase::Boundary;
    }
    m_pos = 0;
    m_scan = m_scan > drop ? m_scan - drop : 0;
    return drop;
}

void CMultipartReader::reportOversized(unsigned long long length)
{
    ++m_oversizedCount;
    m_oversizedLength = length > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(length);
}

bool CMultipartReader::TakeOversized(DWORD* count, DWORD* lastLength)
{
    if (m_oversizedCount == 0) return false;
    *count = m_oversizedCount;
    *lastLength = m_oversizedLength;
    m_oversizedCount = 0;
    return true;
}
