#include "host/core/serve/Streams.h"

#include <algorithm>
#include <cstring>

namespace {

long sendPending(std::string& pending, std::size_t& sent, char* out, std::size_t max)
{
    const std::size_t n = std::min(max, pending.size() - sent);
    std::memcpy(out, pending.data() + sent, n);
    sent += n;
    return static_cast<long>(n);
}

} // namespace

std::string MultipartPart(const std::string& jpeg)
{
    std::string part = std::string("--") + kPartBoundary + "\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                       std::to_string(jpeg.size()) + "\r\n\r\n";
    part.reserve(part.size() + jpeg.size() + 2);
    part += jpeg;
    part += "\r\n";
    return part;
}

long PartStream::read(char* out, std::size_t max)
{
    if (m_sent < m_pending.size()) return sendPending(m_pending, m_sent, out, max);
    if (m_ask && m_seen == 0) m_ask();
    FrameFeed::Frame frame = m_feed.next(m_seen, m_keepAlive);
    if (m_feed.closed()) return -1;
    // Nothing new for a while: the last picture again (a watcher that came
    // before any picture gets a blank line of the preamble, which readers
    // skip).
    if (!frame) frame = m_feed.latest();
    m_pending = frame ? MultipartPart(*frame) : std::string("\r\n");
    m_sent = 0;
    return sendPending(m_pending, m_sent, out, max);
}

long EventStream::read(char* out, std::size_t max)
{
    if (m_sent < m_pending.size()) return sendPending(m_pending, m_sent, out, max);
    const std::vector<std::string> lines = m_feed.next(m_seen, m_keepAlive);
    if (m_feed.closed()) return -1;
    m_pending.clear();
    m_sent = 0;
    // A comment line keeps the connection alive.
    if (lines.empty()) m_pending = ":\n\n";
    for (const std::string& line : lines) m_pending += "data: " + line + "\n\n";
    return sendPending(m_pending, m_sent, out, max);
}
