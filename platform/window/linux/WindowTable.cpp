// The process's windows and each thread's message queue.
#include "platform/window/linux/WindowTable.h"

#include <algorithm>

WindowTable& WindowTable::instance()
{
    // Never destroyed: threads still running at exit may use it.
    static WindowTable* table = new WindowTable;
    return *table;
}

std::shared_ptr<MessageQueue> WindowTable::queueOf(std::thread::id thread)
{
    std::lock_guard lock(m_mutex);
    auto& queue = m_queues[thread];
    if (!queue) queue = std::make_shared<MessageQueue>();
    return queue;
}

std::shared_ptr<MessageQueue> WindowTable::currentQueue() { return queueOf(std::this_thread::get_id()); }

HWND WindowTable::create(WindowHandler* handler, UINT classStyle)
{
    auto queue = currentQueue();
    return m_windows.insert(std::make_shared<const Record>(Record{handler, classStyle, std::this_thread::get_id(), queue}));
}

std::shared_ptr<const WindowTable::Record> WindowTable::find(HWND hwnd) { return m_windows.find(hwnd); }

bool WindowTable::destroy(HWND hwnd)
{
    const auto record = m_windows.remove(hwnd);
    if (!record) return false;
    record->queue->forgetWindow(hwnd);
    return true;
}

void MessageQueue::post(const MSG& msg)
{
    std::function<void()> waker;
    {
        std::lock_guard lock(m_mutex);
        m_posted.push_back(msg);
        waker = m_waker;
    }
    m_wake.notify_all();
    if (waker) waker();
}

void MessageQueue::setWaker(std::function<void()> waker)
{
    std::lock_guard lock(m_mutex);
    m_waker = std::move(waker);
}

void MessageQueue::wake() { m_wake.notify_all(); }

void MessageQueue::forgetWindow(HWND hwnd)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_posted, [hwnd](const MSG& m) { return m.hwnd == hwnd; });
    std::erase_if(m_timers, [hwnd](const Timer& t) { return t.hwnd == hwnd; });
}

UINT_PTR MessageQueue::setTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc, std::uint64_t now,
                                ULONG tolerance)
{
    std::lock_guard lock(m_mutex);
    if (!hwnd) {
        // Thread timers get fresh ids unless an existing one is named.
        auto it = std::find_if(m_timers.begin(), m_timers.end(),
                               [id](const Timer& t) { return !t.hwnd && t.id == id; });
        if (id == 0 || it == m_timers.end()) id = m_nextThreadTimerId++;
    }
    const UINT period = std::max(elapseMs, USER_TIMER_MINIMUM);
    auto it = std::find_if(m_timers.begin(), m_timers.end(),
                           [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == m_timers.end()) it = m_timers.insert(m_timers.end(), Timer{hwnd, id, period, 0, proc, tolerance});
    it->period = period;
    it->proc = proc;
    it->tolerance = tolerance;
    it->due = it->next(now);
    m_wake.notify_all();
    return hwnd ? (id ? id : 1) : id;
}

bool MessageQueue::killTimer(HWND hwnd, UINT_PTR id)
{
    std::lock_guard lock(m_mutex);
    const auto before = m_timers.size();
    std::erase_if(m_timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    return m_timers.size() != before;
}

namespace {
bool matches(const MSG& m, HWND hwnd, UINT lo, UINT hi)
{
    if (hwnd && m.hwnd != hwnd) return false;
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}
} // namespace

bool MessageQueue::takeLocked(MSG& out, HWND hwnd, UINT lo, UINT hi, bool remove, std::uint64_t now)
{
    for (auto it = m_posted.begin(); it != m_posted.end(); ++it) {
        if (!matches(*it, hwnd, lo, hi)) continue;
        out = *it;
        if (remove) m_posted.erase(it);
        return true;
    }
    // The timer that has waited longest comes first; a timer that fell behind
    // gives one message, not one per missed period.
    Timer* earliest = nullptr;
    for (auto& t : m_timers) {
        if (t.due > now) continue;
        MSG probe{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), 0, {0, 0}};
        if (!matches(probe, hwnd, lo, hi)) continue;
        if (!earliest || t.due < earliest->due) earliest = &t;
    }
    if (!earliest) return false;
    out = MSG{earliest->hwnd, WM_TIMER, earliest->id, reinterpret_cast<LPARAM>(earliest->proc),
              static_cast<DWORD>(now), {0, 0}};
    if (remove) earliest->due = earliest->next(now);
    return true;
}

bool MessageQueue::peek(MSG& out, HWND hwnd, UINT lo, UINT hi, bool remove, std::uint64_t now)
{
    std::lock_guard lock(m_mutex);
    return takeLocked(out, hwnd, lo, hi, remove, now);
}

bool MessageQueue::wait(MSG& out, HWND hwnd, UINT lo, UINT hi, const Clock& clock)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        const std::uint64_t now = clock.nowMs();
        if (takeLocked(out, hwnd, lo, hi, true, now)) return true;
        const std::optional<std::uint64_t> due = dueLocked();
        if (clock.isReal() && due) {
            m_wake.wait_for(lock, std::chrono::milliseconds(*due > now ? *due - now : 0));
        } else {
            m_wake.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
}

bool MessageQueue::anyLocked(std::uint64_t now) const
{
    return !m_posted.empty() || std::any_of(m_timers.begin(), m_timers.end(), [now](const Timer& t) { return t.due <= now; });
}

std::optional<std::uint64_t> MessageQueue::dueLocked() const
{
    std::optional<std::uint64_t> due;
    for (const auto& t : m_timers)
        if (!due || t.due < *due) due = t.due;
    return due;
}

bool MessageQueue::waitForInput(std::uint64_t ms, const Clock& clock)
{
    std::unique_lock lock(m_mutex);
    if (!clock.isReal()) {
        // Time that does not move by itself brings no timer: only a post
        // (or a test moving the clock) ends the wait, which lasts `ms` of
        // real time at most.
        return m_wake.wait_for(lock, std::chrono::milliseconds(ms), [&] { return anyLocked(clock.nowMs()); });
    }
    const std::uint64_t until = clock.nowMs() + ms;
    for (;;) {
        const std::uint64_t now = clock.nowMs();
        if (anyLocked(now)) return true;
        if (now >= until) return false;
        std::uint64_t wait = until - now;
        if (const auto due = dueLocked()) wait = std::min(wait, *due - now);
        m_wake.wait_for(lock, std::chrono::milliseconds(wait));
    }
}

std::optional<std::uint64_t> MessageQueue::nextTimerDue()
{
    std::lock_guard lock(m_mutex);
    return dueLocked();
}

HWND& threadFocus()
{
    thread_local HWND focus = nullptr;
    return focus;
}

HWND& threadCapture()
{
    thread_local HWND capture = nullptr;
    return capture;
}
