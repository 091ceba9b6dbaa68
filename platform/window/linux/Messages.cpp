// The message and timer calls of Window.h over the window table.
#include <thread>

#include "platform/window/Cursor.h"
#include "platform/window/linux/StandInWindow.h"
#include "platform/window/linux/WindowTable.h"
#include "platform/kernel/Kernel.h"
#include "platform/trace/Trace.h"

namespace {
// The queue of the thread that owns hwnd, or the caller's own for a null
// window; null for a window that does not exist. With mustOwn the caller
// must be the owner.
std::shared_ptr<MessageQueue> queueFor(HWND hwnd, bool mustOwn)
{
    if (!hwnd) return WindowTable::instance().currentQueue();
    auto record = WindowTable::instance().find(hwnd);
    if (!record || (mustOwn && record->owner != std::this_thread::get_id())) return nullptr;
    return record->queue;
}
} // namespace

HWND standin::CreateHandlerWindow(WindowHandler* handler, UINT classStyle)
{
    if (!handler) return nullptr;
    return WindowTable::instance().create(handler, classStyle);
}

BOOL DestroyWindow(HWND hwnd)
{
    VE_TRACE(window, "(%p)", traceHandle(hwnd));
    auto record = WindowTable::instance().find(hwnd);
    if (!record) return FALSE;
    record->handler->handleMessage(hwnd, WM_DESTROY, 0, 0);
    if (threadFocus() == hwnd) threadFocus() = nullptr;
    if (threadCapture() == hwnd) threadCapture() = nullptr;
    return WindowTable::instance().destroy(hwnd) ? TRUE : FALSE;
}

BOOL IsWindow(HWND hwnd) { return hwnd && WindowTable::instance().find(hwnd) ? TRUE : FALSE; }

DWORD GetClassLongA(HWND hwnd, int index)
{
    VE_TRACE(window, "(%p, %ld)", traceHandle(hwnd), static_cast<long>(index));
    if (index != GCL_STYLE) return 0;
    auto record = WindowTable::instance().find(hwnd);
    return record ? record->classStyle : 0;
}

LRESULT DefWindowProcA(HWND, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_SETCURSOR:
        // The window's class cursor is the arrow.
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return FALSE;
    default:
        return 0;
    }
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    VE_TRACE(window, "(%p, 0x%lx, 0x%lx, %ld)", traceHandle(hwnd), static_cast<unsigned long>(message),
             static_cast<unsigned long>(wParam), static_cast<long>(lParam));
    auto queue = queueFor(hwnd, false);
    if (!queue) return FALSE;
    queue->post(MSG{hwnd, message, wParam, lParam, GetTickCount(), {0, 0}});
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    VE_TRACE(window, "(%ld)", static_cast<long>(exitCode));
    WindowTable::instance().currentQueue()->post(
        MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, GetTickCount(), {0, 0}});
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    VE_TRACE(window, "(%p, 0x%lx, 0x%lx, %ld)", traceHandle(hwnd), static_cast<unsigned long>(message),
             static_cast<unsigned long>(wParam), static_cast<long>(lParam));
    auto record = WindowTable::instance().find(hwnd);
    if (!record || record->owner != std::this_thread::get_id()) return 0;
    return record->handler->handleMessage(hwnd, message, wParam, lParam);
}

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (!msg) return FALSE;
    const std::uint64_t now = standin::GetProcessClock()->nowMs();
    return WindowTable::instance().currentQueue()->peek(*msg, hwnd, filterMin, filterMax,
                                                        (removeFlags & PM_REMOVE) != 0, now)
               ? TRUE
               : FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    if (!msg) return FALSE;
    auto clock = standin::GetProcessClock();
    WindowTable::instance().currentQueue()->wait(*msg, hwnd, filterMin, filterMax, *clock);
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

LRESULT DispatchMessageA(const MSG* msg)
{
    VE_TRACE(window, "(%p)", traceHandle(msg));
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd) return 0;
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc)
{
    VE_TRACE(window, "(%p, 0x%lx, 0x%lx, %p)", traceHandle(hwnd), static_cast<unsigned long>(id),
             static_cast<unsigned long>(elapseMs), traceHandle(proc));
    auto queue = queueFor(hwnd, true);
    if (!queue) return 0;
    return queue->setTimer(hwnd, id, elapseMs, proc, standin::GetProcessClock()->nowMs());
}

UINT_PTR SetCoalescableTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc, ULONG toleranceMs)
{
    VE_TRACE(window, "(%p, 0x%lx, 0x%lx, %p, %lu)", traceHandle(hwnd), static_cast<unsigned long>(id),
             static_cast<unsigned long>(elapseMs), traceHandle(proc), static_cast<unsigned long>(toleranceMs));
    auto queue = queueFor(hwnd, true);
    if (!queue) return 0;
    // Windows takes tolerances up to 0x7FFFFFF5; larger ones are its own
    // special values, which here mean none.
    const ULONG tolerance = toleranceMs <= 0x7FFFFFF5u ? toleranceMs : 0;
    return queue->setTimer(hwnd, id, elapseMs, proc, standin::GetProcessClock()->nowMs(), tolerance);
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD milliseconds, DWORD)
{
    if (count != 0) return WAIT_FAILED;
    auto clock = standin::GetProcessClock();
    const std::uint64_t ms = milliseconds == INFINITE ? 0x7FFFFFFFu : milliseconds;
    return WindowTable::instance().currentQueue()->waitForInput(ms, *clock) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    VE_TRACE(window, "(%p, 0x%lx)", traceHandle(hwnd), static_cast<unsigned long>(id));
    auto queue = queueFor(hwnd, false);
    if (!queue) return FALSE;
    return queue->killTimer(hwnd, id) ? TRUE : FALSE;
}

std::optional<std::uint64_t> standin::NextTimerDueMs() { return WindowTable::instance().currentQueue()->nextTimerDue(); }

void standin::SetMessageQueueWaker(std::function<void()> waker)
{
    WindowTable::instance().currentQueue()->setWaker(std::move(waker));
}

void standin::WakeMessageQueueOf(HWND hwnd)
{
    if (auto record = WindowTable::instance().find(hwnd)) record->queue->wake();
}

HWND GetFocus() { return threadFocus(); }

HWND SetFocus(HWND hwnd)
{
    VE_TRACE(window, "(%p)", traceHandle(hwnd));
    HWND previous = threadFocus();
    if (hwnd && !IsWindow(hwnd)) return nullptr;
    threadFocus() = hwnd;
    if (previous && previous != hwnd) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    if (hwnd && previous != hwnd) SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND GetCapture() { return threadCapture(); }

HWND SetCapture(HWND hwnd)
{
    VE_TRACE(window, "(%p)", traceHandle(hwnd));
    HWND previous = threadCapture();
    if (IsWindow(hwnd)) threadCapture() = hwnd;
    return previous;
}

BOOL ReleaseCapture()
{
    VE_TRACE(window, "()");
    threadCapture() = nullptr;
    return TRUE;
}
