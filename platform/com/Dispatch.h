// IDispatch, reduced to the call an event sink receives.
#pragma once

#ifdef _WIN32

// On Windows the interfaces and constants are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

extern const IID IID_IDispatch;

struct IDispatch : IUnknown {
    // Arguments come in reverse order, as COM passes them.
    virtual HRESULT Invoke(DISPID dispIdMember, DISPPARAMS* params) = 0;

protected:
    ~IDispatch() = default;
};

constexpr DISPID DISPID_READYSTATECHANGE = -609;

#endif
