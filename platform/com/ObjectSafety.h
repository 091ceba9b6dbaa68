// IObjectSafety: a control's answer to whether it is safe for scripting and
// for initialisation from untrusted data.
#pragma once

#ifdef _WIN32

// On Windows the interfaces and constants are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/com/Unknown.h"

extern const IID IID_IObjectSafety;

constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_CALLER = 0x00000001;
constexpr DWORD INTERFACESAFE_FOR_UNTRUSTED_DATA = 0x00000002;

struct IObjectSafety : IUnknown {
    virtual HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* pdwSupportedOptions,
                                              DWORD* pdwEnabledOptions) = 0;
    virtual HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD dwOptionSetMask, DWORD dwEnabledOptions) = 0;

protected:
    ~IObjectSafety() = default;
};

#endif
