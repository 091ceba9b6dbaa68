#include "platform/window/linux/StandInWindow.h"

#include <chrono>
#include <mutex>

std::uint64_t RealClock::nowMs() const
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void VirtualClock::setMs(std::uint64_t ms)
{
    std::uint64_t current = m_now.load(std::memory_order_acquire);
    while (ms > current && !m_now.compare_exchange_weak(current, ms, std::memory_order_acq_rel)) {
    }
}

namespace {
std::mutex g_clockMutex;
std::shared_ptr<Clock>& clockSlot()
{
    static std::shared_ptr<Clock> clock = std::make_shared<RealClock>();
    return clock;
}
} // namespace

void standin::SetProcessClock(std::shared_ptr<Clock> clock)
{
    std::lock_guard lock(g_clockMutex);
    clockSlot() = clock ? std::move(clock) : std::make_shared<RealClock>();
}

std::shared_ptr<Clock> standin::GetProcessClock()
{
    std::lock_guard lock(g_clockMutex);
    return clockSlot();
}

DWORD GetTickCount() { return static_cast<DWORD>(standin::GetProcessClock()->nowMs()); }
