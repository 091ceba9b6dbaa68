// Construction, siting, start-up and destruction of the control.
#include <gtest/gtest.h>

#include "platform/window/Cursor.h"
#include "platform/window/Window.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamClient.h"
#include "tests/support/TestContainer.h"
#include "platform/window/linux/StandInWindow.h"

namespace {

TEST(Lifecycle, ConstructionStartsNothing)
{
    TestContainer c;
    auto* ctrl = c.ctrl();
    EXPECT_EQ(ctrl->GetReadyState(), READYSTATE_UNINITIALIZED);
    EXPECT_EQ(ctrl->m_pStreamClient, nullptr);
    EXPECT_NE(ctrl->m_pStreamBuffer, nullptr);
    EXPECT_EQ(ctrl->m_nTimerId, 0u);
    EXPECT_EQ(c.hwnd(), nullptr);
    EXPECT_FALSE(standin::NextTimerDueMs().has_value());
    WORD id = 0;
    EXPECT_TRUE(standin::GetSystemCursorId(ctrl->m_hHandCursor, &id));
    EXPECT_EQ(id, IDC_HAND_ID);
    int cx = 0, cy = 0;
    ctrl->GetControlSize(&cx, &cy);
    EXPECT_EQ(cx, 320);
    EXPECT_EQ(cy, 240);
    EXPECT_STREQ(ctrl->GetRuntimeClassName(), "CImageCtrl");
}

TEST(Lifecycle, SitingMakesTheWindowBeforeAnyParameter)
{
    TestContainer c;
    c.siteControl();
    EXPECT_TRUE(IsWindow(c.hwnd()));
    EXPECT_EQ(c.ctrl()->m_pStreamClient, nullptr);
}

TEST(Lifecycle, FirstLoadLearnsTheBrowserAndStartsTheTick)
{
    TestContainer c;
    c.browser().locationUrl = "http://192.0.2.7:8080/ImageViewer?Resolution=640x480";
    c.embed();
    auto* ctrl = c.ctrl();
    ASSERT_NE(ctrl->m_pStreamClient, nullptr);
    EXPECT_EQ(ctrl->m_pStreamClient->GetState(), STREAM_IDLE);
    EXPECT_EQ(ctrl->m_hBrowserWnd, c.browser().hwnd);
    EXPECT_EQ(ctrl->m_pStreamClient->GetBrowserWindow(), c.browser().hwnd);
    EXPECT_NE(ctrl->m_pBrowser, nullptr);
    EXPECT_EQ(ctrl->m_pStreamBuffer->GetBlock()->pageUrl, "http://192.0.2.7:8080/ImageViewer?Resolution=640x480");
    EXPECT_EQ(ctrl->m_nTimerId, TIMER_TICK);
    ASSERT_TRUE(standin::NextTimerDueMs().has_value());
    EXPECT_EQ(*standin::NextTimerDueMs(), c.clock().nowMs() + TIMER_TICK_PERIOD_MS);
}

TEST(Lifecycle, WithoutServicesTheStreamStillStarts)
{
    TestContainer c;
    c.site().offersServiceProvider = false;
    c.embed();
    auto* ctrl = c.ctrl();
    ASSERT_NE(ctrl->m_pStreamClient, nullptr);
    EXPECT_EQ(ctrl->m_pBrowser, nullptr);
    EXPECT_EQ(ctrl->m_hBrowserWnd, nullptr);
    EXPECT_EQ(ctrl->m_pStreamBuffer->GetBlock()->pageUrl, "");
    EXPECT_EQ(ctrl->m_nTimerId, TIMER_TICK);
}

TEST(Lifecycle, MissingTopLevelBrowserLeavesOnlyTheWindowUnknown)
{
    TestContainer c;
    c.site().offersTopLevelBrowser = false;
    c.embed();
    EXPECT_EQ(c.ctrl()->m_hBrowserWnd, nullptr);
    EXPECT_NE(c.ctrl()->m_pBrowser, nullptr);
    EXPECT_NE(c.ctrl()->m_pStreamBuffer->GetBlock()->pageUrl, "");
}

TEST(Lifecycle, FailingLocationGivesNoPageUrl)
{
    TestContainer c;
    c.browser().locationFails = true;
    c.embed();
    EXPECT_EQ(c.ctrl()->m_pStreamBuffer->GetBlock()->pageUrl, "");
    EXPECT_NE(c.ctrl()->m_pBrowser, nullptr);
}

// Some containers load the properties before they give the site. The
// tick waits for the window that siting makes, and the browser is asked
// then, so the stream starts from the page's address as usual.
TEST(Lifecycle, PropertiesLoadedBeforeTheSiteStartTheTickAtSiting)
{
    TestContainer c;
    c.browser().locationUrl = "http://192.0.2.7:8080/ImageViewer";
    c.load({});
    ASSERT_NE(c.ctrl()->m_pStreamClient, nullptr);
    EXPECT_EQ(c.ctrl()->m_nTimerId, 0u);
    EXPECT_FALSE(standin::NextTimerDueMs().has_value());
    c.siteControl();
    EXPECT_EQ(c.ctrl()->m_nTimerId, TIMER_TICK);
    EXPECT_EQ(c.ctrl()->m_pStreamBuffer->GetBlock()->pageUrl, "http://192.0.2.7:8080/ImageViewer");
    EXPECT_EQ(c.ctrl()->m_hBrowserWnd, c.browser().hwnd);
    c.advance(100);
    EXPECT_GE(c.events().count(eventidDZoomMagChanged), 1);
    // Siting again starts nothing twice.
    c.siteControl();
    EXPECT_EQ(c.ctrl()->m_nTimerId, TIMER_TICK);
    c.destroy();
    EXPECT_FALSE(standin::NextTimerDueMs().has_value());
}

TEST(Lifecycle, DestructionEndsTheTickAndTheWindow)
{
    TestContainer c;
    c.embed();
    const HWND hwnd = c.hwnd();
    c.destroy();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(standin::NextTimerDueMs().has_value());
}

// The browser object is released by the control after the tick and the
// connection, and before the window: seen from a browser that only the
// control still holds.
TEST(Lifecycle, DestructionOrder)
{
    auto* browser = new TestBrowser;
    auto* site = new TestSite(browser);
    auto* ctrl = new ProbedImageCtrl;
    IOleObject* object = nullptr;
    ctrl->ExternalQueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object));
    object->SetClientSite(static_cast<IOleClientSite*>(site));
    IPersistPropertyBag* persist = nullptr;
    ctrl->ExternalQueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist));
    persist->InitNew();
    persist->Release();
    object->SetClientSite(nullptr);
    object->Release();
    site->Release(); // the site's reference to the browser goes with it

    const HWND hwnd = ctrl->GetSafeHwnd();
    CStreamClient* const* clientSlot = &ctrl->m_pStreamClient;
    bool windowAlive = false;
    bool tickKilled = false;
    bool clientGone = false;
    bool destroying = false;
    browser->onFinalRelease = [&] {
        windowAlive = IsWindow(hwnd);
        tickKilled = !standin::NextTimerDueMs().has_value();
        clientGone = *clientSlot == nullptr;
        destroying = ctrl->m_bDestroying;
    };
    browser->Release(); // now only the control holds it
    ctrl->ExternalRelease();
    EXPECT_TRUE(destroying);
    EXPECT_TRUE(tickKilled);
    EXPECT_TRUE(clientGone);
    EXPECT_TRUE(windowAlive);
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Lifecycle, RepeatedEmbedAndDestroyEndsEveryWorker)
{
    // The worker pauses between rounds; destruction wakes it and joins it.
    for (int i = 0; i < 20; ++i) {
        TestContainer c;
        c.embed();
        c.destroy();
    }
    SUCCEED();
}

} // namespace
