// The browser object's members that an embedded control uses: the page's
// address, the top-level window and navigation of a named frame.
#pragma once

#ifdef _WIN32

// On Windows the interfaces and constants are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

extern const IID IID_IWebBrowser;
extern const IID IID_IWebBrowserApp;
extern const IID IID_IWebBrowser2;

using SHANDLE_PTR = LONG_PTR;

struct IWebBrowser : IUnknown {
    // The caller frees the returned string with SysFreeString.
    virtual HRESULT get_LocationURL(BSTR* url) = 0;
    // Opens url in the frame named by targetFrameName (a VT_BSTR), or in the
    // browser's own window when it is empty.
    virtual HRESULT Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                             VARIANT* headers) = 0;

protected:
    ~IWebBrowser() = default;
};

struct IWebBrowserApp : IWebBrowser {
    virtual HRESULT get_HWND(SHANDLE_PTR* hwnd) = 0;

protected:
    ~IWebBrowserApp() = default;
};

struct IWebBrowser2 : IWebBrowserApp {
protected:
    ~IWebBrowser2() = default;
};

#endif
