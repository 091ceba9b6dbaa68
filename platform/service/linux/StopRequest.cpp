#include "platform/service/StopRequest.h"

#include <atomic>
#include <csignal>

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void onStop(int) { g_stop.store(true, std::memory_order_release); }

} // namespace

void WatchStopRequests()
{
    struct sigaction action {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void RequestStop() { g_stop.store(true, std::memory_order_release); }

bool StopRequested() { return g_stop.load(std::memory_order_acquire); }
