// The control framework on the stand-in, through the interfaces in their
// Windows shapes: a small control in a windowless site, as Windows' tests
// of the same class hold it in a real container.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/linux/container/SiteDefaults.h"
#include "platform/com/ComCreation.h"
#include "platform/framework/OleControl.h"

namespace {

const IID kPrimary = {0x5A1E0001, 0x0001, 0x0001, {1, 1, 1, 1, 1, 1, 1, 1}};
const IID kEvents = {0x5A1E0002, 0x0002, 0x0002, {2, 2, 2, 2, 2, 2, 2, 2}};

class SmallControl final : public COleControl {
public:
    SmallControl()
    {
        InitializeIIDs(&kPrimary, &kEvents);
        RecreateControlWindow();
    }
    void DoPropExchange(CPropExchange* pPX) override { PX_Long(pPX, "Value", value, 7); }
    LONG value = 7;
};

class Site final : public WindowlessSite {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = SiteInterface(riid);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT rect) override
    {
        placed = *rect;
        return S_OK;
    }
    ULONG refs = 1;
    RECT placed{};
};

// A sink that answers only the interfaces it is given.
class Sink final : public IDispatch {
public:
    explicit Sink(std::vector<const IID*> answers) : m_answers(std::move(answers)) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        for (const IID* iid : m_answers)
            if (*iid == riid) *ppv = static_cast<IDispatch*>(this);
        if (riid == IID_IUnknown) *ppv = static_cast<IDispatch*>(this);
        if (!*ppv) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        if (flags == DISPATCH_METHOD) fired.push_back(dispid);
        return S_OK;
    }
    ULONG refs = 1;
    std::vector<DISPID> fired;

private:
    std::vector<const IID*> m_answers;
};

// A stream in memory.
class MemoryStream final : public IStream {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override
    {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        const ULONG n = std::min<ULONG>(cb, static_cast<ULONG>(bytes.size() - at));
        std::memcpy(pv, bytes.data() + at, n);
        at += n;
        *pcbRead = n;
        return n == cb ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) override
    {
        bytes.append(static_cast<const char*>(pv), cb);
        *pcbWritten = cb;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }
    std::string bytes;
    std::size_t at = 0;
};

template <typename T>
T* query(COleControl* control, REFIID iid)
{
    T* p = nullptr;
    EXPECT_EQ(control->ExternalQueryInterface(iid, reinterpret_cast<void**>(&p)), S_OK);
    return p;
}

struct Hosted {
    Hosted()
    {
        IOleObject* object = query<IOleObject>(control, IID_IOleObject);
        object->SetClientSite(static_cast<IOleClientSite*>(&site));
        object->Release();
    }
    ~Hosted()
    {
        IOleObject* object = query<IOleObject>(control, IID_IOleObject);
        object->SetClientSite(nullptr);
        object->Release();
        control->ExternalRelease();
    }
    SmallControl* control = new SmallControl;
    Site site;
};

TEST(OleControl, AnswersTheInterfacesOfTheStandIn)
{
    SmallControl* control = new SmallControl;
    for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &kPrimary, &IID_IOleObject, &IID_IOleWindow,
                           &IID_IOleInPlaceObject, &IID_IOleInPlaceActiveObject, &IID_IOleControl, &IID_IViewObject,
                           &IID_IViewObject2, &IID_IPersistPropertyBag, &IID_IPersist, &IID_IPersistStream,
                           &IID_IPersistStreamInit, &IID_IProvideClassInfo, &IID_IProvideClassInfo2,
                           &IID_ISpecifyPropertyPages, &IID_IConnectionPointContainer}) {
        IUnknown* p = nullptr;
        EXPECT_EQ(control->ExternalQueryInterface(*iid, reinterpret_cast<void**>(&p)), S_OK) << GuidToString(*iid);
        if (p) p->Release();
    }
    // Storages, OLE's data cache and running are Windows' own.
    for (const IID* iid : {&IID_IPersistStorage, &IID_IDataObject, &IID_IRunnableObject, &IID_IOleCache,
                           &IID_IOleCache2, &IID_IOleCacheControl, &kEvents}) {
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(control->ExternalQueryInterface(*iid, &p), E_NOINTERFACE) << GuidToString(*iid);
        EXPECT_EQ(p, nullptr);
    }
    auto* info = query<IProvideClassInfo2>(control, IID_IProvideClassInfo2);
    GUID events{};
    EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
    EXPECT_EQ(events, kEvents);
    info->Release();
    EXPECT_EQ(control->ExternalRelease(), 0u);
}

