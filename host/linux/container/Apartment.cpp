#include "host/linux/container/Apartment.h"

#include <utility>

namespace {
// The message that says tasks are waiting.
constexpr UINT kRunTasks = WM_USER + 0x1A0;
} // namespace

LRESULT Apartment::TaskWindow::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kRunTasks) return DefWindowProcA(hwnd, message, wParam, lParam);
    apartment.runTasks();
    return 0;
}

Apartment::Apartment(std::function<void()> idle) : m_idle(std::move(idle))
{
    m_thread = std::thread([this] { loop(); });
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_started; });
}

Apartment::~Apartment()
{
    post([this] { m_running = false; });
    m_thread.join();
}

void Apartment::loop()
{
    {
        std::lock_guard lock(m_mutex);
        m_window = standin::CreateHandlerWindow(&m_handler, 0);
        m_started = true;
    }
    m_changed.notify_all();
    MSG msg;
    while (m_running && GetMessageA(&msg, nullptr, 0, 0)) {
        DispatchMessageA(&msg);
        while (m_running && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (m_running && m_idle) m_idle();
    }
    DestroyWindow(m_window);
}

void Apartment::runTasks()
{
    // One task for each message that said so: a task then runs after the
    // messages posted to the apartment before it, never ahead of them.
    std::function<void()> task;
    {
        std::lock_guard lock(m_mutex);
        if (m_tasks.empty()) return;
        task = std::move(m_tasks.front());
        m_tasks.pop_front();
    }
    task();
}

void Apartment::post(std::function<void()> task)
{
    HWND window = nullptr;
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
        window = m_window;
    }
    PostMessageA(window, kRunTasks, 0, 0);
}

void Apartment::run(const std::function<void()>& task)
{
    if (isCurrent()) {
        task();
        return;
    }
    std::mutex doneMutex;
    std::condition_variable doneChanged;
    bool done = false;
    post([&] {
        task();
        std::lock_guard lock(doneMutex);
        done = true;
        doneChanged.notify_one();
    });
    std::unique_lock lock(doneMutex);
    doneChanged.wait(lock, [&] { return done; });
}
