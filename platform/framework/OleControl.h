// COleControl: the base of an ActiveX control. It is the control's COM
// identity (one interface map, one reference count), its siting, its window
// and message map, property persistence (property bags, streams, and on
// Windows storages), events through one connection point, painting, sizing,
// verbs, in-place activation and ready state. A derived control overrides
// the virtual operations below.
//
// One class on both platforms: the interfaces are Windows' own on Windows
// and the stand-in's, shaped the same, elsewhere. What only the system can
// do (the control's window, the type library, OLE's data cache and
// storages, the system's property frame) sits behind the private hooks
// implemented in platform/framework/linux/<file>.cpp for the stand-in and
// platform/framework/win32/<file>.cpp for Windows.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/com/ObjectSafety.h"
#include "platform/com/OleCommandTarget.h"
#include "platform/com/OleInterfaces.h"
#include "platform/com/Persistence.h"
#include "platform/com/PropertyPage.h"
#include "platform/com/ServiceProvider.h"
#include "platform/com/Variant.h"
#include "platform/framework/Dc.h"
#include "platform/framework/AfxMessageBox.h"
#include "platform/framework/MessageMap.h"
#include "platform/framework/OleControlShared.h"
#include "platform/framework/PropExchange.h"
#include "platform/window/Window.h"

class PropertyStreamSource;

class COleControl {
public:
    COleControl();
    virtual ~COleControl();
    COleControl(const COleControl&) = delete;
    COleControl& operator=(const COleControl&) = delete;

    // COM identity. The object starts with one reference, its creator's; the
    // last Release deletes it.
    HRESULT ExternalQueryInterface(REFIID riid, void** ppv);
    ULONG ExternalAddRef();
    ULONG ExternalRelease();
    IUnknown* GetControllingUnknown() { return &m_xUnknown; }

    // Overridables.
    virtual const char* GetRuntimeClassName() const { return "COleControl"; }
    virtual void DoPropExchange(CPropExchange* pPX);
    virtual void OnResetState();
    virtual void OnDraw(CDC* pdc, const RECT& rcBounds, const RECT& rcInvalid);
    virtual void OnSetClientSite();
    virtual DWORD GetControlFlags();
    virtual DWORD GetMiscStatus() { return 0; }
    virtual HRESULT GetClassID(CLSID* pClsid);
    virtual const AFX_MSGMAP* GetMessageMap() const { return nullptr; }
    // The derived control's own interfaces, asked after the framework's.
    virtual const AFX_INTERFACEMAP* GetInterfaceMap() const { return nullptr; }
    virtual BOOL OnProperties();
    // The control's property pages, by class; none unless overridden.
    virtual const CLSID* GetPropPageIDs(ULONG* count) const;
    // The control's identity: its type library (identifier and version),
    // the library its type information is cached under, and the string
    // resource of its type name. None unless overridden.
    virtual UINT GetTypeInfoCount() const { return 0; }
    virtual HRESULT GetTypeLib(LCID lcid, GUID* libid, WORD* major, WORD* minor) const;
    virtual HRESULT GetTypeLibCache(GUID* libid) const;
    virtual UINT GetUserTypeNameID() const { return 0; }

    // Persistence as one stream of named properties (PropertyStream.h), what
    // a container keeps through IPersistStreamInit: the same loading and
    // saving exchanges as a property bag's. A stream that is not in the
    // format is refused (E_FAIL) before any property is loaded; a save the
    // format cannot hold fails and appends nothing.
    HRESULT LoadStream(PropertyStreamSource& source);
    HRESULT SaveStream(std::string& bytes);

