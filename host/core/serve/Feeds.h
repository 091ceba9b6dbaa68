// What the service hands its watchers: a camera's newest picture (each
// watcher takes the newest when it is ready for one, so a slow watcher
// skips pictures and never holds the others back or makes memory grow) and
// the camera's report lines (a bounded backlog; a watcher that falls
// behind it loses the oldest).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class FrameFeed {
public:
    using Frame = std::shared_ptr<const std::string>;

    void publish(std::string bytes);
    // The first frame after the one numbered `seen` (0: none seen yet),
    // waiting at most `wait`; a null frame when none came or the feed is
    // closed. `seen` becomes the frame's number.
    Frame next(std::uint64_t& seen, std::chrono::milliseconds wait);
    Frame latest() const;
    // The service ends: every wait returns at once, and from now on.
    void close();
    bool closed() const { return m_closed.load(std::memory_order_acquire); }

    // Watchers counted against a limit; false when it is reached.
    bool addWatcher(unsigned limit);
    void removeWatcher() { m_watchers.fetch_sub(1, std::memory_order_acq_rel); }
    unsigned watchers() const { return m_watchers.load(std::memory_order_acquire); }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    Frame m_frame;
    std::uint64_t m_number = 0;
    std::atomic<bool> m_closed{false};
    std::atomic<unsigned> m_watchers{0};
};

class EventFeed {
public:
    static constexpr std::size_t kBacklog = 256;
    static constexpr std::uint64_t kFirstLines = 8;

    void publish(std::string line);
    // The lines after the one numbered `seen`, waiting at most `wait` for
    // one; `seen` becomes the last one's number.
    std::vector<std::string> next(std::uint64_t& seen, std::chrono::milliseconds wait);
    void close();
    bool closed() const { return m_closed.load(std::memory_order_acquire); }
    bool addWatcher(unsigned limit);
    void removeWatcher() { m_watchers.fetch_sub(1, std::memory_order_acq_rel); }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_lines; // the newest kBacklog
    std::uint64_t m_number = 0;      // the newest line's
    std::atomic<bool> m_closed{false};
    std::atomic<unsigned> m_watchers{0};
};
