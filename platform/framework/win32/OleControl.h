// COleControl over Windows' own OLE: the same public members as the
// framework's other implementation, answering a container with the real
// interfaces (IOleObject, in-place activation, IViewObject2, persistence
// through property bags and streams, IDispatch from the type library,
// connection points for the events, property pages). The control's window
// is a real child of the container's in-place window.
#pragma once

#include <string>
#include <vector>

#include "platform/com/ObjectSafety.h"
#include "platform/com/OleCommandTarget.h"
#include "platform/com/OleControl.h"
#include "platform/com/ServiceProvider.h"
#include "platform/com/Variant.h"
#include "platform/framework/Dc.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/MessageMap.h"
#include "platform/framework/OleControlShared.h"
#include "platform/framework/PropExchange.h"

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

    // Siting and the window.
    IOleClientSite* GetClientSite() const { return m_pClientSite; }
    // Makes the control's window once; it lives as long as the control. Made
    // before in-place activation it is hidden and without a parent; the
    // activation makes it a child of the container's window.
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
    // OleObject.cpp: siting, verbs, extent, advise.
    HRESULT SetClientSite(IOleClientSite* pClientSite);
    HRESULT DoVerb(LONG iVerb, HWND hwndParent);
    HRESULT EnumVerbs(IEnumOLEVERB** ppEnum);
    HRESULT GetUserType(DWORD form, LPOLESTR* type);
    void SendAdvise(DWORD what);
    // InPlace.cpp: activation and the window.
    HRESULT InPlaceActivate(bool uiActivate);
    HRESULT UIActivate();
    HRESULT UIDeactivate();
    HRESULT InPlaceDeactivate();
    HRESULT SetObjectRects(LPCRECT pos, LPCRECT clip);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT frameworkHandle(UINT message, WPARAM wParam, LPARAM lParam);
    // The end of ExternalQueryInterface: the interface map when the
    // framework had none, then COM's rules for the answer.
    HRESULT AnswerQuery(REFIID riid, IUnknown* found, void** ppv);
    // ViewObject.cpp: painting into any device context.
    HRESULT Draw(HDC hdc, const RECT& bounds);
    // Persist.cpp: the property exchange over bags and streams.
    HRESULT Load(IPropertyBag* bag);
    HRESULT Save(IPropertyBag* bag);
    HRESULT LoadStream(IStream* stream);
    HRESULT SaveStream(IStream* stream);
    // Storage.cpp: the same properties in a stream inside an OLE storage,
    // and the data cache's own part of the storage.
    HRESULT StorageInitNew(IStorage* storage);
    HRESULT StorageLoad(IStorage* storage);
    HRESULT StorageSave(IStorage* storage, BOOL sameAsLoad);
    HRESULT StorageSaveCompleted(IStorage* storage);
    HRESULT StorageHandsOff();
    // DataObject.cpp: OLE's data cache, aggregated on first use; the
    // content aspect rendered as metafiles of OnDraw; running.
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
    // Dispatch.cpp: the type library and the stock ready state.
    HRESULT LoadTypeLib(ITypeLib** ppLib);
    HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppInfo);
    // Whether the primary dispatch interface declares the member.
    bool DeclaresMember(DISPID member);
    // ConnectionPoint.cpp: the event sinks.
    HRESULT Advise(IUnknown* sink, DWORD* cookie);
    HRESULT Unadvise(DWORD cookie);

    // Nested interface parts: each forwards its IUnknown to the control
    // (the connection point answers QueryInterface as an object of its own).
    struct XUnknown final : IUnknown {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        COleControl* m_pThis;
    } m_xUnknown;
    struct XDispatch final : IDispatch {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
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
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
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
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override;
        HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL fEnterMode) override;
        HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
        HRESULT STDMETHODCALLTYPE UIDeactivate() override;
        HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect) override;
        HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override;
        COleControl* m_pThis;
    } m_xOleInPlaceObject;
    struct XOleInPlaceActiveObject final : IOleInPlaceActiveObject {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
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
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* pCI) override;
        HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* pMsg) override;
        HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID dispID) override;
        HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL bFreeze) override;
        COleControl* m_pThis;
    } m_xOleControl;
    // IViewObject2, and IViewObject through it.
    struct XViewObject final : IViewObject2 {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
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
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
        HRESULT STDMETHODCALLTYPE InitNew() override;
        HRESULT STDMETHODCALLTYPE Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) override;
        HRESULT STDMETHODCALLTYPE Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) override;
        COleControl* m_pThis;
    } m_xPersistPropertyBag;
    // IPersistStreamInit, and IPersist and IPersistStream through it (their
    // methods are its first ones).
    struct XPersistStreamInit final : IPersistStreamInit {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
        HRESULT STDMETHODCALLTYPE IsDirty() override;
        HRESULT STDMETHODCALLTYPE Load(LPSTREAM pStm) override;
        HRESULT STDMETHODCALLTYPE Save(LPSTREAM pStm, BOOL fClearDirty) override;
        HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* pCbSize) override;
        HRESULT STDMETHODCALLTYPE InitNew() override;
        COleControl* m_pThis;
    } m_xPersistStreamInit;
    struct XPersistStorage final : IPersistStorage {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
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
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
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
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetRunningClass(LPCLSID lpClsid) override;
        HRESULT STDMETHODCALLTYPE Run(LPBINDCTX pbc) override;
        BOOL STDMETHODCALLTYPE IsRunning() override;
        HRESULT STDMETHODCALLTYPE LockRunning(BOOL fLock, BOOL fLastUnlockCloses) override;
        HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL fContained) override;
        COleControl* m_pThis;
    } m_xRunnableObject;
    struct XProvideClassInfo final : IProvideClassInfo2 {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** ppTI) override;
        HRESULT STDMETHODCALLTYPE GetGUID(DWORD dwGuidKind, GUID* pGUID) override;
        COleControl* m_pThis;
    } m_xProvideClassInfo;
    struct XSpecifyPropertyPages final : ISpecifyPropertyPages {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pPages) override;
        COleControl* m_pThis;
    } m_xSpecifyPropertyPages;
    struct XConnectionPointContainer final : IConnectionPointContainer {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
        HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;
        COleControl* m_pThis;
    } m_xConnPtContainer;
    struct XEventConnectionPoint final : IConnectionPoint {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* pIID) override;
        HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
        HRESULT STDMETHODCALLTYPE Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
        HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) override;
        HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** ppEnum) override;
        COleControl* m_pThis;
    } m_xEventConnPt;

    LONG m_dwRef = 1;
    IOleClientSite* m_pClientSite = nullptr;
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
