// The Linux stand-in's clock, which timers and GetTickCount read. The
// container chooses it: the real monotonic clock for the viewer, a virtual
// clock for tests, which moves only when the test advances it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/kernel/Kernel.h" // GetTickCount

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary origin; never decreases.
    virtual std::uint64_t nowMs() const = 0;
    // True when time moves by itself (a blocking wait may sleep for it).
    virtual bool isReal() const = 0;
};

class RealClock final : public Clock {
public:
    std::uint64_t nowMs() const override;
    bool isReal() const override { return true; }
};

class VirtualClock final : public Clock {
public:
    std::uint64_t nowMs() const override { return m_now.load(std::memory_order_acquire); }
    bool isReal() const override { return false; }
    // Moves time to `ms`; time never goes back, so an earlier value is ignored.
    void setMs(std::uint64_t ms);
    void advanceMs(std::uint64_t ms) { setMs(nowMs() + ms); }

private:
    std::atomic<std::uint64_t> m_now{1000};
};
