// Events: a kernel object that a thread can wait on and another can set.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/linux/KernelObject.h"
#include "platform/trace/Trace.h"

namespace {

class EventObject final : public KernelObject {
public:
    EventObject(bool manualReset, bool initialState) : m_manualReset(manualReset), m_signalled(initialState) {}

    DWORD wait(DWORD timeoutMs) override
    {
        std::unique_lock lock(m_mutex);
        auto ready = [this] { return m_signalled; };
        if (timeoutMs == INFINITE)
            m_changed.wait(lock, ready);
        else if (!m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready))
            return WAIT_TIMEOUT;
        if (!m_manualReset) m_signalled = false;
        return WAIT_OBJECT_0;
    }

    void set(bool signalled)
    {
        {
            std::lock_guard lock(m_mutex);
            m_signalled = signalled;
        }
        if (signalled) m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_manualReset;
    bool m_signalled;
};

} // namespace

HANDLE CreateEventA(void*, BOOL bManualReset, BOOL bInitialState, LPCSTR)
{
    VE_TRACE(kernel, "(%ld, %ld)", static_cast<long>(bManualReset), static_cast<long>(bInitialState));
    return InsertKernelObject(std::make_shared<EventObject>(bManualReset != FALSE, bInitialState != FALSE));
}

BOOL SetEvent(HANDLE handle)
{
    VE_TRACE(kernel, "(%p)", traceHandle(handle));
    auto event = std::dynamic_pointer_cast<EventObject>(FindKernelObject(handle));
    if (!event) return FALSE;
    event->set(true);
    return TRUE;
}

BOOL ResetEvent(HANDLE handle)
{
    VE_TRACE(kernel, "(%p)", traceHandle(handle));
    auto event = std::dynamic_pointer_cast<EventObject>(FindKernelObject(handle));
    if (!event) return FALSE;
    event->set(false);
    return TRUE;
}
