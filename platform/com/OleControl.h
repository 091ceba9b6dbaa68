// The interfaces between a control and its container, reduced to the calls
// either side makes here: siting, verbs, the window, painting, persistence
// through a property bag, events through a connection point, and the
// container's side of invalidation and sizing.
#pragma once

#ifdef _WIN32

// On Windows the interfaces and constants are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/com/Dispatch.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

extern const IID IID_IOleClientSite;
extern const IID IID_IOleObject;
extern const IID IID_IOleWindow;
extern const IID IID_IOleInPlaceSiteWindowless;
extern const IID IID_IOleControlSite;
extern const IID IID_IViewObject;
extern const IID IID_IPersistPropertyBag;
extern const IID IID_IPropertyBag;
extern const IID IID_IConnectionPointContainer;
extern const IID IID_IConnectionPoint;

// The container's site for one control. The container answers QueryInterface
// for IServiceProvider and for the optional site interfaces below.
struct IOleClientSite : IUnknown {
protected:
    ~IOleClientSite() = default;
};

constexpr LONG OLEIVERB_PRIMARY = 0;
constexpr LONG OLEIVERB_SHOW = -1;
constexpr LONG OLEIVERB_PROPERTIES = -7;

struct IOleObject : IUnknown {
    virtual HRESULT SetClientSite(IOleClientSite* pClientSite) = 0;
    virtual HRESULT GetClientSite(IOleClientSite** ppClientSite) = 0;
    virtual HRESULT DoVerb(LONG iVerb) = 0;
    virtual HRESULT GetMiscStatus(DWORD aspect, DWORD* status) = 0;

protected:
    ~IOleObject() = default;
};

struct IOleWindow : IUnknown {
    virtual HRESULT GetWindow(HWND* phwnd) = 0;

protected:
    ~IOleWindow() = default;
};

// The container's side: it repaints the control after InvalidateRect and
// learns the control's new size through OnPosRectChange.
struct IOleInPlaceSiteWindowless : IUnknown {
    virtual HRESULT InvalidateRect(LPCRECT pRect, BOOL fErase) = 0;
    virtual HRESULT OnPosRectChange(LPCRECT lprcPosRect) = 0;

protected:
    ~IOleInPlaceSiteWindowless() = default;
};

// The container shows the control's property pages.
struct IOleControlSite : IUnknown {
    virtual HRESULT ShowPropertyFrame() = 0;

protected:
    ~IOleControlSite() = default;
};

constexpr DWORD DVASPECT_CONTENT = 1;

struct IViewObject : IUnknown {
    // Paints the control into hdc within bounds.
    virtual HRESULT Draw(DWORD dwDrawAspect, HDC hdcDraw, LPCRECTL lprcBounds) = 0;

protected:
    ~IViewObject() = default;
};

struct IErrorLog;

struct IPropertyBag : IUnknown {
    // On success *pVar receives a VT_BSTR the caller clears; E_INVALIDARG when
    // the bag holds no property of that name.
    virtual HRESULT Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) = 0;
    virtual HRESULT Write(LPCOLESTR pszPropName, VARIANT* pVar) = 0;

protected:
    ~IPropertyBag() = default;
};

struct IPersistPropertyBag : IUnknown {
    virtual HRESULT InitNew() = 0;
    virtual HRESULT Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) = 0;
    virtual HRESULT Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) = 0;

protected:
    ~IPersistPropertyBag() = default;
};

struct IConnectionPoint : IUnknown {
    // The sink is asked for IDispatch; events are delivered to its Invoke.
    virtual HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) = 0;
    virtual HRESULT Unadvise(DWORD dwCookie) = 0;

protected:
    ~IConnectionPoint() = default;
};

struct IConnectionPointContainer : IUnknown {
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

constexpr DWORD OLEMISC_RECOMPOSEONRESIZE = 0x1;
constexpr DWORD OLEMISC_CANTLINKINSIDE = 0x10;
constexpr DWORD OLEMISC_INSIDEOUT = 0x80;
constexpr DWORD OLEMISC_ACTIVATEWHENVISIBLE = 0x100;
constexpr DWORD OLEMISC_SETCLIENTSITEFIRST = 0x20000;

#endif
