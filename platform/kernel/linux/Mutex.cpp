// Mutexes, named in one process-wide namespace. A name lives as long as a
// handle to its mutex is open; creating an existing name opens it and
// reports ERROR_ALREADY_EXISTS.
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/linux/KernelObject.h"
#include "platform/trace/Trace.h"

namespace {

class MutexObject final : public KernelObject {
public:
    explicit MutexObject(std::string name) : m_name(std::move(name)) {}
    ~MutexObject() override;

    bool tryTake()
    {
        const auto me = std::this_thread::get_id();
        if (m_count > 0 && m_owner != me) return false;
        m_owner = me;
        ++m_count;
        return true;
    }

    DWORD wait(DWORD timeoutMs) override
    {
        std::unique_lock lock(m_mutex);
        auto free = [this] { return tryTake(); };
        if (timeoutMs == INFINITE)
            m_released.wait(lock, free);
        else if (!m_released.wait_for(lock, std::chrono::milliseconds(timeoutMs), free))
            return WAIT_TIMEOUT;
        return WAIT_OBJECT_0;
    }

    void takeNow()
    {
        std::lock_guard lock(m_mutex);
        tryTake();
    }

    bool release()
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_count == 0 || m_owner != std::this_thread::get_id()) return false;
            --m_count;
        }
        m_released.notify_all();
        return true;
    }

private:
    std::string m_name;
    std::mutex m_mutex;
    std::condition_variable m_released;
    std::thread::id m_owner;
    int m_count = 0;
};

struct Names {
    std::mutex mutex;
    std::map<std::string, std::weak_ptr<MutexObject>> objects;
};

Names& names()
{
    // Never destroyed: threads still running at exit may use it.
    static Names* n = new Names;
    return *n;
}

MutexObject::~MutexObject()
{
    if (m_name.empty()) return;
    auto& n = names();
    std::lock_guard lock(n.mutex);
    auto it = n.objects.find(m_name);
    if (it != n.objects.end() && it->second.expired()) n.objects.erase(it);
}

} // namespace

HANDLE CreateMutexA(void*, BOOL bInitialOwner, LPCSTR name)
{
    VE_TRACE(kernel, "(%ld, %s)", static_cast<long>(bInitialOwner), traceText(name).c_str());
    std::shared_ptr<MutexObject> object;
    bool existed = false;
    if (name && *name) {
        auto& n = names();
        std::lock_guard lock(n.mutex);
        auto& slot = n.objects[name];
        object = slot.lock();
        existed = object != nullptr;
        if (!object) {
            object = std::make_shared<MutexObject>(name);
            slot = object;
        }
    } else {
        object = std::make_shared<MutexObject>(std::string());
    }
    // An existing mutex is opened, not taken: ownership is asked for only
    // by the creator.
    if (bInitialOwner && !existed) object->takeNow();
    HANDLE handle = InsertKernelObject(object);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL ReleaseMutex(HANDLE handle)
{
    VE_TRACE(kernel, "(%p)", traceHandle(handle));
    auto object = std::dynamic_pointer_cast<MutexObject>(FindKernelObject(handle));
    return object && object->release() ? TRUE : FALSE;
}
