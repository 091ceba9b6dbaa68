// One of the container's UI threads: a std::thread with its own message
// loop. The controls made on it live there, as on a Windows apartment
// thread: their window, their timers, the messages their workers post and
// their drawing are all handled by this thread. The driving thread hands it
// work as messages to a window the apartment owns.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/window/Window.h"
#include "platform/window/linux/StandInWindow.h"

class Apartment {
public:
    // `idle` runs on the apartment's thread after each batch of messages
    // (the container paints there).
    explicit Apartment(std::function<void()> idle);
    // Ends the loop (what is posted before runs first) and joins the thread.
    ~Apartment();
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;

    // Runs `task` on the apartment's thread and returns when it has run; at
    // once when called from that thread.
    void run(const std::function<void()>& task);
    // Whether the caller is the apartment's thread.
    bool isCurrent() const { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    struct TaskWindow final : WindowHandler {
        explicit TaskWindow(Apartment& owner) : apartment(owner) {}
        LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
        Apartment& apartment;
    };
    void loop();
    void runTasks();
    void post(std::function<void()> task);

    std::function<void()> m_idle;
    TaskWindow m_handler{*this};
    std::mutex m_mutex; // guards the members below
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_tasks;
    HWND m_window = nullptr;
    bool m_started = false;
    bool m_running = true; // the loop's own, on the apartment's thread
    std::thread m_thread;
};
