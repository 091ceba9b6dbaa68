// The control framework over real OLE, run under Wine: a small control
// derived from COleControl, sited in a small container (client site,
// in-place site, control site, property bag, event sink), answers what a
// container asks of it with Windows' own interfaces.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/framework/OleControl.h"

namespace {

// The identifiers of tests/windows/TestControl.idl.
const GUID kLibId = {0x5A3C2E10, 0x7B41, 0x4C6E, {0x9D, 0x0A, 0x1E, 0x2F, 0x3A, 0x4B, 0x5C, 0x60}};
const IID kPrimaryIid = {0x5A3C2E11, 0x7B41, 0x4C6E, {0x9D, 0x0A, 0x1E, 0x2F, 0x3A, 0x4B, 0x5C, 0x60}};
const IID kEventsIid = {0x5A3C2E12, 0x7B41, 0x4C6E, {0x9D, 0x0A, 0x1E, 0x2F, 0x3A, 0x4B, 0x5C, 0x60}};
const CLSID kClsid = {0x5A3C2E13, 0x7B41, 0x4C6E, {0x9D, 0x0A, 0x1E, 0x2F, 0x3A, 0x4B, 0x5C, 0x60}};
const CLSID kPageClsid = {0x5A3C2E14, 0x7B41, 0x4C6E, {0x9D, 0x0A, 0x1E, 0x2F, 0x3A, 0x4B, 0x5C, 0x60}};
constexpr DISPID kMovedEvent = 1;
constexpr COLORREF kBackground = RGB(10, 120, 200);
constexpr COLORREF kMark = RGB(250, 20, 30);

int g_liveControls = 0;

struct Recorded {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// The test control: a few properties of each kind, a picture with a mark
// at (10, 10)-(20, 20) of its bounds, a message map that records, and one
// interface of its own.
class TestControl final : public COleControl {
public:
    TestControl()
    {
        ++g_liveControls;
        m_xObjectSafety.m_pThis = this;
        InitializeIIDs(&kPrimaryIid, &kEventsIid);
        SetInitialSize(120, 90);
    }
    ~TestControl() override { --g_liveControls; }

    HRESULT GetClassID(CLSID* pClsid) override
    {
        *pClsid = kClsid;
        return S_OK;
    }
    DWORD GetMiscStatus() override { return 0x20191; }
    UINT GetTypeInfoCount() const override { return 1; }
    HRESULT GetTypeLib(LCID, GUID* libid, WORD* major, WORD* minor) const override
    {
        *libid = kLibId;
        *major = 1;
        *minor = 0;
        return S_OK;
    }
    HRESULT GetTypeLibCache(GUID* libid) const override
    {
        *libid = kLibId;
        return S_OK;
    }
    UINT GetUserTypeNameID() const override { return 1; }
    const CLSID* GetPropPageIDs(ULONG* count) const override
    {
        *count = 1;
        return &kPageClsid;
    }
    void OnSetClientSite() override
    {
        ++siteCalls;
        RecreateControlWindow();
    }
    void DoPropExchange(CPropExchange* pPX) override
    {
        ExchangeVersion(pPX, 0x00010000);
        COleControl::DoPropExchange(pPX);
        ++exchanges;
        PX_String(pPX, "Text", text, "none");
        PX_Short(pPX, "Width", width, 320);
        PX_Long(pPX, "Count", count, 7);
        PX_Bool(pPX, "Flag", flag, TRUE);
    }
    void OnDraw(CDC* pdc, const RECT& rcBounds, const RECT&) override
    {
        ++draws;
        lastBounds = rcBounds;
        CBrush back(kBackground);
        pdc->FillRect(&rcBounds, &back);
        CBrush mark(kMark);
        const RECT r{rcBounds.left + 10, rcBounds.top + 10, rcBounds.left + 20, rcBounds.top + 20};
        pdc->FillRect(&r, &mark);
    }
    const AFX_MSGMAP* GetMessageMap() const override;
    const AFX_INTERFACEMAP* GetInterfaceMap() const override;

