// The control's COM face: interface discovery, safety options, the Stop
// command, identity and the Properties verb.
#include <gtest/gtest.h>

#include "tests/support/TestContainer.h"

namespace {

template <typename T>
T* query(ProbedImageCtrl* ctrl, REFIID iid)
{
    T* p = nullptr;
    EXPECT_EQ(ctrl->ExternalQueryInterface(iid, reinterpret_cast<void**>(&p)), S_OK);
    return p;
}

const IID kUnsupported = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

TEST(Interfaces, UnknownInterfaceGivesNoInterfaceAndNull)
{
    TestContainer c;
    void* p = reinterpret_cast<void*>(1);
    EXPECT_EQ(c.ctrl()->ExternalQueryInterface(kUnsupported, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
}

TEST(Interfaces, EveryInterfaceLeadsBackToTheSameObject)
{
    TestContainer c;
    auto* safety = query<IObjectSafety>(c.ctrl(), IID_IObjectSafety);
    IUnknown* a = nullptr;
    safety->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
    auto* target = query<IOleCommandTarget>(c.ctrl(), IID_IOleCommandTarget);
    IUnknown* b = nullptr;
    target->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
    EXPECT_EQ(a, b);
    a->Release();
    b->Release();
    target->Release();
    safety->Release();
}

TEST(Interfaces, SafetyOptionsAnswerForSupportedInterfacesOnly)
{
    TestContainer c;
    auto* safety = query<IObjectSafety>(c.ctrl(), IID_IObjectSafety);
    DWORD supported = 0, enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 3u);
    supported = enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(kUnsupported, &supported, &enabled), E_NOINTERFACE);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 3u);
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IPersistPropertyBag, nullptr, &enabled), E_POINTER);
    safety->Release();
}

TEST(Interfaces, SetSafetyOptionsByMask)
{
    TestContainer c;
    auto* safety = query<IObjectSafety>(c.ctrl(), IID_IObjectSafety);
    struct Case {
        DWORD mask;
        DWORD enabled;
        HRESULT expected;
    } cases[] = {
        {0, 0, S_OK},
        {1, 1, S_OK},
        {2, 2, S_OK},
        {3, 3, S_OK},
        {3, 7, S_OK},
        {1, 0, E_FAIL},
        {3, 1, E_FAIL},
        {4, 4, E_FAIL},
        {7, 7, E_FAIL},
    };
    for (const auto& k : cases)
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, k.mask, k.enabled), k.expected)
            << k.mask << "/" << k.enabled;
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(kUnsupported, 3, 3), E_NOINTERFACE);
    safety->Release();
}

TEST(Interfaces, StopCommandSetsTheStopFlagAndOthersChangeNothing)
{
    TestContainer c;
    c.embed();
    auto* target = query<IOleCommandTarget>(c.ctrl(), IID_IOleCommandTarget);
    OLECMD cmd{OLECMDID_STOP, 0};
    EXPECT_EQ(target->QueryStatus(nullptr, 1, &cmd, nullptr), S_OK);
    EXPECT_EQ(cmd.cmdf, 0u);
    for (DWORD id : {0u, 1u, 22u, 24u, 0x10017u}) {
        EXPECT_EQ(target->Exec(nullptr, id, 0, nullptr, nullptr), S_OK);
        EXPECT_EQ(c.ctrl()->m_bStopped, 0) << id;
    }
    EXPECT_EQ(target->Exec(&kUnsupported, OLECMDID_STOP, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(c.ctrl()->m_bStopped, 1);
    EXPECT_EQ(target->Exec(nullptr, OLECMDID_STOP, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(c.ctrl()->m_bStopped, 1);
    target->Release();
}

TEST(Interfaces, IdentityFlagsAndStatus)
{
    TestContainer c;
    EXPECT_EQ(c.ctrl()->GetControlFlags(), 0x3Au);
    auto* object = query<IOleObject>(c.ctrl(), IID_IOleObject);
    DWORD status = 0;
    EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 0x20191u);
    EXPECT_EQ(status, OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
                          OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE);
    CLSID clsid{};
    EXPECT_EQ(c.ctrl()->GetClassID(&clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_ImageCtrl);
    object->Release();
}

TEST(Interfaces, EventsReachTheSinkThroughTheEventInterface)
{
    TestContainer c;
    c.embed();
    ASSERT_EQ(c.events().events.size(), 1u);
    const auto& e = c.events().events[0];
    EXPECT_EQ(e.dispid, DISPID_READYSTATECHANGE);
    ASSERT_EQ(e.args.size(), 1u);
    EXPECT_EQ(e.args[0].vt, VT_I4);
    EXPECT_EQ(e.args[0].lVal, READYSTATE_LOADING);
}

TEST(Interfaces, PropertiesVerbAsksTheContainerForThePropertyFrame)
{
    TestContainer c;
    c.embed();
    auto* object = query<IOleObject>(c.ctrl(), IID_IOleObject);
    EXPECT_EQ(object->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(c.site().propertyFrames, 1);
    object->Release();
}

} // namespace
