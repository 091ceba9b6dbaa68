// One of the Windows container's UI threads: a thread of its own in a
// single-threaded COM apartment, with its own message loop. The controls
// made on it live there: they are created, sited, activated, drawn and
// destroyed on it, their windows and timers are its, and their interfaces
// are used from no other thread. The driving thread hands it work as tasks
// posted to a message-only window the apartment owns.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class Apartment {
public:
    // `idle` runs on the apartment's thread after each batch of messages
    // (the container draws its controls there); `watch` sees each message
    // before it is dispatched, may change it, and takes it (true) when it
    // is not to be dispatched.
    Apartment(std::function<void()> idle, std::function<bool(MSG&)> watch);
    // Ends the loop (what is posted before runs first) and joins the thread.
    ~Apartment();
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;

    // Whether the thread runs its loop in its apartment.
    bool ready() const { return m_window != nullptr; }
    // Runs `task` on the apartment's thread and returns when it has run; at
    // once when called from that thread. While it waits, the calling
    // thread answers the messages other threads send it: a control's
    // window that is the child of one of the caller's windows sends its
    // parent messages while it is made or destroyed.
    void run(const std::function<void()>& task);
    // Queues `task` to run on the apartment's thread, and returns at once.
    void post(std::function<void()> task);
    // Has the loop turn, so that its idle step runs.
    void wake() const;
    bool isCurrent() const { return GetCurrentThreadId() == m_threadId.load(std::memory_order_acquire); }

private:
    static LRESULT CALLBACK TaskProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void loop(HANDLE started);
    void runTasks();

    std::function<void()> m_idle;
    std::function<bool(MSG&)> m_watch;
    std::mutex m_mutex; // guards m_tasks
    std::deque<std::function<void()>> m_tasks;
    HWND m_window = nullptr; // set before the constructor returns
    std::atomic<DWORD> m_threadId{0};
    bool m_running = true; // the loop's own, on the apartment's thread
    std::thread m_thread;
};