    LRESULT record(UINT message, WPARAM wParam, LPARAM lParam)
    {
        messages.push_back(Recorded{message, wParam, lParam});
        if (message == WM_RBUTTONDOWN) COleControl::OnRButtonDown(0, POINT{0, 0});
        if (message == WM_RBUTTONUP) COleControl::OnRButtonUp(0, POINT{0, 0});
        if (message == WM_SETCURSOR) return TRUE;
        return 0;
    }
    bool isCapturing() const { return ::GetCapture() == m_hWnd && m_hWnd; }

    // The protected members a test drives.
    using COleControl::FireEvent;
    using COleControl::InternalSetReadyState;

    std::string text;
    SHORT width = 0;
    LONG count = 0;
    BOOL flag = FALSE;
    int exchanges = 0;
    int siteCalls = 0;
    int draws = 0;
    RECT lastBounds{};
    std::vector<Recorded> messages;

    struct XObjectSafety final : IObjectSafety {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID, DWORD* supported, DWORD* enabled) override
        {
            *supported = *enabled = INTERFACESAFE_FOR_UNTRUSTED_CALLER;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID, DWORD, DWORD) override { return S_OK; }
        TestControl* m_pThis;
    } m_xObjectSafety;
};

VE_FORWARD_IUNKNOWN(TestControl, XObjectSafety)

// One handler per message, so that a wrong dispatch shows as a wrong record.
template <UINT Message>
LRESULT recordOne(COleControl* self, WPARAM wParam, LPARAM lParam)
{
    return static_cast<TestControl*>(self)->record(Message, wParam, lParam);
}

const AFX_MSGMAP_ENTRY kMessageEntries[] = {
    {WM_LBUTTONDOWN, &recordOne<WM_LBUTTONDOWN>}, {WM_TIMER, &recordOne<WM_TIMER>},
    {WM_RBUTTONDOWN, &recordOne<WM_RBUTTONDOWN>}, {WM_SETCURSOR, &recordOne<WM_SETCURSOR>},
    {WM_MOUSEWHEEL, &recordOne<WM_MOUSEWHEEL>},   {WM_MOUSEMOVE, &recordOne<WM_MOUSEMOVE>},
    {WM_RBUTTONUP, &recordOne<WM_RBUTTONUP>},
};
const AFX_MSGMAP kMessageMap = {kMessageEntries, sizeof kMessageEntries / sizeof kMessageEntries[0]};

const AFX_MSGMAP* TestControl::GetMessageMap() const { return &kMessageMap; }

const AFX_INTERFACEMAP* TestControl::GetInterfaceMap() const
{
    static const AFX_INTERFACEMAP_ENTRY entries[] = {
        {&IID_IObjectSafety,
         [](COleControl* self) -> IUnknown* { return &static_cast<TestControl*>(self)->m_xObjectSafety; }},
    };
    static const AFX_INTERFACEMAP map = {entries, 1};
    return &map;
}

// A property bag of texts, as a page's PARAM elements give them.
class TestBag final : public IPropertyBag {
public:
    std::vector<std::pair<std::wstring, VARIANT>> values;
    ~TestBag()
    {
        for (auto& v : values) VariantClear(&v.second);
    }
    void setText(const wchar_t* name, const wchar_t* text)
    {
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        v.bstrVal = SysAllocString(text);
        values.emplace_back(name, v);
    }
    const VARIANT* find(const wchar_t* name) const
    {
        for (auto& v : values)
            if (v.first == name) return &v.second;
        return nullptr;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override
    {
        if (const VARIANT* v = find(name)) return VariantCopy(value, const_cast<VARIANT*>(v));
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override
    {
        VARIANT copy;
        VariantInit(&copy);
        VariantCopy(&copy, value);
        values.emplace_back(name, copy);
        return S_OK;
    }
};

// The container's side of one control: client site, in-place site (the
// window it places the control in, at a fixed position) and control site.
class TestSite final : public IOleClientSite, public IOleInPlaceSite, public IOleControlSite {
public:
    explicit TestSite(HWND window) : m_window(window) {}
    HWND m_window;
    RECT pos{30, 40, 150, 130};
    int activations = 0;
    int deactivations = 0;
    int uiActivations = 0;
    int propertyFrames = 0;
    std::vector<RECT> posRectChanges;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *ppv = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleInPlaceSite || riid == IID_IOleWindow)
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else if (riid == IID_IOleControlSite)
            *ppv = static_cast<IOleControlSite*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** ppmk) override
    {
        *ppmk = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** ppContainer) override
    {
        *ppContainer = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override
    {
        *phwnd = m_window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override
    {
        ++activations;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override
    {
        ++uiActivations;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                               LPRECT lprcPosRect, LPRECT lprcClipRect,
                                               LPOLEINPLACEFRAMEINFO) override
    {
        *ppFrame = nullptr;
        *ppDoc = nullptr;
        *lprcPosRect = pos;
        *lprcClipRect = pos;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override
    {
        ++deactivations;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT rect) override
    {
        posRectChanges.push_back(*rect);
        return S_OK;
    }
    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** ppDisp) override
    {
        *ppDisp = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override
    {
        ++propertyFrames;
        return S_OK;
    }
};

// An event sink: records each call; optionally unadvises itself from
// within its first call.
class TestSink final : public IDispatch {
public:
    struct Call {
        DISPID dispid;
        WORD flags;
        std::vector<VARIANT> args; // as passed: reversed
    };
    std::vector<Call> calls;
    IConnectionPoint* unadviseFrom = nullptr;
    DWORD cookie = 0;
    LONG refs = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kEventsIid) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        Call call{dispid, flags, {}};
        for (UINT i = 0; i < params->cArgs; ++i) call.args.push_back(params->rgvarg[i]);
        calls.push_back(call);
        if (unadviseFrom) std::exchange(unadviseFrom, nullptr)->Unadvise(cookie);
        return S_OK;
    }
};

template <typename T>
T* query(IUnknown* unknown, REFIID iid)
{
    void* p = nullptr;
    if (FAILED(unknown->QueryInterface(iid, &p))) return nullptr;
    return static_cast<T*>(p);
}

ULONG refCount(IUnknown* unknown)
{
    unknown->AddRef();
    return unknown->Release();
}

void pumpMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// A 32-bit top-down DIB section selected into a memory DC.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    std::uint32_t* bits = nullptr;
    int width;
    int height;
    Canvas(int w, int h) : width(w), height(h)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc = ::CreateCompatibleDC(nullptr);
        void* p = nullptr;
        bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &p, nullptr, 0);
        bits = static_cast<std::uint32_t*>(p);
        old = ::SelectObject(dc, bitmap);
        std::memset(bits, 0, static_cast<std::size_t>(w) * h * 4);
    }
    ~Canvas()
    {
        ::SelectObject(dc, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }
    COLORREF at(int x, int y) const
    {
        ::GdiFlush();
        const std::uint32_t v = bits[static_cast<std::size_t>(y) * width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
};

class OleControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VeTestContainer";
        ::RegisterClassW(&wc);
        container = ::CreateWindowExW(0, L"VeTestContainer", L"container", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                                      0, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(container, nullptr);
        ::ShowWindow(container, SW_SHOW);
        site = new TestSite(container);
        control = new TestControl;
        unknown = control->GetControllingUnknown();
    }
    void TearDown() override
    {
        if (IOleObject* object = query<IOleObject>(unknown, IID_IOleObject)) {
            object->Close(OLECLOSE_NOSAVE);
            object->SetClientSite(nullptr);
            object->Release();
        }
        unknown->Release();
        EXPECT_EQ(g_liveControls, 0) << "a reference to the control was left";
        delete site;
        ::DestroyWindow(container);
        pumpMessages();
    }
    IOleObject* site_it()
    {
        IOleObject* object = query<IOleObject>(unknown, IID_IOleObject);
        object->SetClientSite(site);
        return object;
    }

    HWND container = nullptr;
    TestSite* site = nullptr;
    TestControl* control = nullptr;
    IUnknown* unknown = nullptr;
};

// Every interface a container asks for answers, with COM's rules: one
// identity, each reachable from each, counts balanced, null for the rest.
TEST_F(OleControlTest, QueryInterfaceFollowsComRules)
{
    const IID* asked[] = {&IID_IUnknown,
                          &IID_IDispatch,
                          &kPrimaryIid,
                          &IID_IOleObject,
                          &IID_IOleWindow,
                          &IID_IOleInPlaceObject,
                          &IID_IOleInPlaceActiveObject,
                          &IID_IOleControl,
                          &IID_IViewObject,
                          &IID_IViewObject2,
                          &IID_IPersist,
                          &IID_IPersistStreamInit,
                          &IID_IPersistPropertyBag,
                          &IID_IProvideClassInfo,
                          &IID_IProvideClassInfo2,
                          &IID_ISpecifyPropertyPages,
                          &IID_IConnectionPointContainer,
                          &IID_IObjectSafety};
    const ULONG baseline = refCount(unknown);
    for (const IID* first : asked) {
        IUnknown* itf = query<IUnknown>(unknown, *first);
        ASSERT_NE(itf, nullptr) << GuidToString(*first);
        IUnknown* identity = query<IUnknown>(itf, IID_IUnknown);
        EXPECT_EQ(identity, unknown) << GuidToString(*first);
        identity->Release();
        for (const IID* second : asked) {
            IUnknown* other = query<IUnknown>(itf, *second);
            EXPECT_NE(other, nullptr) << GuidToString(*first) << " -> " << GuidToString(*second);
            if (other) other->Release();
        }
        itf->Release();
    }
    EXPECT_EQ(refCount(unknown), baseline);

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(unknown->QueryInterface(IID_IClassFactory, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(unknown->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

    // The connection point is an object of its own.
    auto* container = query<IConnectionPointContainer>(unknown, IID_IConnectionPointContainer);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(container->FindConnectionPoint(kEventsIid, &point), S_OK);
    IUnknown* pointIdentity = query<IUnknown>(point, IID_IUnknown);
    EXPECT_EQ(pointIdentity, static_cast<IUnknown*>(point));
    EXPECT_EQ(query<IOleObject>(point, IID_IOleObject), nullptr);
    IConnectionPointContainer* back = nullptr;
    ASSERT_EQ(point->GetConnectionPointContainer(&back), S_OK);
    EXPECT_EQ(back, container);
    IID iid{};
    point->GetConnectionInterface(&iid);
    EXPECT_EQ(iid, kEventsIid);
    IConnectionPoint* noPoint = reinterpret_cast<IConnectionPoint*>(1);
    EXPECT_EQ(container->FindConnectionPoint(IID_IOleObject, &noPoint), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(noPoint, nullptr);
    back->Release();
    pointIdentity->Release();
    point->Release();
    container->Release();
    EXPECT_EQ(refCount(unknown), baseline);
}

// IDispatch and IProvideClassInfo2 come from the type library in the
// program's resources; the user type from its string table.
TEST_F(OleControlTest, IdentityComesFromTypeLibraryAndResources)
{
    auto* dispatch = query<IDispatch>(unknown, IID_IDispatch);
    UINT count = 0;
    ASSERT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(dispatch->GetTypeInfo(0, 0, &info), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, kPrimaryIid);
    info->ReleaseTypeAttr(attr);
    info->Release();
    EXPECT_EQ(dispatch->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);

    OLECHAR readyState[] = L"ReadyState";
    OLECHAR ping[] = L"Ping";
    OLECHAR nothing[] = L"Nothing";
    LPOLESTR names[] = {readyState, ping, nothing};
    DISPID ids[3] = {};
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, ids), S_OK);
    EXPECT_EQ(ids[0], DISPID_READYSTATE);
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names + 1, 1, 0, ids + 1), S_OK);
    EXPECT_EQ(ids[1], 1);
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names + 2, 1, 0, ids + 2), DISP_E_UNKNOWNNAME);

    control->InternalSetReadyState(READYSTATE_INTERACTIVE);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(dispatch->Invoke(DISPID_READYSTATE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_I4);
    EXPECT_EQ(result.lVal, READYSTATE_INTERACTIVE);
    EXPECT_EQ(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    dispatch->Release();

    auto* classInfo = query<IProvideClassInfo2>(unknown, IID_IProvideClassInfo2);
    ASSERT_EQ(classInfo->GetClassInfo(&info), S_OK);
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, kClsid);
    EXPECT_EQ(attr->typekind, TKIND_COCLASS);
    info->ReleaseTypeAttr(attr);
    info->Release();
    GUID source{};
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_EQ(source, kEventsIid);
    classInfo->Release();

    auto* object = query<IOleObject>(unknown, IID_IOleObject);
    LPOLESTR type = nullptr;
    ASSERT_EQ(object->GetUserType(USERCLASSTYPE_FULL, &type), S_OK);
    EXPECT_STREQ(type, L"Framework Test Control");
    CoTaskMemFree(type);
    DWORD status = 0;
    EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 0x20191u);
    CLSID clsid{};
    EXPECT_EQ(object->GetUserClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, kClsid);
    object->Release();

    auto* pages = query<ISpecifyPropertyPages>(unknown, IID_ISpecifyPropertyPages);
    CAUUID uuids{};
    ASSERT_EQ(pages->GetPages(&uuids), S_OK);
    ASSERT_EQ(uuids.cElems, 1u);
    EXPECT_EQ(uuids.pElems[0], kPageClsid);
    CoTaskMemFree(uuids.pElems);
    pages->Release();
}

// Loading from a bag reaches DoPropExchange: present values convert, absent
// or unreadable ones take their defaults; saving writes them back; a stream
// round-trips into a second control and a damaged stream is refused.
TEST_F(OleControlTest, PersistenceGoesThroughThePropertyExchange)
{
    auto* persistBag = query<IPersistPropertyBag>(unknown, IID_IPersistPropertyBag);
    TestBag bag;
    bag.setText(L"Text", L"caf\u00e9 \u65e5\u672c");
    bag.setText(L"Width", L" -12 ");
    bag.setText(L"Count", L"twelve");
    ASSERT_EQ(persistBag->Load(&bag, nullptr), S_OK);
    EXPECT_EQ(control->exchanges, 1);
    EXPECT_EQ(control->text, "caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(control->width, -12);
    EXPECT_EQ(control->count, 7);
    EXPECT_EQ(control->flag, TRUE);

    TestBag saved;
    ASSERT_EQ(persistBag->Save(&saved, TRUE, TRUE), S_OK);
    ASSERT_NE(saved.find(L"Width"), nullptr);
    EXPECT_EQ(saved.find(L"Width")->vt, VT_I2);
    EXPECT_EQ(saved.find(L"Width")->iVal, -12);
    ASSERT_NE(saved.find(L"Text"), nullptr);
    EXPECT_STREQ(saved.find(L"Text")->bstrVal, L"caf\u00e9 \u65e5\u672c");
    EXPECT_NE(saved.find(L"_ExtentX"), nullptr);
    persistBag->Release();

    control->count = 99;
    control->flag = FALSE;
    auto* persistStream = query<IPersistStreamInit>(unknown, IID_IPersistStreamInit);
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(persistStream->Save(stream, TRUE), S_OK);
    EXPECT_EQ(persistStream->IsDirty(), S_FALSE);
    ULARGE_INTEGER sizeMax{};
    ASSERT_EQ(persistStream->GetSizeMax(&sizeMax), S_OK);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(sizeMax.QuadPart, stat.cbSize.QuadPart);
    persistStream->Release();

    TestControl* copy = new TestControl;
    auto* copyStream = query<IPersistStreamInit>(copy->GetControllingUnknown(), IID_IPersistStreamInit);
    copy->ExternalRelease(); // the creator's reference: the query holds it now
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(copyStream->Load(stream), S_OK);
    EXPECT_EQ(copy->text, control->text);
    EXPECT_EQ(copy->width, -12);
    EXPECT_EQ(copy->count, 99);
    EXPECT_EQ(copy->flag, FALSE);

    // A stream cut short, or one claiming more than it may, is refused.
    ULARGE_INTEGER cut{};
    cut.QuadPart = stat.cbSize.QuadPart - 3;
    stream->SetSize(cut);
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(copyStream->Load(stream), E_FAIL);
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    const char huge[] = {'V', 'E', 'P', 'X', 1, 0, 0, 0, '\xFF', '\xFF', '\xFF', '\x7F'};
    ULARGE_INTEGER empty{};
    stream->SetSize(empty);
    stream->Write(huge, sizeof huge, nullptr);
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(copyStream->Load(stream), E_FAIL);
    copyStream->Release();
    stream->Release();
}

// Siting makes the window (hidden, without a parent); in-place activation
// makes it a visible child of the container's window at the position
// rectangle; the container moves it; deactivation hides it again.
TEST_F(OleControlTest, InPlaceActivationPlacesAChildWindow)
{
    IOleObject* object = site_it();
    EXPECT_EQ(control->siteCalls, 1);
    HWND hwnd = control->GetSafeHwnd();
    ASSERT_NE(hwnd, nullptr);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    EXPECT_EQ(::GetAncestor(hwnd, GA_PARENT), ::GetDesktopWindow());

    SIZEL extent{5080, 2540};
    ASSERT_EQ(object->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    SIZEL back{};
    object->GetExtent(DVASPECT_CONTENT, &back);
    EXPECT_EQ(back.cx, 5080);
    EXPECT_EQ(back.cy, 2540);
    auto* view = query<IViewObject2>(unknown, IID_IViewObject2);
    view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &back);
    EXPECT_EQ(back.cx, 5080);
    view->Release();

    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, container, &site->pos), S_OK);
    EXPECT_EQ(site->activations, 1);
    EXPECT_EQ(site->uiActivations, 0);
    EXPECT_EQ(control->GetSafeHwnd(), hwnd) << "the window made at siting is the one activated";
    EXPECT_EQ(::GetParent(hwnd), container);
    EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD);
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, site->pos.left);
    EXPECT_EQ(r.top, site->pos.top);
    EXPECT_EQ(r.right, site->pos.right);
    EXPECT_EQ(r.bottom, site->pos.bottom);

    auto* inPlace = query<IOleInPlaceObject>(unknown, IID_IOleInPlaceObject);
    HWND answered = nullptr;
    EXPECT_EQ(inPlace->GetWindow(&answered), S_OK);
    EXPECT_EQ(answered, hwnd);
    const RECT moved{5, 6, 105, 86};
    ASSERT_EQ(inPlace->SetObjectRects(&moved, &moved), S_OK);
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.bottom, 86);
    int cx = 0;
    int cy = 0;
    control->GetControlSize(&cx, &cy);
    EXPECT_EQ(cx, 100);
    EXPECT_EQ(cy, 80);

    // A size the control sets itself goes to the container.
    control->SetControlSize(64, 48);
    ASSERT_EQ(site->posRectChanges.size(), 1u);
    EXPECT_EQ(site->posRectChanges[0].left, 5);
    EXPECT_EQ(site->posRectChanges[0].right, 69);
    EXPECT_EQ(site->posRectChanges[0].bottom, 54);

    ASSERT_EQ(object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site, 0, container, &site->pos), S_OK);
    EXPECT_EQ(site->activations, 1);
    EXPECT_EQ(site->uiActivations, 1);

    ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    EXPECT_EQ(site->deactivations, 1);
    EXPECT_FALSE(::IsWindowVisible(hwnd));
    EXPECT_NE(::GetParent(hwnd), container);
    EXPECT_EQ(control->GetSafeHwnd(), hwnd);
    inPlace->Release();

    // The Properties verb goes to the container's property frame.
    EXPECT_EQ(object->DoVerb(OLEIVERB_PROPERTIES, nullptr, site, 0, container, nullptr), S_OK);
    EXPECT_EQ(site->propertyFrames, 1);
    object->Release();
}

// IViewObject::Draw paints into any device context at its bounds; WM_PAINT
// (read back from the window) and WM_PRINTCLIENT (PrintWindow) reach OnDraw
// with the client rectangle.
TEST_F(OleControlTest, DrawingReachesOnDraw)
{
    Canvas canvas(200, 150);
    auto* view = query<IViewObject>(unknown, IID_IViewObject);
    const RECTL bounds{40, 30, 160, 120};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc, &bounds, nullptr, nullptr, 0),
              S_OK);
    EXPECT_EQ(canvas.at(39, 29), RGB(0, 0, 0)) << "outside the bounds stays untouched";
    EXPECT_EQ(canvas.at(40, 30), kBackground);
    EXPECT_EQ(canvas.at(55, 45), kMark);
    EXPECT_EQ(canvas.at(159, 119), kBackground);
    EXPECT_EQ(canvas.at(160, 120), RGB(0, 0, 0));
    EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, canvas.dc, &bounds, nullptr, nullptr, 0),
              DV_E_DVASPECT);
    view->Release();

    IOleObject* object = site_it();
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, container, &site->pos), S_OK);
    HWND hwnd = control->GetSafeHwnd();
    control->draws = 0;
    ::InvalidateRect(hwnd, nullptr, FALSE);
    ::UpdateWindow(hwnd);
    EXPECT_EQ(control->draws, 1) << "WM_PAINT reaches OnDraw";
    EXPECT_EQ(control->lastBounds.right, site->pos.right - site->pos.left);
    EXPECT_EQ(control->lastBounds.bottom, site->pos.bottom - site->pos.top);

    // InvalidateControl invalidates the window: the next update paints.
    control->draws = 0;
    control->InvalidateControl();
    ::UpdateWindow(hwnd);
    EXPECT_EQ(control->draws, 1);

    // What WM_PAINT drew is on the window (Wine's null driver keeps the
    // window's pixels in memory): read back with BitBlt.
    Canvas screen(120, 90);
    HDC windowDc = ::GetDC(hwnd);
    ASSERT_TRUE(::BitBlt(screen.dc, 0, 0, 120, 90, windowDc, 0, 0, SRCCOPY));
    ::ReleaseDC(hwnd, windowDc);
    EXPECT_EQ(screen.at(5, 5), kBackground);
    EXPECT_EQ(screen.at(15, 15), kMark);
    EXPECT_EQ(screen.at(119, 89), kBackground);

    Canvas printed(120, 90);
    ASSERT_TRUE(::PrintWindow(hwnd, printed.dc, PW_CLIENTONLY));
    EXPECT_EQ(printed.at(5, 5), kBackground);
    EXPECT_EQ(printed.at(15, 15), kMark);
    object->Release();
}

// Posted messages reach the message map entries with their parameters, in
// order; a button press captures the mouse until its release; the timer is
// Windows' own.
TEST_F(OleControlTest, MessagesReachTheMessageMap)
{
    IOleObject* object = site_it();
    ASSERT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, container, &site->pos), S_OK);
    HWND hwnd = control->GetSafeHwnd();
    const std::vector<Recorded> posted = {
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4)},
        {WM_MOUSEMOVE, 0, MAKELPARAM(7, 8)},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(50, 60)},
        {WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)},
    };
    for (const auto& m : posted) ASSERT_TRUE(control->PostMessage(m.message, m.wParam, m.lParam));
    pumpMessages();
    ASSERT_EQ(control->messages.size(), posted.size());
    for (std::size_t i = 0; i < posted.size(); ++i) {
        EXPECT_EQ(control->messages[i].message, posted[i].message) << i;
        EXPECT_EQ(control->messages[i].wParam, posted[i].wParam) << i;
        EXPECT_EQ(control->messages[i].lParam, posted[i].lParam) << i;
    }

    control->messages.clear();
    ::SendMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, 0);
    EXPECT_TRUE(control->isCapturing());
    ::SendMessageW(hwnd, WM_RBUTTONUP, 0, 0);
    EXPECT_FALSE(control->isCapturing());

    control->messages.clear();
    ASSERT_EQ(control->SetTimer(5, 1, nullptr), 5u);
    // Waits for the first tick, however long Windows takes to give it.
    for (int i = 0; i < 500 && control->messages.empty(); ++i) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pumpMessages();
    }
    EXPECT_TRUE(control->KillTimer(5));
    ASSERT_FALSE(control->messages.empty());
    EXPECT_EQ(control->messages[0].message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(control->messages[0].wParam, 5u);
    object->Release();
}

// Events reach every sink's Invoke as a method call, arguments reversed as
// COM passes them; a sink may unadvise during the call; frozen events are
// not delivered; the ready state change is one of them.
TEST_F(OleControlTest, EventsReachSinksThroughTheConnectionPoint)
{
    auto* container = query<IConnectionPointContainer>(unknown, IID_IConnectionPointContainer);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(container->FindConnectionPoint(kEventsIid, &point), S_OK);
    TestSink first;
    TestSink second;
    ASSERT_EQ(point->Advise(&first, &first.cookie), S_OK);
    ASSERT_EQ(point->Advise(&second, &second.cookie), S_OK);
    EXPECT_NE(first.cookie, second.cookie);
    first.unadviseFrom = point;

    const VARIANT args[] = {MakeVariantI2(5), MakeVariantR8(2.5)};
    control->FireEvent(kMovedEvent, args, 2);
    for (TestSink* sink : {&first, &second}) {
        ASSERT_EQ(sink->calls.size(), 1u);
        const auto& call = sink->calls[0];
        EXPECT_EQ(call.dispid, kMovedEvent);
        EXPECT_EQ(call.flags, DISPATCH_METHOD);
        ASSERT_EQ(call.args.size(), 2u);
        EXPECT_EQ(call.args[0].vt, VT_R8);
        EXPECT_EQ(call.args[0].dblVal, 2.5);
        EXPECT_EQ(call.args[1].vt, VT_I2);
        EXPECT_EQ(call.args[1].iVal, 5);
    }
    EXPECT_EQ(first.refs, 1) << "an unadvised sink is released";

    control->InternalSetReadyState(READYSTATE_COMPLETE);
    EXPECT_EQ(first.calls.size(), 1u);
    ASSERT_EQ(second.calls.size(), 2u);
    EXPECT_EQ(second.calls[1].dispid, DISPID_READYSTATECHANGE);
    ASSERT_EQ(second.calls[1].args.size(), 1u);
    EXPECT_EQ(second.calls[1].args[0].vt, VT_I4);
    EXPECT_EQ(second.calls[1].args[0].lVal, READYSTATE_COMPLETE);

    auto* oleControl = query<IOleControl>(unknown, IID_IOleControl);
    oleControl->FreezeEvents(TRUE);
    control->FireEvent(kMovedEvent, args, 2);
    EXPECT_EQ(second.calls.size(), 2u);
    oleControl->FreezeEvents(FALSE);
    control->FireEvent(kMovedEvent, args, 2);
    EXPECT_EQ(second.calls.size(), 3u);
    CONTROLINFO info{};
    info.cb = sizeof info;
    EXPECT_EQ(oleControl->GetControlInfo(&info), S_OK);
    oleControl->Release();

    EXPECT_EQ(point->Unadvise(first.cookie), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(second.cookie), S_OK);
    EXPECT_EQ(second.refs, 1);
    TestBag notASink;
    DWORD cookie = 0;
    EXPECT_EQ(point->Advise(&notASink, &cookie), CONNECT_E_CANNOTCONNECT);
    point->Release();
    container->Release();
}

