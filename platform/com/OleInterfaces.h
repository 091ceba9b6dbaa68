// The interfaces between a control and its container, shaped as Windows
// declares them: siting, verbs, in-place activation, the windowless site,
// painting, the control and its site, events through connection points,
// class information. The stand-in's containers call a few of the members;
// every slot is there, so that one source implements or calls them on both
// platforms.
#pragma once

#ifdef _WIN32

// On Windows the interfaces and constants are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/com/Dispatch.h"
#include "platform/com/Persistence.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/win/WinUser.h"

extern const IID IID_IOleClientSite;
extern const IID IID_IOleObject;
extern const IID IID_IOleWindow;
extern const IID IID_IOleInPlaceObject;
extern const IID IID_IOleInPlaceActiveObject;
extern const IID IID_IOleInPlaceSite;
extern const IID IID_IOleInPlaceSiteEx;
extern const IID IID_IOleInPlaceSiteWindowless;
extern const IID IID_IOleControl;
extern const IID IID_IOleControlSite;
extern const IID IID_IViewObject;
extern const IID IID_IViewObject2;
extern const IID IID_IOleAdviseHolder;
extern const IID IID_IEnumOLEVERB;
extern const IID IID_IConnectionPointContainer;
extern const IID IID_IConnectionPoint;
extern const IID IID_IEnumConnectionPoints;
extern const IID IID_IEnumConnections;
extern const IID IID_IProvideClassInfo;
extern const IID IID_IProvideClassInfo2;

// Named by the interfaces below; the stand-in has no frames or documents.
struct IOleContainer;
struct IOleInPlaceUIWindow;
struct IOleInPlaceFrame;
struct LOGPALETTE;

using SIZEL = SIZE;
using LPSIZEL = SIZE*;
struct POINTL {
    LONG x;
    LONG y;
};
struct POINTF {
    FLOAT x;
    FLOAT y;
};

constexpr LONG OLEIVERB_PRIMARY = 0;
constexpr LONG OLEIVERB_SHOW = -1;
constexpr LONG OLEIVERB_OPEN = -2;
constexpr LONG OLEIVERB_HIDE = -3;
constexpr LONG OLEIVERB_UIACTIVATE = -4;
constexpr LONG OLEIVERB_INPLACEACTIVATE = -5;
constexpr LONG OLEIVERB_DISCARDUNDOSTATE = -6;
constexpr LONG OLEIVERB_PROPERTIES = -7;

constexpr DWORD OLEVERBATTRIB_NEVERDIRTIES = 0x1;
constexpr DWORD OLEVERBATTRIB_ONCONTAINERMENU = 0x2;
constexpr DWORD MF_STRING = 0x0;
constexpr DWORD MF_ENABLED = 0x0;

constexpr DWORD OLECLOSE_SAVEIFDIRTY = 0;
constexpr DWORD OLECLOSE_NOSAVE = 1;
constexpr DWORD OLECLOSE_PROMPTSAVE = 2;

constexpr DWORD USERCLASSTYPE_FULL = 1;
constexpr DWORD USERCLASSTYPE_SHORT = 2;
constexpr DWORD USERCLASSTYPE_APPNAME = 3;

constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DVASPECT_THUMBNAIL = 2;
constexpr DWORD DVASPECT_ICON = 4;
constexpr DWORD DVASPECT_DOCPRINT = 8;

constexpr DWORD OLEMISC_RECOMPOSEONRESIZE = 0x1;
constexpr DWORD OLEMISC_CANTLINKINSIDE = 0x10;
constexpr DWORD OLEMISC_INSIDEOUT = 0x80;
constexpr DWORD OLEMISC_ACTIVATEWHENVISIBLE = 0x100;
constexpr DWORD OLEMISC_SETCLIENTSITEFIRST = 0x20000;

constexpr DWORD XFORMCOORDS_POSITION = 0x1;
constexpr DWORD XFORMCOORDS_SIZE = 0x2;
constexpr DWORD XFORMCOORDS_HIMETRICTOCONTAINER = 0x4;
constexpr DWORD XFORMCOORDS_CONTAINERTOHIMETRIC = 0x8;

constexpr DWORD GUIDKIND_DEFAULT_SOURCE_DISP_IID = 1;

enum READYSTATE {
    READYSTATE_UNINITIALIZED = 0,
    READYSTATE_LOADING = 1,
    READYSTATE_LOADED = 2,
    READYSTATE_INTERACTIVE = 3,
    READYSTATE_COMPLETE = 4,
};