// The sink is asked for the event interface, then for IDispatch; events
// wait while the container freezes them; the connections are enumerated.
TEST(OleControl, ConnectionPointAsOnWindows)
{
    Hosted h;
    auto* points = query<IConnectionPointContainer>(h.control, IID_IConnectionPointContainer);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(points->FindConnectionPoint(kEvents, &point), S_OK);
    Sink eventsOnly({&kEvents});
    Sink dispatchOnly({&IID_IDispatch});
    Sink neither({});
    DWORD cookies[3] = {};
    EXPECT_EQ(point->Advise(&eventsOnly, &cookies[0]), S_OK);
    EXPECT_EQ(point->Advise(&dispatchOnly, &cookies[1]), S_OK);
    EXPECT_EQ(point->Advise(&neither, &cookies[2]), CONNECT_E_CANNOTCONNECT);
    IEnumConnections* connections = nullptr;
    ASSERT_EQ(point->EnumConnections(&connections), S_OK);
    CONNECTDATA data[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(connections->Next(3, data, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    for (ULONG i = 0; i < fetched; ++i) {
        EXPECT_EQ(data[i].dwCookie, cookies[i]);
        data[i].pUnk->Release();
    }
    connections->Release();

    auto* control = query<IOleControl>(h.control, IID_IOleControl);
    control->FreezeEvents(TRUE);
    h.control->InternalSetReadyState(READYSTATE_COMPLETE);
    control->FreezeEvents(FALSE);
    h.control->InternalSetReadyState(READYSTATE_COMPLETE);
    EXPECT_EQ(eventsOnly.fired, std::vector<DISPID>{DISPID_READYSTATECHANGE});
    EXPECT_EQ(dispatchOnly.fired, std::vector<DISPID>{DISPID_READYSTATECHANGE});
    EXPECT_EQ(point->Unadvise(cookies[0]), S_OK);
    EXPECT_EQ(point->Unadvise(cookies[1]), S_OK);
    EXPECT_EQ(point->Unadvise(cookies[0]), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(eventsOnly.refs, 1u);
    EXPECT_EQ(dispatchOnly.refs, 1u);
    control->Release();
    point->Release();
    points->Release();
}

// A button's press captures the mouse and its release lets it go, the left
// button's as the right's.
TEST(OleControl, ButtonReleaseEndsTheCapture)
{
    Hosted h;
    const HWND hwnd = h.control->GetSafeHwnd();
    ASSERT_NE(hwnd, nullptr);
    for (auto [down, up] : {std::pair{WM_LBUTTONDOWN, WM_LBUTTONUP}, std::pair{WM_RBUTTONDOWN, WM_RBUTTONUP}}) {
        SendMessageA(hwnd, down, MK_LBUTTON, MAKELPARAM(3, 4));
        EXPECT_EQ(GetCapture(), hwnd) << down;
        SendMessageA(hwnd, up, 0, MAKELPARAM(3, 4));
        EXPECT_EQ(GetCapture(), nullptr) << up;
    }
}

// The verbs a container lists, the sizes it learns, and the properties
// through IPersistStreamInit over a container's stream.
TEST(OleControl, VerbsSizeAndStream)
{
    Hosted h;
    auto* object = query<IOleObject>(h.control, IID_IOleObject);
    IEnumOLEVERB* verbs = nullptr;
    ASSERT_EQ(object->EnumVerbs(&verbs), S_OK);
    std::vector<LONG> listed;
    OLEVERB verb{};
    while (verbs->Next(1, &verb, nullptr) == S_OK) {
        listed.push_back(verb.lVerb);
        CoTaskMemFree(verb.lpszVerbName);
    }
    verbs->Release();
    // No property page, so no Properties verb.
    EXPECT_EQ(listed, (std::vector<LONG>{OLEIVERB_PRIMARY, OLEIVERB_SHOW, OLEIVERB_UIACTIVATE,
                                         OLEIVERB_INPLACEACTIVATE, OLEIVERB_HIDE}));
    EXPECT_EQ(object->DoVerb(OLEIVERB_PRIMARY, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(object->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, nullptr, nullptr), E_FAIL);

    h.control->SetControlSize(320, 240);
    EXPECT_EQ(h.site.placed.right - h.site.placed.left, 320);
    EXPECT_EQ(h.site.placed.bottom - h.site.placed.top, 240);
    SIZEL extent{};
    EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, PixelsToHimetric(320));
    object->Release();

    auto* persist = query<IPersistStreamInit>(h.control, IID_IPersistStreamInit);
    MemoryStream stream;
    h.control->value = 42;
    EXPECT_EQ(persist->IsDirty(), S_OK);
    ASSERT_EQ(persist->Save(&stream, TRUE), S_OK);
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    ULARGE_INTEGER size{};
    EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
    EXPECT_EQ(size.QuadPart, stream.bytes.size());
    h.control->value = 0;
    ASSERT_EQ(persist->Load(&stream), S_OK);
    EXPECT_EQ(h.control->value, 42);
    persist->Release();
}

} // namespace
