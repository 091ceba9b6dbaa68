#include "stream/ResponseHead.h"

#include <string_view>

#include "stream/StreamClient.h"

namespace {
constexpr std::size_t kPiece = STREAM_LINE_SIZE;
constexpr int kMostStatus = 100000; // no digit is added once the value reaches it
} // namespace

void ResponseHeadParser::take(unsigned char c)
{
    switch (m_phase) {
    case Phase::Version:
    case Phase::Code:
        if (c == ' ') {
            m_length = 0;
            m_phase = m_phase == Phase::Version ? Phase::Code : Phase::StatusRest;
            return;
        }
        if (m_phase == Phase::Code) {
            if (m_digits && c >= '0' && c <= '9' && m_status < kMostStatus) m_status = m_status * 10 + (c - '0');
            else m_digits = false;
        }
        // A token that fills the buffer ends there; the next byte starts
        // the next one.
        if (++m_length == kPiece) {
            m_length = 0;
            m_phase = m_phase == Phase::Version ? Phase::Code : Phase::StatusRest;
        }
        return;
    case Phase::StatusRest:
        if (c == '\n') m_phase = Phase::Lines;
        return;
    case Phase::Lines:
        if (c == '\n') {
            endPiece();
            // Empty: nothing before the LF, a CR alone, or a NUL first.
            const bool empty = m_length == 0 || m_first == '\0' || (m_length == 1 && m_first == '\r');
            m_length = 0;
            if (empty) m_phase = Phase::Done;
            return;
        }
        if (m_length == 0) m_first = c;
        m_piece += static_cast<char>(c);
        if (++m_length == kPiece) {
            endPiece();
            // A piece of a long line counts as a line of its own.
            m_length = 0;
            if (m_first == '\0') m_phase = Phase::Done;
        }
        return;
    case Phase::Done:
        return;
    }
}

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The value of a header line named `name` (lower case, with its colon),
// blanks and CR trimmed; false when the line has another name.
bool headerValue(const std::string& line, std::string_view name, std::string* value)
{
    if (line.size() < name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (lower(line[i]) != name[i]) return false;
    std::size_t from = name.size(), to = line.size();
    while (from < to && (line[from] == ' ' || line[from] == '\t')) ++from;
    while (to > from && (line[to - 1] == ' ' || line[to - 1] == '\t' || line[to - 1] == '\r')) --to;
    *value = line.substr(from, to - from);
    return true;
}

} // namespace

void ResponseHeadParser::endPiece()
{
    std::string value;
    if (!m_haveContentType && headerValue(m_piece, "content-type:", &value)) {
        m_contentType = value;
        m_haveContentType = true;
    } else if (headerValue(m_piece, "transfer-encoding:", &value)) {
        for (char& c : value) c = lower(c);
        m_chunked = value.find("chunked") != std::string::npos;
    }
    m_piece.clear();
}

std::size_t ResponseHeadParser::Feed(const char* bytes, std::size_t count)
{
    std::size_t taken = 0;
    while (taken < count && m_phase != Phase::Done) take(static_cast<unsigned char>(bytes[taken++]));
    return taken;
}