constexpr HRESULT OLE_E_NOCONNECTION = MakeHresult(0x80040004u);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = MakeHresult(0x80040003u);
constexpr HRESULT OLEOBJ_S_INVALIDVERB = MakeHresult(0x00040180u);
constexpr HRESULT DV_E_DVASPECT = MakeHresult(0x8004006Bu);
constexpr HRESULT INPLACE_E_NOTUNDOABLE = MakeHresult(0x800401A0u);

// A verb as a container lists it on its menu.
struct OLEVERB {
    LONG lVerb;
    LPOLESTR lpszVerbName;
    DWORD fuFlags;
    DWORD grfAttribs;
};

// The device a drawing is meant for; the offsets point into tdData.
struct DVTARGETDEVICE {
    DWORD tdSize;
    WORD tdDriverNameOffset;
    WORD tdDeviceNameOffset;
    WORD tdPortNameOffset;
    WORD tdExtDevmodeOffset;
    BYTE tdData[1];
};

struct OLEINPLACEFRAMEINFO {
    UINT cb;
    BOOL fMDIApp;
    HWND hwndFrame;
    HACCEL haccel;
    UINT cAccelEntries;
};
using LPOLEINPLACEFRAMEINFO = OLEINPLACEFRAMEINFO*;

struct CONTROLINFO {
    ULONG cb;
    HACCEL hAccel;
    USHORT cAccel;
    DWORD dwFlags;
};

struct CONNECTDATA {
    IUnknown* pUnk;
    DWORD dwCookie;
};

// The enumerators of the interfaces below: Next hands out copies (with a
// reference, or a string the caller frees).
template <typename Self, typename Item>
struct IEnumOf : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, Item* rgelt, ULONG* pceltFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(Self** ppenum) = 0;

protected:
    ~IEnumOf() = default;
};
struct IConnectionPoint;
struct IEnumOLEVERB : IEnumOf<IEnumOLEVERB, OLEVERB> {};
struct IEnumConnections : IEnumOf<IEnumConnections, CONNECTDATA> {};
struct IEnumConnectionPoints : IEnumOf<IEnumConnectionPoints, IConnectionPoint*> {};

// The container's site for one control. The container answers QueryInterface
// for IServiceProvider and for the optional site interfaces below.
struct IOleClientSite : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SaveObject() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** ppContainer) = 0;
    virtual HRESULT STDMETHODCALLTYPE ShowObject() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL fShow) = 0;
    virtual HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() = 0;

protected:
    ~IOleClientSite() = default;
};

struct IOleAdviseHolder : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* pAdvise, DWORD* pdwConnection) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwConnection) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** ppenumAdvise) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendOnRename(IMoniker* pmk) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendOnSave() = 0;
    virtual HRESULT STDMETHODCALLTYPE SendOnClose() = 0;

protected:
    ~IOleAdviseHolder() = default;
};

struct IOleObject : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* pClientSite) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** ppClientSite) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close(DWORD dwSaveOption) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMoniker(DWORD dwWhichMoniker, IMoniker* pmk) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) = 0;
    virtual HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* pDataObject, BOOL fCreation, DWORD dwReserved) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD dwReserved, IDataObject** ppDataObject) = 0;
    virtual HRESULT STDMETHODCALLTYPE DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                                             HWND hwndParent, LPCRECT lprcPosRect) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) = 0;
    virtual HRESULT STDMETHODCALLTYPE Update() = 0;
    virtual HRESULT STDMETHODCALLTYPE IsUpToDate() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* pClsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetExtent(DWORD dwDrawAspect, SIZEL* psizel) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, SIZEL* psizel) = 0;
    virtual HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwConnection) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** ppenumAdvise) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* pLogpal) = 0;

protected:
    ~IOleObject() = default;
};

struct IOleWindow : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) = 0;

protected:
    ~IOleWindow() = default;
};

struct IOleInPlaceObject : IOleWindow {
    virtual HRESULT STDMETHODCALLTYPE InPlaceDeactivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE UIDeactivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReactivateAndUndo() = 0;

protected:
    ~IOleInPlaceObject() = default;
};

struct IOleInPlaceActiveObject : IOleWindow {
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                                   BOOL fFrameWindow) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) = 0;

protected:
    ~IOleInPlaceActiveObject() = default;
};

