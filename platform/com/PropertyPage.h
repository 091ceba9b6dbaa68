// Property pages: a control names its pages (ISpecifyPropertyPages), and the
// container's property frame creates each page by class, gives it a site
// and the objects, asks what it is (title, size), and lets it show its
// dialog inside the frame (IPropertyPage).
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#else

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/win/WinUser.h"

extern const IID IID_ISpecifyPropertyPages;
extern const IID IID_IPropertyPage;

// A counted array of class identifiers, allocated with CoTaskMemAlloc; the
// caller frees pElems with CoTaskMemFree.
struct CAUUID {
    ULONG cElems = 0;
    GUID* pElems = nullptr;
};

struct ISpecifyPropertyPages : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pPages) = 0;

protected:
    ~ISpecifyPropertyPages() = default;
};

// What a page tells its frame. The strings are allocated with
// CoTaskMemAlloc by the page and freed with CoTaskMemFree by the caller;
// any of them may be null. size is the page's size in pixels.
struct PROPPAGEINFO {
    ULONG cb;
    LPOLESTR pszTitle;
    SIZE size;
    LPOLESTR pszDocString;
    LPOLESTR pszHelpFile;
    DWORD dwHelpContext;
};

// What OnStatusChange reports.
constexpr DWORD PROPPAGESTATUS_DIRTY = 0x1;
constexpr DWORD PROPPAGESTATUS_VALIDATE = 0x2;
constexpr DWORD PROPPAGESTATUS_CLEAN = 0x4;

// The show commands a frame passes to Show.
constexpr UINT SW_HIDE = 0;
constexpr UINT SW_SHOW = 5;

// The frame's side of a page.
struct IPropertyPageSite : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnStatusChange(DWORD dwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* pLocaleID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPageContainer(IUnknown** ppUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* pMsg) = 0;

protected:
    ~IPropertyPageSite() = default;
};

// The order a frame keeps: SetPageSite, SetObjects, GetPageInfo, Activate,
// Show, (Move, Apply, IsPageDirty, TranslateAccelerator, Help), Deactivate,
// SetObjects(0, null), SetPageSite(null).
struct IPropertyPage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* pPageSite) = 0;
    virtual HRESULT STDMETHODCALLTYPE Activate(HWND hWndParent, LPCRECT pRect, BOOL bModal) = 0;
    virtual HRESULT STDMETHODCALLTYPE Deactivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* pPageInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetObjects(ULONG cObjects, IUnknown** ppUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE Show(UINT nCmdShow) = 0;
    virtual HRESULT STDMETHODCALLTYPE Move(LPCRECT pRect) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsPageDirty() = 0;
    virtual HRESULT STDMETHODCALLTYPE Apply() = 0;
    virtual HRESULT STDMETHODCALLTYPE Help(LPCOLESTR pszHelpDir) = 0;
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* pMsg) = 0;

protected:
    ~IPropertyPage() = default;
};

#endif
