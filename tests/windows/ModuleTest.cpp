// The control as a Windows module, under a real COM run-time: registration
// by regsvr32, creation through the registry, the interfaces a container
// asks for, parameters from a property bag, in-place activation in a
// window, a camera's picture painted from a real stream (camsim's, at the
// address in VE_CAMERA), events through the connection point, and the
// module's unload test.
#include <gtest/gtest.h>

#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>
#include <turbojpeg.h>
#include <wininet.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "control/ImageCtrlIds.h"
#include "platform/tap/FrameTap.h"
#include "tests/windows/support/ModuleHarness.h"
#include "tests/windows/support/TestSite.h"

namespace {

// The module registered from the build for the whole program.
class ModuleEnvironment : public ::testing::Environment {
public:
    // A child process leaves the registration to its parent.
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        if (!inChild()) {
            ASSERT_EQ(regsvr32(L"/s"), 0u);
        }
    }
    void TearDown() override
    {
        CoFreeUnusedLibraries();
        if (!inChild()) regsvr32(L"/u /s");
        OleUninitialize();
    }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ModuleEnvironment);

TEST(Registration, Regsvr32WritesTheListedEntriesAndRemovesThem)
{
    EXPECT_EQ(differences(expectedEntries(), registeredEntries()), std::vector<std::string>{});
    ASSERT_EQ(regsvr32(L"/u /s"), 0u);
    EXPECT_EQ(registeredEntries(), std::set<std::wstring>{});
    ASSERT_EQ(regsvr32(L"/s"), 0u);
}

TEST(Creation, ByProgIdAndByClassIdWithEveryInterfaceAContainerAsksFor)
{
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(L"RW-DPV20.ImageCtrl.1", &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, CLSID_ImageCtrl));

    for (const CLSID& id : {clsid, CLSID_ImageCtrl}) {
        IUnknown* unknown = nullptr;
        ASSERT_EQ(CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
        EXPECT_EQ(moduleCanUnloadNow(), S_FALSE);
        for (const IID* iid :
             {&IID_IOleObject, &IID_IOleInPlaceObject, &IID_IOleInPlaceActiveObject, &IID_IOleControl, &IID_IOleWindow,
              &IID_IViewObject, &IID_IViewObject2, &IID_IPersistPropertyBag, &IID_IPersistStreamInit, &IID_IDispatch,
              &IID__ZEz_orerir, &IID_IProvideClassInfo, &IID_IProvideClassInfo2, &IID_IConnectionPointContainer,
              &IID_IObjectSafety, &IID_IOleCommandTarget, &IID_ISpecifyPropertyPages}) {
            IUnknown* part = nullptr;
            EXPECT_EQ(unknown->QueryInterface(*iid, reinterpret_cast<void**>(&part)), S_OK) << narrow(guidText(*iid));
            if (!part) continue;
            // Every interface leads back to the same object.
            IUnknown* identity = nullptr;
            part->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
            EXPECT_EQ(identity, unknown);
            if (identity) identity->Release();
            part->Release();
        }
        IUnknown* none = reinterpret_cast<IUnknown*>(1);
        EXPECT_EQ(unknown->QueryInterface(IID_IStorage, reinterpret_cast<void**>(&none)), E_NOINTERFACE);
        EXPECT_EQ(none, nullptr);
        unknown->Release();
    }
    CoFreeUnusedLibraries();
    EXPECT_EQ(moduleCanUnloadNow(), S_OK);
}

TEST(Identity, MiscStatusTypeNameTypeLibraryAndPages)
{
    IOleObject* object = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ImageCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                               reinterpret_cast<void**>(&object)),
              S_OK);
    DWORD status = 0;
    EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 0x20191u);
    LPOLESTR name = nullptr;
    EXPECT_EQ(object->GetUserType(USERCLASSTYPE_FULL, &name), S_OK);
    EXPECT_EQ(name ? std::wstring(name) : L"", L"Ve_virizu Control");
    CoTaskMemFree(name);

    IDispatch* dispatch = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = nullptr;
    ASSERT_EQ(dispatch->GetTypeInfo(0, 0, &info), S_OK);
    BSTR infoName = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &infoName, nullptr, nullptr, nullptr);
    EXPECT_EQ(infoName ? std::wstring(infoName) : L"", L"_ZEz_orerir");
    SysFreeString(infoName);
    info->Release();
    // The control dispatches no member.
    DISPPARAMS none{};
    EXPECT_EQ(dispatch->Invoke(-552, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);
    // Nor the stock ready state, which its dispatch interface does not
    // declare: only its change is an event.
    OLECHAR readyState[] = L"ReadyState";
    LPOLESTR names[] = {readyState};
    DISPID id = 0;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    VARIANT state;
    VariantInit(&state);
    EXPECT_EQ(dispatch->Invoke(DISPID_READYSTATE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &state, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
    dispatch->Release();

    IProvideClassInfo2* classInfo = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&classInfo)), S_OK);
    GUID events{};
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
    EXPECT_TRUE(IsEqualGUID(events, IID__VEd_oruvudUruzuv));
    classInfo->Release();

    ISpecifyPropertyPages* pages = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&pages)), S_OK);
    CAUUID ids{};
    EXPECT_EQ(pages->GetPages(&ids), S_OK);
    ASSERT_EQ(ids.cElems, 1u);
    EXPECT_TRUE(IsEqualCLSID(ids.pElems[0], CLSID_ImagePropPage));
    CoTaskMemFree(ids.pElems);
    pages->Release();
    object->Release();
}

