#include "host/core/serve/Feeds.h"

#include <algorithm>

namespace {

bool addCounted(std::atomic<unsigned>& count, unsigned limit)
{
    unsigned now = count.load(std::memory_order_acquire);
    do {
        if (now >= limit) return false;
    } while (!count.compare_exchange_weak(now, now + 1, std::memory_order_acq_rel));
    return true;
}

} // namespace

void FrameFeed::publish(std::string bytes)
{
    auto frame = std::make_shared<const std::string>(std::move(bytes));
    {
        std::lock_guard lock(m_mutex);
        m_frame = std::move(frame);
        ++m_number;
    }
    m_changed.notify_all();
}

FrameFeed::Frame FrameFeed::next(std::uint64_t& seen, std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, wait, [&] { return closed() || (m_frame && m_number != seen); });
    if (closed() || !m_frame || m_number == seen) return nullptr;
    seen = m_number;
    return m_frame;
}

FrameFeed::Frame FrameFeed::latest() const
{
    std::lock_guard lock(m_mutex);
    return m_frame;
}

void FrameFeed::close()
{
    {
        std::lock_guard lock(m_mutex);
        m_closed.store(true, std::memory_order_release);
    }
    m_changed.notify_all();
}

bool FrameFeed::addWatcher(unsigned limit) { return addCounted(m_watchers, limit); }

void EventFeed::publish(std::string line)
{
    {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(std::move(line));
        if (m_lines.size() > kBacklog) m_lines.pop_front();
        ++m_number;
    }
    m_changed.notify_all();
}

std::vector<std::string> EventFeed::next(std::uint64_t& seen, std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, wait, [&] { return closed() || m_number != seen; });
    std::vector<std::string> lines;
    if (closed() || m_number == seen) return lines;
    // The lines kept are numbered m_number - size + 1 .. m_number.
    const std::uint64_t first = m_number - m_lines.size() + 1;
    // A new watcher starts with the last few lines (the camera's status
    // now), not the whole backlog.
    const std::uint64_t recent = m_number > kFirstLines ? m_number - kFirstLines + 1 : 1;
    const std::uint64_t from = std::max(seen == 0 ? recent : seen + 1, first);
    for (std::uint64_t n = from; n <= m_number; ++n) lines.push_back(m_lines[static_cast<std::size_t>(n - first)]);
    seen = m_number;
    return lines;
}

void EventFeed::close()
{
    {
        std::lock_guard lock(m_mutex);
        m_closed.store(true, std::memory_order_release);
    }
    m_changed.notify_all();
}

bool EventFeed::addWatcher(unsigned limit) { return addCounted(m_watchers, limit); }
