// The browser object, shaped as Windows declares it. An embedded control
// uses the page's address, the top-level window and navigation of a named
// frame.
#pragma once

#ifdef _WIN32

// On Windows the interfaces and constants are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/com/Dispatch.h"
#include "platform/com/OleCommandTarget.h"
#include "platform/com/OleInterfaces.h"
#include "platform/com/Variant.h"

extern const IID IID_IWebBrowser;
extern const IID IID_IWebBrowserApp;
extern const IID IID_IWebBrowser2;

using SHANDLE_PTR = LONG_PTR;

// The members a control calls: get_LocationURL (the caller frees the
// string with SysFreeString), Navigate (opens url in the frame named by
// targetFrameName, a VT_BSTR, or in the browser's own window when it is
// empty) and IWebBrowserApp's get_HWND.
struct IWebBrowser : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE GoBack() = 0;
    virtual HRESULT STDMETHODCALLTYPE GoForward() = 0;
    virtual HRESULT STDMETHODCALLTYPE GoHome() = 0;
    virtual HRESULT STDMETHODCALLTYPE GoSearch() = 0;
    virtual HRESULT STDMETHODCALLTYPE Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                                               VARIANT* headers) = 0;
    virtual HRESULT STDMETHODCALLTYPE Refresh() = 0;
    virtual HRESULT STDMETHODCALLTYPE Refresh2(VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Application(IDispatch**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Parent(IDispatch**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Container(IDispatch**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Document(IDispatch**) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TopLevelContainer(VARIANT_BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Type(BSTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Left(LONG*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Left(LONG) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Top(LONG*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Top(LONG) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Width(LONG*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Width(LONG) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Height(LONG*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Height(LONG) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LocationName(BSTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Busy(VARIANT_BOOL*) = 0;

protected:
    ~IWebBrowser() = default;
};

struct IWebBrowserApp : IWebBrowser {
    virtual HRESULT STDMETHODCALLTYPE Quit() = 0;
    virtual HRESULT STDMETHODCALLTYPE ClientToWindow(int*, int*) = 0;
    virtual HRESULT STDMETHODCALLTYPE PutProperty(BSTR, VARIANT) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperty(BSTR, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FullName(BSTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Path(BSTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StatusBar(VARIANT_BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_StatusBar(VARIANT_BOOL) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_StatusText(BSTR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_StatusText(BSTR) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ToolBar(int*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_ToolBar(int) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_MenuBar(VARIANT_BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_MenuBar(VARIANT_BOOL) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FullScreen(VARIANT_BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_FullScreen(VARIANT_BOOL) = 0;

protected:
    ~IWebBrowserApp() = default;
};

struct IWebBrowser2 : IWebBrowserApp {
    virtual HRESULT STDMETHODCALLTYPE Navigate2(VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryStatusWB(OLECMDID, OLECMDF*) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExecWB(OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ReadyState(READYSTATE*) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Offline(VARIANT_BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Offline(VARIANT_BOOL) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Silent(VARIANT_BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Silent(VARIANT_BOOL) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RegisterAsBrowser(VARIANT_BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_RegisterAsBrowser(VARIANT_BOOL) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_RegisterAsDropTarget(VARIANT_BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_RegisterAsDropTarget(VARIANT_BOOL) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TheaterMode(VARIANT_BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_TheaterMode(VARIANT_BOOL) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_AddressBar(VARIANT_BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_AddressBar(VARIANT_BOOL) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Resizable(VARIANT_BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Resizable(VARIANT_BOOL) = 0;

protected:
    ~IWebBrowser2() = default;
};

#endif