TEST(PropertyPage, TheFrameShowsThePagesDialogInsideItsWindow)
{
    IUnknown* control = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ImageCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&control)),
              S_OK);
    IPropertyPage* page = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ImagePropPage, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                               reinterpret_cast<void**>(&page)),
              S_OK);
    EXPECT_EQ(page->SetObjects(1, &control), S_OK);
    PROPPAGEINFO info{};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(info.pszTitle ? std::wstring(info.pszTitle) : L"", L"General");
    EXPECT_GT(info.size.cx, 0);
    EXPECT_GT(info.size.cy, 0);
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);

    HWND frame = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(frame, nullptr);
    const RECT place{8, 8, 8 + info.size.cx, 8 + info.size.cy};
    ASSERT_EQ(page->Activate(frame, &place, TRUE), S_OK);
    HWND dialog = GetWindow(frame, GW_CHILD);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(page->Show(SW_SHOW), S_OK);
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_STYLE) & WS_VISIBLE);
    // Its one text says why there is nothing to set.
    wchar_t text[512] = L"";
    for (HWND child = GetWindow(dialog, GW_CHILD); child && !text[0]; child = GetWindow(child, GW_HWNDNEXT))
        GetWindowTextW(child, text, 512);
    EXPECT_NE(std::wstring(text), L"");
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(page->Deactivate(), S_OK);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(page->Deactivate(), E_UNEXPECTED);
    page->SetObjects(0, nullptr);
    page->Release();
    control->Release();
    DestroyWindow(frame);
    CoFreeUnusedLibraries();
    EXPECT_EQ(moduleCanUnloadNow(), S_OK);
}

// A control sited in a window of its own page, streaming from camsim.
class Streaming : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* camera = std::getenv("VE_CAMERA");
        if (!camera || !*camera) GTEST_SKIP() << "VE_CAMERA names no camera";
        m_camera = camera;
        m_window = CreateWindowExW(0, L"STATIC", L"page", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 400, 300, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_window, nullptr);
        const std::wstring page(m_camera.begin(), m_camera.end());
        m_browser = new TestBrowser(page + L"/ImageViewer", m_window);
        m_site = new TestSite(m_window, RECT{10, 20, 330, 260}, m_browser);
        ASSERT_EQ(CoCreateInstance(CLSID_ImageCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                   reinterpret_cast<void**>(&m_object)),
                  S_OK);
        if (m_anyStream) {
            // Before anything else, as a viewer given a stream's own address does.
            IFrameTap* tap = nullptr;
            ASSERT_EQ(m_object->QueryInterface(IID_IFrameTap, reinterpret_cast<void**>(&tap)), S_OK);
            EXPECT_EQ(tap->SetAnyPictureStream(TRUE), S_OK);
            tap->Release();
        }
        // Siting first, as the control's status asks; then the events,
        // then the page's parameters.
        ASSERT_EQ(m_object->SetClientSite(m_site), S_OK);
        IConnectionPointContainer* container = nullptr;
        ASSERT_EQ(m_object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
        ASSERT_EQ(container->FindConnectionPoint(IID__VEd_oruvudUruzuv, &m_point), S_OK);
        container->Release();
        m_sink.m_eventsIid = IID__VEd_oruvudUruzuv;
        ASSERT_EQ(m_point->Advise(&m_sink, &m_cookie), S_OK);
    }
    void load(std::map<std::wstring, std::wstring> params)
    {
        TestPropertyBag bag(std::move(params));
        IPersistPropertyBag* persist = nullptr;
        ASSERT_EQ(m_object->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist)), S_OK);
        EXPECT_EQ(persist->Load(&bag, nullptr), S_OK);
        persist->Release();
    }
    void activate()
    {
        RECT position{10, 20, 330, 260};
        ASSERT_EQ(m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_site, 0, m_window, &position), S_OK);
    }
    void TearDown() override
    {
        if (m_point) {
            m_point->Unadvise(m_cookie);
            m_point->Release();
        }
        if (m_object) {
            m_object->Close(OLECLOSE_NOSAVE);
            m_object->SetClientSite(nullptr);
            m_object->Release();
        }
        delete m_site;
        delete m_browser;
        if (m_window) DestroyWindow(m_window);
        CoFreeUnusedLibraries();
    }

    bool m_anyStream = false;
    std::string m_camera;
    HWND m_window = nullptr;
    TestBrowser* m_browser = nullptr;
    TestSite* m_site = nullptr;
    IOleObject* m_object = nullptr;
    IConnectionPoint* m_point = nullptr;
    DWORD m_cookie = 0;
    EventSink m_sink;
};