    // Siting and the window.
    IOleClientSite* GetClientSite() const { return m_pClientSite; }
    // Makes the control's window once; it lives as long as the control. On
    // Windows, made before in-place activation it is hidden and without a
    // parent; the activation makes it a child of the container's window.
    BOOL RecreateControlWindow();
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Painting, sizing, events, ready state.
    void InvalidateControl(LPCRECT lpRect = nullptr, BOOL bErase = TRUE);
    void SetInitialSize(int cx, int cy);
    BOOL SetControlSize(int cx, int cy);
    void GetControlSize(int* pcx, int* pcy) const;
    // Arguments in their natural order; they reach the sink reversed, as COM
    // passes them.
    void FireEvent(DISPID dispid, const VARIANT* args, UINT count);
    void InternalSetReadyState(LONG lNewState);
    LONG GetReadyState() const { return m_lReadyState; }
    void InitializeIIDs(const IID* piidPrimary, const IID* piidEvents);

    // Exchange helpers of the framework.
    BOOL ExchangeVersion(CPropExchange* pPX, DWORD dwVersionDefault, BOOL bConvert = TRUE);
    BOOL ExchangeExtent(CPropExchange* pPX);
    void ExchangeStockProps(CPropExchange* pPX);

    // Window services on the control's window.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC proc);
    BOOL KillTimer(UINT_PTR nIDEvent);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    static HWND GetFocus() { return ::GetFocus(); }
    void SetFocus();

    // The window procedure: the message map first, then the framework.
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    // Default processing of the message being handled.
    LRESULT Default();
    // The framework's handlers; a derived handler calls them for default
    // processing. Button presses capture the mouse until release.
    void OnTimer(UINT_PTR nIDEvent);
    void OnLButtonDown(UINT nFlags, POINT point);
    void OnRButtonDown(UINT nFlags, POINT point);
    void OnRButtonUp(UINT nFlags, POINT point);
    void OnMouseMove(UINT nFlags, POINT point);
    BOOL OnSetCursor(HWND hwnd, UINT nHitTest, UINT message);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT pt);

    LONG m_lReadyState = READYSTATE_COMPLETE;
    HWND m_hWnd = nullptr;

