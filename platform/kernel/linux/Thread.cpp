// Threads over std::thread. A thread object is signalled when its function
// has returned; the last handle's close joins a finished thread and lets a
// running one go on by itself.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/linux/KernelObject.h"
#include "platform/trace/Trace.h"

namespace {

class ThreadObject final : public KernelObject {
public:
    struct State {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        DWORD exitCode = 0;
    };

    ThreadObject(unsigned (*start)(void*), void* arg) : m_state(std::make_shared<State>())
    {
        auto state = m_state;
        m_thread = std::thread([state, start, arg] {
            const unsigned code = start(arg);
            {
                std::lock_guard lock(state->mutex);
                state->finished = true;
                state->exitCode = code;
            }
            state->done.notify_all();
        });
    }

    ~ThreadObject() override
    {
        if (!m_thread.joinable()) return;
        bool finished;
        {
            std::lock_guard lock(m_state->mutex);
            finished = m_state->finished;
        }
        // A finished thread is joined (it is about to return anyway); a
        // running one keeps its state alive through its own shared pointer.
        if (finished && m_thread.get_id() != std::this_thread::get_id())
            m_thread.join();
        else
            m_thread.detach();
    }

    DWORD wait(DWORD timeoutMs) override
    {
        std::unique_lock lock(m_state->mutex);
        auto isDone = [this] { return m_state->finished; };
        if (timeoutMs == INFINITE)
            m_state->done.wait(lock, isDone);
        else if (!m_state->done.wait_for(lock, std::chrono::milliseconds(timeoutMs), isDone))
            return WAIT_TIMEOUT;
        return WAIT_OBJECT_0;
    }

    bool exitCode(DWORD* code)
    {
        std::lock_guard lock(m_state->mutex);
        *code = m_state->finished ? m_state->exitCode : 259; // STILL_ACTIVE
        return true;
    }

    std::thread::id id() const { return m_thread.get_id(); }

private:
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

DWORD threadNumber(std::thread::id id) { return static_cast<DWORD>(std::hash<std::thread::id>{}(id)); }

} // namespace

std::uintptr_t _beginthreadex(void*, unsigned, unsigned (*start)(void*), void* arg, unsigned, unsigned* threadId)
{
    VE_TRACE(kernel, "(%p, %p)", traceHandle(arg), traceHandle(threadId));
    if (!start) return 0;
    std::shared_ptr<ThreadObject> object;
    try {
        object = std::make_shared<ThreadObject>(start, arg);
    } catch (...) {
        // Thread creation failed (resources exhausted): report it as Windows does.
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    if (threadId) *threadId = threadNumber(object->id());
    return reinterpret_cast<std::uintptr_t>(InsertKernelObject(object));
}

BOOL GetExitCodeThread(HANDLE handle, DWORD* exitCode)
{
    VE_TRACE(kernel, "(%p, %p)", traceHandle(handle), traceHandle(exitCode));
    auto object = std::dynamic_pointer_cast<ThreadObject>(FindKernelObject(handle));
    if (!object || !exitCode) return FALSE;
    return object->exitCode(exitCode) ? TRUE : FALSE;
}

void Sleep(DWORD ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

DWORD GetCurrentThreadId() { return threadNumber(std::this_thread::get_id()); }
