// IUnknown: reference counting and interface discovery.
//
// Rules kept as in COM: QueryInterface on success returns an AddRef'ed
// pointer; on failure it writes null and answers E_NOINTERFACE; the object
// dies when its count reaches zero.
#pragma once

#ifdef _WIN32

// On Windows the interfaces and constants are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/com/Guid.h"
#include "platform/win/WinError.h"

extern const IID IID_IUnknown;

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

#endif
