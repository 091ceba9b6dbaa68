#include "host/win32/container/Apartment.h"

#include <objbase.h>

#include <memory>
#include <utility>

namespace {

constexpr wchar_t kTaskClass[] = L"CamviewApartment";
// The message that says tasks are waiting; any message wakes the loop.
constexpr UINT kRunTasks = WM_APP + 0x1A0;

struct HandleCloser {
    void operator()(HANDLE h) const
    {
        if (h) CloseHandle(h);
    }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// Waits for `event`, answering the messages sent to this thread meanwhile.
void waitServingSent(HANDLE event)
{
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_SENDMESSAGE, 0);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) return;
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace

LRESULT CALLBACK Apartment::TaskProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kRunTasks) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (auto* self = reinterpret_cast<Apartment*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) self->runTasks();
    return 0;
}

Apartment::Apartment(std::function<void()> idle, std::function<bool(MSG&)> watch)
    : m_idle(std::move(idle)), m_watch(std::move(watch))
{
    OwnedHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!started) return;
    m_thread = std::thread([this, event = started.get()] { loop(event); });
    waitServingSent(started.get());
    m_threadId.load(std::memory_order_acquire); // pairs with the thread's store: m_window is read after
}

Apartment::~Apartment()
{
    if (!m_thread.joinable()) return;
    if (m_window) run([this] { m_running = false; });
    m_thread.join();
}

void Apartment::loop(HANDLE started)
{
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Apartment::TaskProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kTaskClass;
    RegisterClassExW(&wc); // the first apartment registers it
    HWND window = SUCCEEDED(com) ? CreateWindowExW(0, kTaskClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                                   nullptr)
                                 : nullptr;
    if (window) SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_window = window;
    m_threadId.store(GetCurrentThreadId(), std::memory_order_release);
    SetEvent(started); // the constructor returns; `started` is not ours after this
    if (window) {
        MSG msg;
        while (m_running) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == -1) break;
            // A quit a control posts does not end the apartment: the
            // container does, when its controls are gone.
            if (got == 0) continue;
            do {
                if (m_watch && m_watch(msg)) continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            } while (m_running && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT);
            if (m_running && m_idle) m_idle();
        }
        DestroyWindow(window);
    }
    if (SUCCEEDED(com)) CoUninitialize();
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
    if (!m_window) return;
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    PostMessageW(m_window, kRunTasks, 0, 0);
}

void Apartment::wake() const { PostMessageW(m_window, WM_NULL, 0, 0); }

void Apartment::run(const std::function<void()>& task)
{
    if (isCurrent()) {
        task();
        return;
    }
    if (!m_window) return;
    OwnedHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) return;
    // The flag orders what the task wrote before what the caller reads
    // after; the event only wakes the caller.
    std::atomic<bool> ran{false};
    post([&task, &ran, event = done.get()] {
        task();
        ran.store(true, std::memory_order_release);
        SetEvent(event);
    });
    do waitServingSent(done.get());
    while (!ran.load(std::memory_order_acquire));
}
