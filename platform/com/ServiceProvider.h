// IServiceProvider and the service identifiers a browser answers.
#pragma once

#include "platform/com/Unknown.h"

extern const IID IID_IServiceProvider;
extern const GUID SID_STopLevelBrowser;
extern const GUID SID_SWebBrowserApp;

struct IServiceProvider : IUnknown {
    virtual HRESULT QueryService(REFGUID guidService, REFIID riid, void** ppv) = 0;

protected:
    ~IServiceProvider() = default;
};
