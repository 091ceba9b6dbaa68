#include "platform/kernel/linux/HandleTable.h"
#include "platform/kernel/Kernel.h"
#include "platform/kernel/linux/KernelObject.h"
#include "platform/trace/Trace.h"

namespace {
HandleTable<HANDLE, KernelObject>& handles()
{
    // Never destroyed: threads still running at exit may use it.
    static auto* t = new HandleTable<HANDLE, KernelObject>(0x100);
    return *t;
}
thread_local DWORD t_lastError = 0;
} // namespace

HANDLE InsertKernelObject(std::shared_ptr<KernelObject> object) { return handles().insert(std::move(object)); }

std::shared_ptr<KernelObject> FindKernelObject(HANDLE handle) { return handles().find(handle); }

BOOL CloseHandle(HANDLE handle)
{
    VE_TRACE(kernel, "(%p)", traceHandle(handle));
    // The object may die here, outside the table's lock.
    if (!handles().remove(handle)) {
        t_lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD timeoutMs)
{
    VE_TRACE(kernel, "(%p, 0x%lx)", traceHandle(handle), static_cast<unsigned long>(timeoutMs));
    auto object = FindKernelObject(handle);
    if (!object) {
        t_lastError = ERROR_INVALID_HANDLE;
        return WAIT_FAILED;
    }
    return object->wait(timeoutMs);
}

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }
