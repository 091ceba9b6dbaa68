// COleControl: the base of an ActiveX control. It is the control's COM
// identity (interface map, reference count), its siting, its window and
// message map, property persistence, events, painting, sizing and ready
// state. A derived control overrides the virtual operations below.
#pragma once

#ifdef _WIN32

// On Windows the framework runs over Windows' own OLE.
#include "platform/framework/win32/OleControl.h"

#else

#include <atomic>
#include <string>
#include <vector>

#include "platform/com/ObjectSafety.h"
#include "platform/com/OleCommandTarget.h"
#include "platform/com/OleControl.h"
#include "platform/com/PropertyPage.h"
#include "platform/com/ServiceProvider.h"
#include "platform/framework/Dc.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/MessageMap.h"
#include "platform/framework/OleControlShared.h"
#include "platform/framework/PropExchange.h"
#include "platform/window/Window.h"

class PropertyStreamSource;

constexpr LONG READYSTATE_UNINITIALIZED = 0;
constexpr LONG READYSTATE_LOADING = 1;
constexpr LONG READYSTATE_LOADED = 2;
constexpr LONG READYSTATE_INTERACTIVE = 3;
constexpr LONG READYSTATE_COMPLETE = 4;

class COleControl : public WindowHandler {
public:
    COleControl();
    ~COleControl() override;
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
    // a container keeps through IPersistStreamInit on Windows: the same
    // loading and saving exchanges as a property bag's. A stream that is not
    // in the format is refused (E_FAIL) before any property is loaded; a save
    // the format cannot hold fails and appends nothing.
    HRESULT LoadStream(PropertyStreamSource& source);
    HRESULT SaveStream(std::string& bytes);

    // Siting and the window.
    IOleClientSite* GetClientSite() const { return m_pClientSite; }
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
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // Default processing of the message being handled.
    LRESULT Default();
    // The framework's handlers; a derived handler calls them for default
    // processing. Right-button presses capture the mouse until release.
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
    HRESULT SetClientSite(IOleClientSite* pClientSite);
    HRESULT Load(IPropertyBag* bag);
    HRESULT Save(IPropertyBag* bag);
    HRESULT Draw(HDC hdc, LPCRECTL bounds);
    HRESULT Advise(IUnknown* sink, DWORD* cookie);
    HRESULT Unadvise(DWORD cookie);
    LRESULT frameworkHandle(UINT message, WPARAM wParam, LPARAM lParam);
    // The end of ExternalQueryInterface: the interface map when the
    // framework had none, then COM's rules for the answer.
    HRESULT AnswerQuery(REFIID riid, IUnknown* found, void** ppv);

    // Nested interface parts: each forwards its IUnknown to the control.
    struct XUnknown final : IUnknown {
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;
        COleControl* m_pThis;
    } m_xUnknown;
    // The primary dispatch interface: the control dispatches no member.
    struct XDispatch final : IDispatch {
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT Invoke(DISPID dispIdMember, DISPPARAMS* params) override;
        COleControl* m_pThis;
    } m_xDispatch;
    struct XOleObject final : IOleObject {
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT SetClientSite(IOleClientSite* pClientSite) override;
        HRESULT GetClientSite(IOleClientSite** ppClientSite) override;
        HRESULT DoVerb(LONG iVerb) override;
        HRESULT GetMiscStatus(DWORD aspect, DWORD* status) override;
        COleControl* m_pThis;
    } m_xOleObject;
    struct XOleWindow final : IOleWindow {
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT GetWindow(HWND* phwnd) override;
        COleControl* m_pThis;
    } m_xOleWindow;
    struct XViewObject final : IViewObject {
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT Draw(DWORD dwDrawAspect, HDC hdcDraw, LPCRECTL lprcBounds) override;
        COleControl* m_pThis;
    } m_xViewObject;
    struct XSpecifyPropertyPages final : ISpecifyPropertyPages {
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT GetPages(CAUUID* pPages) override;
        COleControl* m_pThis;
    } m_xSpecifyPropertyPages;
    struct XPersistPropertyBag final : IPersistPropertyBag {
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT InitNew() override;
        HRESULT Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) override;
        HRESULT Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) override;
        COleControl* m_pThis;
    } m_xPersistPropertyBag;
    struct XConnectionPointContainer final : IConnectionPointContainer {
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;
        COleControl* m_pThis;
    } m_xConnPtContainer;
    struct XEventConnectionPoint final : IConnectionPoint {
        HRESULT QueryInterface(REFIID riid, void** ppv) override;
        ULONG AddRef() override;
        ULONG Release() override;
        HRESULT Advise(IUnknown* pUnkSink, DWORD* pdwCookie) override;
        HRESULT Unadvise(DWORD dwCookie) override;
        COleControl* m_pThis;
    } m_xEventConnPt;

    std::atomic<ULONG> m_dwRef{1};
    IOleClientSite* m_pClientSite = nullptr;
    IID m_piidPrimary{};
    IID m_piidEvents{};
    struct Sink {
        DWORD cookie;
        IDispatch* dispatch;
    };
    std::vector<Sink> m_sinks;
    DWORD m_nextCookie = 1;
    int m_cx = 0;
    int m_cy = 0;
    LONG m_cxExtent = 0; // HIMETRIC, as stored by "_ExtentX"
    LONG m_cyExtent = 0;
    // The message being handled, for Default().
    UINT m_currentMessage = 0;
    WPARAM m_currentWParam = 0;
    LPARAM m_currentLParam = 0;
};

#endif