TEST_F(Streaming, ActivatedInPlaceItPaintsTheCamerasPictureAndTellsThePage)
{
    load({{L"ImagePath", L"?Resolution=320x240"}, {L"ImageWidth", L"320"}, {L"ImageHeight", L"240"}});
    activate();
    EXPECT_EQ(m_site->m_activations, 1);

    // The control's window is a visible child of the page's, where the
    // site placed it.
    IOleWindow* oleWindow = nullptr;
    ASSERT_EQ(m_object->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&oleWindow)), S_OK);
    HWND control = nullptr;
    EXPECT_EQ(oleWindow->GetWindow(&control), S_OK);
    oleWindow->Release();
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(GetParent(control), m_window);
    EXPECT_TRUE(IsWindowVisible(control) || !IsWindowVisible(m_window));
    RECT placed{};
    GetWindowRect(control, &placed);
    MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 10);
    EXPECT_EQ(placed.top, 20);
    EXPECT_EQ(placed.right - placed.left, 320);
    EXPECT_EQ(placed.bottom - placed.top, 240);

    const Picture expected = decode(fetchFrame(m_camera));
    ASSERT_EQ(expected.width, 320);
    ASSERT_EQ(expected.height, 240);
    ASSERT_FALSE(expected.bgr.empty());

    IViewObject* view = nullptr;
    ASSERT_EQ(m_object->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view)), S_OK);
    Picture painted;
    const bool same = pumpUntil(15000, [&] {
        painted = paint(view, 320, 240);
        return painted.bgr == expected.bgr;
    });
    view->Release();
    ASSERT_EQ(painted.bgr.size(), expected.bgr.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < painted.bgr.size(); ++i) differing += painted.bgr[i] != expected.bgr[i];
    EXPECT_TRUE(same) << differing << " of " << painted.bgr.size() << " bytes differ from the decoded frame";

    // The stream's start told the page the magnification, 1.0.
    bool magnification = false;
    for (const auto& e : m_sink.m_events)
        if (e.dispid == 2 && e.args.size() == 1 && e.args[0].vt == VT_R8 && e.args[0].dblVal == 1.0) magnification = true;
    EXPECT_TRUE(magnification);
}

TEST_F(Streaming, TheBrowsersStopEndsTheStreamAndThePictureStays)
{
    load({{L"ImagePath", L"?Resolution=320x240"}});
    activate();
    IViewObject* view = nullptr;
    ASSERT_EQ(m_object->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view)), S_OK);
    const Picture blank = paint(view, 320, 240);
    Picture painted;
    ASSERT_TRUE(pumpUntil(15000, [&] {
        painted = paint(view, 320, 240);
        return painted.bgr != blank.bgr;
    }));
    IOleCommandTarget* target = nullptr;
    ASSERT_EQ(m_object->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(&target)), S_OK);
    EXPECT_EQ(target->Exec(nullptr, OLECMDID_STOP, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr), S_OK);
    target->Release();
    pumpUntil(500, [] { return false; });
    const Picture afterStop = paint(view, 320, 240);
    EXPECT_NE(afterStop.bgr, blank.bgr);
    view->Release();
}

// A control told that its address is a picture stream's own paints
// camsim's ordinary MJPEG stream (CR LF, a length per part), which the
// tests' camsim serves at /stream.mjpg beside the camera's.
class AnyStream : public Streaming {
protected:
    void SetUp() override
    {
        m_anyStream = true;
        Streaming::SetUp();
    }
};

TEST_F(AnyStream, AnOrdinaryMjpegStreamIsPainted)
{
    const std::wstring camera(m_camera.begin(), m_camera.end());
    load({{L"ImagePath", camera + L"/stream.mjpg"}, {L"ImageWidth", L"320"}, {L"ImageHeight", L"240"}});
    activate();
    const Picture expected = decode(fetchFrame(m_camera));
    ASSERT_FALSE(expected.bgr.empty());
    IViewObject* view = nullptr;
    ASSERT_EQ(m_object->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view)), S_OK);
    Picture painted;
    EXPECT_TRUE(pumpUntil(15000, [&] {
        painted = paint(view, 320, 240);
        return painted.bgr == expected.bgr;
    }));
    view->Release();
}

TEST_F(Streaming, ThePropertiesVerbReachesTheSite)
{
    load({});
    RECT position{10, 20, 330, 260};
    EXPECT_EQ(m_object->DoVerb(OLEIVERB_PROPERTIES, nullptr, m_site, 0, m_window, &position), S_OK);
    EXPECT_EQ(m_site->m_propertyFrames, 1);
}

} // namespace
