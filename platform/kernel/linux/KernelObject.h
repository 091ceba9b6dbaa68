// The Linux stand-in's kernel objects behind HANDLE values. Handles count
// references as Windows does; CloseHandle drops the caller's, and the object
// dies with the last one.
#pragma once

#include <memory>

#include "platform/win/WinTypes.h"

class KernelObject {
public:
    virtual ~KernelObject() = default;
    // WAIT_OBJECT_0 when signalled within timeoutMs, else WAIT_TIMEOUT.
    virtual DWORD wait(DWORD timeoutMs) = 0;
};

HANDLE InsertKernelObject(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> FindKernelObject(HANDLE handle);
