#include "stream/ResponseHead.h"

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

void ResponseHeadParser::endPiece()
{
    static constexpr char kName[] = "content-type:";
    constexpr std::size_t kNameLength = sizeof kName - 1;
    bool named = !m_haveContentType && m_piece.size() >= kNameLength;
    for (std::size_t i = 0; named && i < kNameLength; ++i) {
        const char c = m_piece[i];
        named = (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) == kName[i];
    }
    if (named) {
        std::size_t from = kNameLength, to = m_piece.size();
        while (from < to && (m_piece[from] == ' ' || m_piece[from] == '\t')) ++from;
        while (to > from && (m_piece[to - 1] == ' ' || m_piece[to - 1] == '\t' || m_piece[to - 1] == '\r')) --to;
        m_contentType = m_piece.substr(from, to - from);
        m_haveContentType = true;
    }
    m_piece.clear();
}

std::size_t ResponseHeadParser::Feed(const char* bytes, std::size_t count)
{
    std::size_t taken = 0;
    while (taken < count && m_phase != Phase::Done) take(static_cast<unsigned char>(bytes[taken++]));
    return taken;
}