private:
    // OleObject.cpp: siting, verbs, the container's advise sinks.
    HRESULT SetClientSite(IOleClientSite* pClientSite);
    HRESULT DoVerb(LONG iVerb, HWND hwndParent);
    HRESULT EnumVerbs(IEnumOLEVERB** ppEnum);
    void SendAdvise(DWORD what);
    HRESULT SetObjectRects(LPCRECT pos, LPCRECT clip);
    // OleControl.cpp: the window's messages the framework handles itself.
    LRESULT frameworkHandle(UINT message, WPARAM wParam, LPARAM lParam);
    // Persist.cpp: the property exchange over bags and streams.
    HRESULT Load(IPropertyBag* bag);
    HRESULT Save(IPropertyBag* bag);
    HRESULT LoadStream(IStream* stream);
    HRESULT SaveStream(IStream* stream);
    // ConnectionPoint.cpp: the event sinks.
    HRESULT Advise(IUnknown* sink, DWORD* cookie);
    HRESULT Unadvise(DWORD cookie);

    // The platform's hooks.
    // [win32/]ControlWindow.cpp: the control's window, in-place activation
    // and the messages that paint. DestroyControlWindow destroys the window
    // without a message reaching the control.
    void DestroyControlWindow();
    LRESULT DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    bool PaintMessage(UINT message, WPARAM wParam, LRESULT* result);
    void InvalidateWindow(LPCRECT lpRect, BOOL bErase);
    HRESULT InPlaceActivate(bool uiActivate);
    HRESULT UIActivate();
    HRESULT UIDeactivate();
    HRESULT InPlaceDeactivate();
    void MoveControlWindow();
    void HideControl();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // [win32/]ControlServices.cpp: painting into any device context, the
    // type name from the resources, the system's property frame, the
    // container's advise holder.
    HRESULT Draw(HDC hdc, const RECT& bounds);
    HRESULT GetUserType(DWORD form, LPOLESTR* type);
    BOOL ShowSystemPropertyFrame(const CLSID* pages, ULONG count);
    HRESULT MakeOleAdviseHolder();
    // Lets go of what the system's services hold for the control (the type
    // library, the cache, the storage, the in-place frame and site).
    void ReleasePlatformParts();
    // [win32/]TypeLibrary.cpp: the control's type library, its type
    // information by identifier, and its primary dispatch interface's
    // members (whether one is declared, the identifiers of names).
    HRESULT LoadTypeLib(ITypeLib** ppLib);
    HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppInfo);
    bool DeclaresMember(DISPID member);
    HRESULT IDsOfNames(LPOLESTR* names, UINT count, DISPID* ids);
    // Document.cpp on the stand-in, win32/Storage.cpp and win32/DataObject.cpp
    // on Windows: what a document container asks of an embedded object (the
    // properties inside an OLE storage, OLE's data cache aggregated on first
    // use, the content rendered as metafiles, running). The stand-in has
    // neither storages nor the cache: it offers none of these interfaces.
    static bool OffersDocumentInterfaces();
    HRESULT StorageInitNew(IStorage* storage);
    HRESULT StorageLoad(IStorage* storage);
    HRESULT StorageSave(IStorage* storage, BOOL sameAsLoad);
    HRESULT StorageSaveCompleted(IStorage* storage);
    HRESULT StorageHandsOff();
    IUnknown* DataCache();
    // The cache's interface riid, with a reference on the control.
    template <typename T>
    T* CacheInterface(REFIID riid)
    {
        IUnknown* inner = DataCache();
        void* found = nullptr;
        if (!inner || FAILED(inner->QueryInterface(riid, &found))) return nullptr;
        return static_cast<T*>(found);
    }
    HRESULT RenderContent(const FORMATETC& format, STGMEDIUM* medium);
    HRESULT Run();
    void Stop();

    // The one interface map: each interface the framework answers, the part
    // that answers it (OleControl.cpp).
    struct InterfaceEntry;
    static const InterfaceEntry s_interfaces[];

    // Nested interface parts: each forwards its IUnknown to the control
    // (the connection point answers QueryInterface as an object of its own).
    struct XUnknown final : IUnknown {
        VE_PART_IUNKNOWN
        COleControl* m_pThis;
    } m_xUnknown;
    struct XDispatch final : IDispatch {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
        HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
        HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                                DISPID* rgDispId) override;
        HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                         DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                         UINT* puArgErr) override;
        COleControl* m_pThis;
    } m_xDispatch;
    struct XOleObject final : IOleObject {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* pClientSite) override;
        HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** ppClientSite) override;
        HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR szContainerApp, LPCOLESTR szContainerObj) override;
        HRESULT STDMETHODCALLTYPE Close(DWORD dwSaveOption) override;
        HRESULT STDMETHODCALLTYPE SetMoniker(DWORD dwWhichMoniker, IMoniker* pmk) override;
        HRESULT STDMETHODCALLTYPE GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
        HRESULT STDMETHODCALLTYPE InitFromData(IDataObject* pDataObject, BOOL fCreation, DWORD dwReserved) override;
        HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD dwReserved, IDataObject** ppDataObject) override;
        HRESULT STDMETHODCALLTYPE DoVerb(LONG iVerb, LPMSG lpmsg, IOleClientSite* pActiveSite, LONG lindex,
                                         HWND hwndParent, LPCRECT lprcPosRect) override;
        HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB** ppEnumOleVerb) override;
        HRESULT STDMETHODCALLTYPE Update() override;
        HRESULT STDMETHODCALLTYPE IsUpToDate() override;
        HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* pClsid) override;
        HRESULT STDMETHODCALLTYPE GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType) override;
        HRESULT STDMETHODCALLTYPE SetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
        HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, SIZEL* psizel) override;
        HRESULT STDMETHODCALLTYPE Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection) override;
        HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwConnection) override;
        HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA** ppenumAdvise) override;
        HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD dwAspect, DWORD* pdwStatus) override;
        HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE* pLogpal) override;
        COleControl* m_pThis;
    } m_xOleObject;
    // IOleInPlaceObject, and IOleWindow through it.
    struct XOleInPlaceObject final : IOleInPlaceObject {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
        HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) override;
        HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
        HRESULT STDMETHODCALLTYPE UIDeactivate() override;
        HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override;
        HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
        COleControl* m_pThis;
    } m_xOleInPlaceObject;
    struct XOleInPlaceActiveObject final : IOleInPlaceActiveObject {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
        HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) override;
        HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG lpmsg) override;
        HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL fActivate) override;
        HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL fActivate) override;
        HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT prcBorder, IOleInPlaceUIWindow* pUIWindow,
                                               BOOL fFrameWindow) override;
        HRESULT STDMETHODCALLTYPE EnableModeless(BOOL fEnable) override;
        COleControl* m_pThis;
    } m_xOleInPlaceActiveObject;
    struct XOleControl final : IOleControl {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* pCI) override;
        HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* pMsg) override;
        HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispID) override;
        HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL bFreeze) override;
        COleControl* m_pThis;
    } m_xOleControl;
    // IViewObject2, and IViewObject through it.
    struct XViewObject final : IViewObject2 {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE Draw(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                                       HDC hdcTargetDev, HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL lprcWBounds,
                                       BOOL(STDMETHODCALLTYPE* pfnContinue)(ULONG_PTR dwContinue),
                                       ULONG_PTR dwContinue) override;
        HRESULT STDMETHODCALLTYPE GetColorSet(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DVTARGETDEVICE* ptd,
                                              HDC hicTargetDev, LOGPALETTE** ppColorSet) override;
        HRESULT STDMETHODCALLTYPE Freeze(DWORD dwDrawAspect, LONG lindex, void* pvAspect, DWORD* pdwFreeze) override;
        HRESULT STDMETHODCALLTYPE Unfreeze(DWORD dwFreeze) override;
        HRESULT STDMETHODCALLTYPE SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink) override;
        HRESULT STDMETHODCALLTYPE GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink) override;
        HRESULT STDMETHODCALLTYPE GetExtent(DWORD dwDrawAspect, LONG lindex, DVTARGETDEVICE* ptd,
                                            LPSIZEL lpsizel) override;
        COleControl* m_pThis;
    } m_xViewObject;
    struct XPersistPropertyBag final : IPersistPropertyBag {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
        HRESULT STDMETHODCALLTYPE InitNew() override;
        HRESULT STDMETHODCALLTYPE Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) override;
        HRESULT STDMETHODCALLTYPE Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) override;
        COleControl* m_pThis;
    } m_xPersistPropertyBag;
    // IPersistStreamInit, and IPersist and IPersistStream through it (their
    // methods are its first ones).
    struct XPersistStreamInit final : IPersistStreamInit {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
        HRESULT STDMETHODCALLTYPE IsDirty() override;
        HRESULT STDMETHODCALLTYPE Load(LPSTREAM pStm) override;
        HRESULT STDMETHODCALLTYPE Save(LPSTREAM pStm, BOOL fClearDirty) override;
        HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* pCbSize) override;
        HRESULT STDMETHODCALLTYPE InitNew() override;
        COleControl* m_pThis;
    } m_xPersistStreamInit;
    struct XPersistStorage final : IPersistStorage {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
        HRESULT STDMETHODCALLTYPE IsDirty() override;
        HRESULT STDMETHODCALLTYPE InitNew(IStorage* pStg) override;
        HRESULT STDMETHODCALLTYPE Load(IStorage* pStg) override;
        HRESULT STDMETHODCALLTYPE Save(IStorage* pStgSave, BOOL fSameAsLoad) override;
        HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* pStgNew) override;
        HRESULT STDMETHODCALLTYPE HandsOffStorage() override;
        COleControl* m_pThis;
    } m_xPersistStorage;
    struct XDataObject final : IDataObject {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override;
        HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override;
        HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pformatetc) override;
        HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) override;
        HRESULT STDMETHODCALLTYPE SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) override;
        HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override;
        HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                                          DWORD* pdwConnection) override;
        HRESULT STDMETHODCALLTYPE DUnadvise(DWORD dwConnection) override;
        HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override;
        COleControl* m_pThis;
    } m_xDataObject;
    struct XRunnableObject final : IRunnableObject {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE GetRunningClass(LPCLSID lpClsid) override;
        HRESULT STDMETHODCALLTYPE Run(LPBINDCTX pbc) override;
        BOOL STDMETHODCALLTYPE IsRunning() override;
        HRESULT STDMETHODCALLTYPE LockRunning(BOOL fLock, BOOL fLastUnlockCloses) override;
        HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL fContained) override;
        COleControl* m_pThis;
    } m_xRunnableObject;
    struct XProvideClassInfo final : IProvideClassInfo2 {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** ppTI) override;
        HRESULT STDMETHODCALLTYPE GetGUID(DWORD dwGuidKind, GUID* pGUID) override;
        COleControl* m_pThis;
    } m_xProvideClassInfo;
    struct XSpecifyPropertyPages final : ISpecifyPropertyPages {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pPages) override;
        COleControl* m_pThis;
    } m_xSpecifyPropertyPages;
    struct XConnectionPointContainer final : IConnectionPointContainer {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
        HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;
        COleControl* m_pThis;
    } m_xConnPtContainer;
    struct XEventConnectionPoint final : IConnectionPoint {
        VE_PART_IUNKNOWN
        HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) override;
        HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
        HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
        HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) override;
        HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) override;
        COleControl* m_pThis;
    } m_xEventConnPt;

    std::atomic<ULONG> m_dwRef{1};
    IOleClientSite* m_pClientSite = nullptr;
    // The stand-in's window handler for the control's window.
    struct WindowPart;
    WindowPart* m_pWindowPart = nullptr;
    IOleInPlaceSite* m_pInPlaceSite = nullptr; // held while in-place active
    IOleInPlaceFrame* m_pInPlaceFrame = nullptr; // held while UI active
    IOleInPlaceUIWindow* m_pInPlaceDoc = nullptr;
    IOleAdviseHolder* m_pOleAdviseHolder = nullptr;
    IAdviseSink* m_pViewAdviseSink = nullptr;
    DWORD m_dwViewAdviseFlags = 0;
    ITypeLib* m_pTypeLib = nullptr;
    IID m_piidPrimary{};
    IID m_piidEvents{};
    struct Sink {
        DWORD cookie;
        IDispatch* dispatch;
    };
    std::vector<Sink> m_sinks;
    DWORD m_nextCookie = 1;
    LONG m_nFreezeEvents = 0;
    // OLE's data cache, aggregated: its non-delegating IUnknown.
    IUnknown* m_pDataCache = nullptr;
    bool m_bDataCacheFailed = false;
    IDataAdviseHolder* m_pDataAdviseHolder = nullptr;
    bool m_bRunning = false;
    // The storage the properties were loaded from or initialised in, held
    // until the container takes it back (HandsOffStorage).
    IStorage* m_pStorage = nullptr;
    bool m_bInPlaceActive = false;
    bool m_bUIActive = false;
    bool m_bModified = true;
    RECT m_rcPos{0, 0, 0, 0};
    int m_cx = 0;
    int m_cy = 0;
    LONG m_cxExtent = 0; // HIMETRIC, as stored by "_ExtentX"
    LONG m_cyExtent = 0;
    // The message being handled, for Default().
    UINT m_currentMessage = 0;
    WPARAM m_currentWParam = 0;
    LPARAM m_currentLParam = 0;
};