TEST_F(OleControlTest, ConnectionPointsAndConnectionsCanBeEnumerated)
{
    auto* container = query<IConnectionPointContainer>(unknown, IID_IConnectionPointContainer);
    IEnumConnectionPoints* points = nullptr;
    ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint* found[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(2, found, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    IID iid{};
    EXPECT_EQ(found[0]->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, kEventsIid));
    EXPECT_EQ(points->Reset(), S_OK);
    EXPECT_EQ(points->Skip(2), S_FALSE);
    IEnumConnectionPoints* clone = nullptr;
    ASSERT_EQ(points->Clone(&clone), S_OK);
    EXPECT_EQ(clone->Next(1, &found[1], nullptr), S_FALSE); // the clone starts where the original stood
    clone->Release();
    points->Release();

    TestSink sink;
    ASSERT_EQ(found[0]->Advise(&sink, &sink.cookie), S_OK);
    IEnumConnections* connections = nullptr;
    ASSERT_EQ(found[0]->EnumConnections(&connections), S_OK);
    CONNECTDATA data{};
    ASSERT_EQ(connections->Next(1, &data, nullptr), S_OK);
    EXPECT_EQ(data.dwCookie, sink.cookie);
    ASSERT_NE(data.pUnk, nullptr);
    data.pUnk->Release();
    EXPECT_EQ(connections->Next(1, &data, nullptr), S_FALSE);
    connections->Release();
    EXPECT_EQ(found[0]->Unadvise(sink.cookie), S_OK);
    EXPECT_EQ(sink.refs, 1) << "the enumerators gave back every reference they took";
    found[0]->Release();
    container->Release();
}

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(::OleInitialize(nullptr))) return 2;
    const int result = RUN_ALL_TESTS();
    ::OleUninitialize();
    return result;
}
