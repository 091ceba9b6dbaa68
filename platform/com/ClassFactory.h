// IClassFactory: creation of a module's objects by class identifier.
#pragma once

#ifdef _WIN32

// On Windows the interfaces and constants are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/com/Unknown.h"

extern const IID IID_IClassFactory;

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) = 0;
    virtual HRESULT LockServer(BOOL fLock) = 0;

protected:
    ~IClassFactory() = default;
};

#endif
