// Windows, message queues and timers.
//
// A window here is a message target owned by the thread that created it;
// what it shows is painted by the container. Each thread that owns windows
// has one message queue: posted messages come out first, then WM_TIMER for
// timers whose time has come by the process clock (GetTickCount's).
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#else

#include "platform/win/WinUser.h"

// The stand-in's windows are made by its container through
// standin::CreateHandlerWindow (window/linux/StandInWindow.h).
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
constexpr int GCL_STYLE = -26;
// With GCL_STYLE, the style the window's class was made with (CS_DBLCLKS);
// 0 for another index or an unknown window.
DWORD GetClassLongA(HWND hwnd, int index);
LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Posted messages may come from any thread; they go to the queue of the
// thread that owns hwnd (the caller's own queue when hwnd is null).
BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// Calls the window's handler directly; the caller must own the window.
LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags);
// Waits for a message; FALSE once WM_QUIT is retrieved. With a clock that
// does not move by itself it waits for posted messages only.
BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
LRESULT DispatchMessageA(const MSG* msg);

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
constexpr UINT USER_TIMER_MINIMUM = 10;
// Setting an id that runs already restarts it with a full period. With a
// null window the timer belongs to the thread and gets a new id; its
// messages reach no window.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc);
// A timer that may come up to toleranceMs late: its times are rounded up
// to a whole multiple of the tolerance on the process clock, so that the
// timers of a thread with the same tolerance fall on one wake-up.
// TIMERV_DEFAULT_COALESCING (0) is SetTimer.
constexpr ULONG TIMERV_DEFAULT_COALESCING = 0;
UINT_PTR SetCoalescableTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc, ULONG toleranceMs);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// Waits until the caller's queue has a message to retrieve (a posted one,
// or a timer whose time has come) or the time is up: WAIT_OBJECT_0 or
// WAIT_TIMEOUT. The stand-in waits for no handles: with any, WAIT_FAILED.
constexpr DWORD QS_ALLINPUT = 0x04FF;
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds, DWORD wakeMask);

HWND GetFocus();
HWND SetFocus(HWND hwnd);
HWND GetCapture();
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();

#endif