struct IOleInPlaceSite : IOleWindow {
    virtual HRESULT STDMETHODCALLTYPE CanInPlaceActivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnInPlaceActivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE OnUIActivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                                       LPRECT lprcPosRect, LPRECT lprcClipRect,
                                                       LPOLEINPLACEFRAMEINFO lpFrameInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE Scroll(SIZE scrollExtant) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL fUndoable) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE DiscardUndoState() = 0;
    virtual HRESULT STDMETHODCALLTYPE DeactivateAndUndo() = 0;
    // The container learns the control's new place and size.
    virtual HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT lprcPosRect) = 0;

protected:
    ~IOleInPlaceSite() = default;
};

struct IOleInPlaceSiteEx : IOleInPlaceSite {
    virtual HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* pfNoRedraw, DWORD dwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL fNoRedraw) = 0;
    virtual HRESULT STDMETHODCALLTYPE RequestUIActivate() = 0;

protected:
    ~IOleInPlaceSiteEx() = default;
};

// The site of a control without a window of its own: the container repaints
// the control after InvalidateRect.
struct IOleInPlaceSiteWindowless : IOleInPlaceSiteEx {
    virtual HRESULT STDMETHODCALLTYPE CanWindowlessActivate() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCapture() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCapture(BOOL fCapture) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocus() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFocus(BOOL fFocus) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDC(LPCRECT pRect, DWORD grfFlags, HDC* phDC) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReleaseDC(HDC hDC) = 0;
    virtual HRESULT STDMETHODCALLTYPE InvalidateRect(LPCRECT pRect, BOOL fErase) = 0;
    virtual HRESULT STDMETHODCALLTYPE InvalidateRgn(HRGN hRGN, BOOL fErase) = 0;
    virtual HRESULT STDMETHODCALLTYPE ScrollRect(INT dx, INT dy, LPCRECT pRectScroll, LPCRECT pRectClip) = 0;
    virtual HRESULT STDMETHODCALLTYPE AdjustRect(LPRECT prc) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDefWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                                         LRESULT* plResult) = 0;

protected:
    ~IOleInPlaceSiteWindowless() = default;
};

struct IOleControl : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* pCI) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* pMsg) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispID) = 0;
    // While frozen (a count), the control fires no events.
    virtual HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL bFreeze) = 0;

protected:
    ~IOleControl() = default;
};

struct IOleControlSite : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE OnControlInfoChanged() = 0;
    virtual HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL fLock) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** ppDisp) = 0;
    virtual HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* pPtlHimetric, POINTF* pPtfContainer, DWORD dwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* pMsg, DWORD grfModifiers) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnFocus(BOOL fGotFocus) = 0;
    // The container shows the control's property pages.
    virtual HRESULT STDMETHODCALLTYPE ShowPropertyFrame() = 0;

protected:
    ~IOleControlSite() = default;
};

struct IViewObject : IUnknown {
    // Paints the control into hdcDraw within lprcBounds.
    virtual HRESULT STDMETHODCALLTYPE Draw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                                           HDC hdcTargetDev, HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL lprcWBounds,
                                           BOOL(STDMETHODCALLTYPE* pfnContinue)(ULONG_PTR dwContinue),
                                           ULONG_PTR dwContinue) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetColorSet(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                                                  HDC hicTargetDev, LOGPALETTE** ppColorSet) = 0;
    virtual HRESULT STDMETHODCALLTYPE Freeze(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DWORD* pdwFreeze) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unfreeze(DWORD dwFreeze) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) = 0;

protected:
    ~IViewObject() = default;
};

struct IViewObject2 : IViewObject {
    virtual HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, LONG lindex, DVTARGETDEVICE* ptd,
                                                LPSIZEL lpsizel) = 0;

protected:
    ~IViewObject2() = default;
};

struct IConnectionPointContainer;

struct IConnectionPoint : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) = 0;
    // The sink is asked for the events interface, then IDispatch; events are
    // delivered to its Invoke.
    virtual HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) = 0;

protected:
    ~IConnectionPoint() = default;
};

struct IConnectionPointContainer : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

struct IProvideClassInfo : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** ppTI) = 0;

protected:
    ~IProvideClassInfo() = default;
};

struct IProvideClassInfo2 : IProvideClassInfo {
    virtual HRESULT STDMETHODCALLTYPE GetGUID(DWORD dwGuidKind, GUID* pGUID) = 0;

protected:
    ~IProvideClassInfo2() = default;
};

#endif
