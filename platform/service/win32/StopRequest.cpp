#include "platform/service/StopRequest.h"

#include <windows.h>

#include <atomic>

namespace {

std::atomic<bool> g_stop{false};

BOOL WINAPI onControl(DWORD type)
{
    switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        g_stop.store(true, std::memory_order_release);
        // The process ends when this returns from a close: the service's
        // loop gets a moment to close its recordings first.
        if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) Sleep(3000);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void WatchStopRequests() { SetConsoleCtrlHandler(onControl, TRUE); }

void RequestStop() { g_stop.store(true, std::memory_order_release); }

bool StopRequested() { return g_stop.load(std::memory_order_acquire); }
