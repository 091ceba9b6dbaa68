// The Linux stand-in's table of windows and the per-thread message queues
// behind Window.h.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/kernel/linux/HandleTable.h"
#include "platform/window/linux/StandInWindow.h"

class MessageQueue {
public:
    void post(const MSG& msg);
    void wake();
    void setWaker(std::function<void()> waker);
    void forgetWindow(HWND hwnd);
    UINT_PTR setTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc, std::uint64_t now, ULONG tolerance = 0);
    bool killTimer(HWND hwnd, UINT_PTR id);
    bool peek(MSG& out, HWND hwnd, UINT lo, UINT hi, bool remove, std::uint64_t now);
    bool wait(MSG& out, HWND hwnd, UINT lo, UINT hi, const Clock& clock);
    // Until a message can be retrieved or `ms` have passed; whether one can.
    bool waitForInput(std::uint64_t ms, const Clock& clock);
    std::optional<std::uint64_t> nextTimerDue();

private:
    struct Timer {
        HWND hwnd;
        UINT_PTR id;
        UINT period;
        std::uint64_t due;
        TIMERPROC proc;
        ULONG tolerance; // 0: none
        // The next time after `now`: a period on, rounded up to a multiple
        // of the tolerance.
        std::uint64_t next(std::uint64_t now) const
        {
            const std::uint64_t due = now + period;
            return tolerance ? (due + tolerance - 1) / tolerance * tolerance : due;
        }
    };
    bool anyLocked(std::uint64_t now) const;
    std::optional<std::uint64_t> dueLocked() const;
    bool takeLocked(MSG& out, HWND hwnd, UINT lo, UINT hi, bool remove, std::uint64_t now);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<MSG> m_posted;
    std::vector<Timer> m_timers;
    std::function<void()> m_waker;
    UINT_PTR m_nextThreadTimerId = 0x7FF0;
};

class WindowTable {
public:
    struct Record {
        WindowHandler* handler;
        UINT classStyle;
        std::thread::id owner;
        std::shared_ptr<MessageQueue> queue;
    };

    static WindowTable& instance();
    std::shared_ptr<MessageQueue> queueOf(std::thread::id thread);
    std::shared_ptr<MessageQueue> currentQueue();
    HWND create(WindowHandler* handler, UINT classStyle);
    std::shared_ptr<const Record> find(HWND hwnd);
    bool destroy(HWND hwnd);

private:
    HandleTable<HWND, const Record> m_windows{0x10000};
    std::mutex m_mutex; // guards m_queues
    std::map<std::thread::id, std::shared_ptr<MessageQueue>> m_queues;
};

HWND& threadFocus();
HWND& threadCapture();
