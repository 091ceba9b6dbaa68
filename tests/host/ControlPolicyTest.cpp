// Which controls a page may make the viewer load: the image control's
// class (however the page writes it) and what the user allows, and only a
// control that declares itself safe with a page's data. The same test runs
// on Linux and, in the Windows plumbing tests, over Windows' own COM.
#include <gtest/gtest.h>

#include <string>

#include "host/core/ControlPolicy.h"
#include "platform/com/OleInterfaces.h"

namespace {

struct ClassCase {
    const char* page; // as the page names it
    bool loaded;
};

class ControlPolicyClasses : public ::testing::TestWithParam<ClassCase> {};

TEST_P(ControlPolicyClasses, OnlyTheImageControlAndWhatTheUserAllows)
{
    const ControlPolicy policy({"{09EF6554-603C-4370-A96F-173992656FBF}"});
    const std::string why = policy.refusal(GetParam().page);
    EXPECT_EQ(why.empty(), GetParam().loaded) << GetParam().page << ": " << why;
    if (!GetParam().loaded) {
        EXPECT_NE(why.find("--allow-class"), std::string::npos) << why;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ControlPolicyClasses,
    ::testing::Values(ClassCase{"4D8D78A3-35E9-499D-8771-4ADA8876B786", true},
                      ClassCase{"{4d8d78a3-35e9-499d-8771-4ada8876b786}", true}, ClassCase{"RW-DPV20.ImageCtrl.1", true},
                      ClassCase{"rw-dpv20.imagectrl.1", true}, ClassCase{"09ef6554-603c-4370-a96f-173992656fbf", true},
                      ClassCase{"8856F961-340A-11D0-A96B-00C04FD705A2", false}, // another installed control
                      ClassCase{"Shell.Explorer.2", false}, ClassCase{"", false},
                      ClassCase{"4D8D78A3-35E9-499D-8771-4ADA8876B78", false}));

// An object that answers IObjectSafety as told, or not at all.
class Safety final : public IObjectSafety {
public:
    Safety(bool answers, HRESULT answer) : m_answers(answers), m_answer(answer) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        *ppv = nullptr;
        if (riid == IID_IUnknown || (m_answers && riid == IID_IObjectSafety)) {
            *ppv = static_cast<IObjectSafety*>(this);
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID, DWORD*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) override
    {
        asked = riid == IID_IPersistPropertyBag && mask == INTERFACESAFE_FOR_UNTRUSTED_DATA &&
                enabled == INTERFACESAFE_FOR_UNTRUSTED_DATA;
        return m_answer;
    }
    bool asked = false;

private:
    bool m_answers;
    HRESULT m_answer;
};

TEST(ControlPolicy, AControlIsGivenThePagesDataOnlyWhenItDeclaresItselfSafe)
{
    Safety agrees(true, S_OK);
    EXPECT_EQ(ControlPolicy::declined(&agrees, "X"), "");
    EXPECT_TRUE(agrees.asked);
    Safety declines(true, E_FAIL);
    EXPECT_NE(ControlPolicy::declined(&declines, "X").find("does not declare itself safe"), std::string::npos);
    Safety silent(false, S_OK);
    EXPECT_NE(ControlPolicy::declined(&silent, "X"), "");
}

} // namespace
