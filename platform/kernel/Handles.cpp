#include <map>
#include <mutex>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/KernelObject.h"

namespace {
struct HandleTable {
    std::mutex mutex;
    std::map<HANDLE, std::shared_ptr<KernelObject>> objects;
    std::uintptr_t next = 0x100;
};
HandleTable& handles()
{
    // Never destroyed: threads still running at exit may use it.
    static HandleTable* t = new HandleTable;
    return *t;
}
thread_local DWORD t_lastError = 0;
} // namespace

HANDLE InsertKernelObject(std::shared_ptr<KernelObject> object)
{
    auto& t = handles();
    std::lock_guard lock(t.mutex);
    // Handle values are not reused, so a stale handle never names a newer object.
    HANDLE h = reinterpret_cast<HANDLE>(t.next);
    t.next += 4;
    t.objects[h] = std::move(object);
    return h;
}

std::shared_ptr<KernelObject> FindKernelObject(HANDLE handle)
{
    auto& t = handles();
    std::lock_guard lock(t.mutex);
    auto it = t.objects.find(handle);
    return it == t.objects.end() ? nullptr : it->second;
}

BOOL CloseHandle(HANDLE handle)
{
    std::shared_ptr<KernelObject> object;
    {
        auto& t = handles();
        std::lock_guard lock(t.mutex);
        auto it = t.objects.find(handle);
        if (it == t.objects.end()) {
            t_lastError = ERROR_INVALID_HANDLE;
            return FALSE;
        }
        object = std::move(it->second);
        t.objects.erase(it);
    }
    // The object may die here, outside the table's lock.
    object.reset();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs)
{
    auto object = FindKernelObject(handle);
    if (!object) {
        t_lastError = ERROR_INVALID_HANDLE;
        return WAIT_FAILED;
    }
    return object->wait(timeoutMs);
}

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }
