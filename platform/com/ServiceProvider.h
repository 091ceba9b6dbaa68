// IServiceProvider and the service identifiers a browser answers.
#pragma once

#ifdef _WIN32

// On Windows the interfaces and constants are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/com/Unknown.h"

extern const IID IID_IServiceProvider;
extern const GUID SID_STopLevelBrowser;
extern const GUID SID_SWebBrowserApp;

struct IServiceProvider : IUnknown {
    virtual HRESULT QueryService(REFGUID guidService, REFIID riid, void** ppv) = 0;

protected:
    ~IServiceProvider() = default;
};

#endif
