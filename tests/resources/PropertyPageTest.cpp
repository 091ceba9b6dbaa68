// The control's property page as a frame drives it: what it tells the frame
// (title from the module's string table, size, description; strings in task
// memory that the frame frees), the order of its window calls, and the
// references it holds to its site and objects.
#include <gtest/gtest.h>

#include "control/ImagePropPage.h"
#include "platform/com/ComCreation.h"
#include "platform/framework/OleControl.h"
#include "resources/ImageCtrlResources.h"
#include "tests/support/ComObject.h"
#include "platform/com/linux/StandInCom.h"

namespace {

class Counted final : public ComObject, public IUnknown {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override { return answer(riid, ppv, {{&IID_IUnknown, this}}); }
    VE_TEST_IUNKNOWN
};

class PageSite final : public ComObject, public IPropertyPageSite {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override { return answer(riid, ppv, {{&IID_IUnknown, this}}); }
    VE_TEST_IUNKNOWN
    HRESULT OnStatusChange(DWORD) override { return S_OK; }
    HRESULT GetLocaleID(LCID* id) override
    {
        *id = 0x0409;
        return S_OK;
    }
    HRESULT GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(MSG*) override { return S_FALSE; }
};

class PropertyPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_saved = AfxGetResourceHandle();
        RegisterImageCtrlResources(module());
        AfxSetResourceHandle(module());
        page = new CImagePropPage;
    }
    void TearDown() override
    {
        if (page) page->Release();
        AfxSetResourceHandle(m_saved);
        UnregisterImageCtrlResources(module());
    }
    static HINSTANCE module()
    {
        static char anchor;
        return reinterpret_cast<HINSTANCE>(&anchor);
    }
    IPropertyPage* page = nullptr;

private:
    HINSTANCE m_saved = nullptr;
};

std::string text(LPCOLESTR s) { return s ? standin::Utf16ToUtf8(std::u16string_view(s)) : std::string("(null)"); }

} // namespace

TEST_F(PropertyPage, InfoIsTheCaptionTheDialogsSizeAndItsTextInTaskMemory)
{
    PROPPAGEINFO info{};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(info.cb, sizeof(PROPPAGEINFO));
    EXPECT_EQ(text(info.pszTitle), "General");
    EXPECT_EQ(text(info.pszDocString), kPropPageDialog.text);
    EXPECT_EQ(info.pszHelpFile, nullptr);
    EXPECT_EQ(info.dwHelpContext, 0u);
    EXPECT_EQ(info.size.cx, 250);
    EXPECT_EQ(info.size.cy, 62);
    // Each call hands over fresh strings: freeing one set leaves the next whole.
    PROPPAGEINFO again{};
    ASSERT_EQ(page->GetPageInfo(&again), S_OK);
    EXPECT_NE(again.pszTitle, info.pszTitle);
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);
    EXPECT_EQ(text(again.pszTitle), "General");
    CoTaskMemFree(again.pszTitle);
    CoTaskMemFree(again.pszDocString);
    EXPECT_EQ(page->GetPageInfo(nullptr), E_POINTER);
}

TEST_F(PropertyPage, WindowCallsFollowActivation)
{
    const RECT area{0, 0, 250, 62};
    MSG msg{};
    // Nothing to show, move or navigate before the frame activates the page.
    EXPECT_EQ(page->Show(SW_SHOW), E_UNEXPECTED);
    EXPECT_EQ(page->Move(&area), E_UNEXPECTED);
    EXPECT_EQ(page->TranslateAccelerator(&msg), E_UNEXPECTED);
    EXPECT_EQ(page->Deactivate(), E_UNEXPECTED);
    EXPECT_EQ(page->Activate(nullptr, nullptr, TRUE), E_POINTER);

    ASSERT_EQ(page->Activate(nullptr, &area, TRUE), S_OK);
    EXPECT_EQ(page->Activate(nullptr, &area, TRUE), E_UNEXPECTED); // once
    EXPECT_EQ(page->Show(SW_SHOW), S_OK);
    EXPECT_EQ(page->Move(&area), S_OK);
    EXPECT_EQ(page->Move(nullptr), E_POINTER);
    EXPECT_EQ(page->TranslateAccelerator(&msg), S_FALSE); // not the page's key
    EXPECT_EQ(page->Show(SW_HIDE), S_OK);
    EXPECT_EQ(page->IsPageDirty(), S_FALSE);
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(page->Help(nullptr), E_NOTIMPL);
    ASSERT_EQ(page->Deactivate(), S_OK);

    EXPECT_EQ(page->Show(SW_SHOW), E_UNEXPECTED);
    // A frame may activate a page again after deactivating it.
    EXPECT_EQ(page->Activate(nullptr, &area, FALSE), S_OK);
    // Released while active: the page goes with its window state.
}

TEST_F(PropertyPage, HoldsItsSiteAndObjectsUntilToldOtherwiseOrReleased)
{
    auto* site = new PageSite;
    auto* object = new Counted;
    ASSERT_EQ(page->SetPageSite(site), S_OK);
    IUnknown* objects[] = {object, nullptr};
    ASSERT_EQ(page->SetObjects(2, objects), S_OK);
    EXPECT_EQ(site->refs(), 2u);
    EXPECT_EQ(object->refs(), 2u);
    EXPECT_EQ(page->SetObjects(1, nullptr), E_POINTER);
    EXPECT_EQ(object->refs(), 2u);

    // The frame's goodbye: no objects, no site.
    ASSERT_EQ(page->SetObjects(0, nullptr), S_OK);
    ASSERT_EQ(page->SetPageSite(nullptr), S_OK);
    EXPECT_EQ(site->refs(), 1u);
    EXPECT_EQ(object->refs(), 1u);

    // A frame that forgets: the page lets go when it is released.
    page->SetPageSite(site);
    page->SetObjects(1, objects);
    page->Release();
    page = nullptr;
    EXPECT_EQ(site->refs(), 1u);
    EXPECT_EQ(object->refs(), 1u);
    site->Release();
    object->Release();
}
