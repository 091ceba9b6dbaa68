// Camera operation through the test container: clicks, the digital zoom,
// the optical zoom gestures and the cursor rules, on the virtual clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "operation/ZoomController.h"
#include "platform/window/Cursor.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamClient.h"
#include "tests/support/TestContainer.h"

namespace {

LPARAM at(int x, int y) { return MAKELPARAM(x, y); }

class Operation : public ::testing::Test {
protected:
    void embed(const Params& params)
    {
        c.embed(params);
        // Playing the worker's part: the client knows its camera.
        StreamBufferBlock* b = c.ctrl()->m_pStreamBuffer->GetBlock();
        b->host = static_cast<char*>(std::malloc(16));
        std::snprintf(b->host, 16, "cam.example");
        b->port = 80;
    }
    void tick(int n = 1) { c.advance(static_cast<std::uint64_t>(n) * TIMER_TICK_PERIOD_MS); }
    LRESULT send(UINT message, WPARAM w = 0, LPARAM l = 0) { return SendMessageA(c.hwnd(), message, w, l); }
    void rightDown(int x, int y)
    {
        c.input().setKeyDown(VK_RBUTTON, true);
        send(WM_SETCURSOR);
        send(WM_RBUTTONDOWN, MK_RBUTTON, at(x, y));
    }
    void rightUp(int x, int y)
    {
        c.input().setKeyDown(VK_RBUTTON, false);
        send(WM_RBUTTONUP, 0, at(x, y));
    }
    void wheel(short delta) { send(WM_MOUSEWHEEL, MAKEWPARAM(0, delta), at(100, 100)); }
    std::vector<double> magEvents()
    {
        std::vector<double> out;
        for (const auto& e : c.events().events)
            if (e.dispid == eventidDZoomMagChanged) out.push_back(e.args[0].dblVal);
        return out;
    }
    std::vector<short> modeEvents()
    {
        std::vector<short> out;
        for (const auto& e : c.events().events)
            if (e.dispid == eventidModeChanged) out.push_back(e.args[0].iVal);
        return out;
    }

    TestContainer c;
};

// --- click-and-centre -------------------------------------------------

TEST_F(Operation, ClickAtMagnificationOneSendsTheClickedPixelAfterTheDoubleClickTime)
{
    embed({{"ClickAndCenter", "Real"}, {"ControlTarget", "nphControlCamera"}});
    c.input().setDoubleClickTimeMs(500);
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(100, 60));
    EXPECT_EQ(c.ctrl()->m_ptTargetCenter.x, 160);
    c.advance(499);
    EXPECT_TRUE(c.browser().navigations.empty());
    c.advance(1);
    ASSERT_EQ(c.browser().navigations.size(), 1u);
    EXPECT_EQ(c.browser().navigations[0].url,
              "http://cam.example/nphControlCamera?Direction=Direct&Width=320&Height=240&NewPosition.x=100&NewPosition.y=60&Language=0");
    EXPECT_EQ(c.browser().navigations[0].targetFrame, "Message");
    c.advance(2000);
    EXPECT_EQ(c.browser().navigations.size(), 1u);
}

TEST_F(Operation, ClicksInsideAMagnifiedWindowOnlyPanItAndTheRestIsSent)
{
    embed({{"ClickAndCenter", "Real"}, {"DigitalZoom", "Enable"}});
    c.ctrl()->m_dZoomMag = c.ctrl()->m_dZoomTarget = 4.0;
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(300, 200));
    EXPECT_EQ(c.ctrl()->m_ptTargetCenter.x, 230);
    EXPECT_EQ(c.ctrl()->m_ptTargetCenter.y, 160);
    c.advance(1000);
    EXPECT_TRUE(c.browser().navigations.empty());
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(300, 200));
    EXPECT_EQ(c.ctrl()->m_ptTargetCenter.x, 240);
    EXPECT_EQ(c.ctrl()->m_ptTargetCenter.y, 180);
    c.advance(1000);
    ASSERT_EQ(c.browser().navigations.size(), 1u);
    EXPECT_NE(c.browser().navigations[0].url.find("NewPosition.x=220&NewPosition.y=140"), std::string::npos);
}

TEST_F(Operation, UrlFormsEmptyTargetOtherPortNegativeLanguage)
{
    embed({{"ClickAndCenter", "Real"}, {"Language", "-2"}});
    c.ctrl()->m_pStreamBuffer->GetBlock()->port = 8080;
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(10, 20));
    c.advance(1000);
    ASSERT_EQ(c.browser().navigations.size(), 1u);
    EXPECT_EQ(c.browser().navigations[0].url,
              "http://cam.example:8080/?Direction=Direct&Width=320&Height=240&NewPosition.x=10&NewPosition.y=20&Language=-2");
}

TEST_F(Operation, EmulateNeverNavigatesAndTheCentrePixelSendsNothing)
{
    embed({{"ClickAndCenter", "Emulate"}});
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(10, 20));
    c.advance(1000);
    EXPECT_TRUE(c.browser().navigations.empty());
    TestContainer real;
    real.embed({{"ClickAndCenter", "Real"}});
    SendMessageA(real.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at(160, 120));
    real.advance(1000);
    EXPECT_TRUE(real.browser().navigations.empty());
}

TEST_F(Operation, DoubleClickSendsOnceAndQuickClicksSendTheLast)
{
    embed({{"ClickAndCenter", "Real"}});
    c.input().setDoubleClickTimeMs(400);
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(10, 10));
    c.advance(100);
    send(WM_LBUTTONDBLCLK, MK_LBUTTON, at(10, 10)); // the second press of a double click
    c.advance(300);
    ASSERT_EQ(c.browser().navigations.size(), 1u);
    EXPECT_NE(c.browser().navigations[0].url.find("NewPosition.x=10&"), std::string::npos);
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(20, 20));
    c.advance(300);
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(30, 30));
    c.advance(399);
    EXPECT_EQ(c.browser().navigations.size(), 1u);
    c.advance(1);
    ASSERT_EQ(c.browser().navigations.size(), 2u);
    EXPECT_NE(c.browser().navigations[1].url.find("NewPosition.x=30&"), std::string::npos);
}

// --- digital zoom -------------------------------------------------------

TEST_F(Operation, MagnificationClimbsByStepsAndReportsEachNewCeiling)
{
    embed({{"DigitalZoom", "Enable"}});
    c.ctrl()->m_pStreamClient->PublishState(STREAM_FAILED); // no phase-0 start events
    c.ctrl()->m_dZoomTarget = 3.0;
    tick();
    EXPECT_DOUBLE_EQ(c.ctrl()->m_dZoomMag, 1.8);
    tick();
    EXPECT_DOUBLE_EQ(c.ctrl()->m_dZoomMag, 3.0);
    // One event for 1.8 (ceiling 2) and one for 3.0 (ceiling 3).
    EXPECT_EQ(magEvents(), (std::vector<double>{1.8, 3.0}));
}

TEST_F(Operation, WheelStepsTheTargetByATenthPerNotch)
{
    embed({{"DigitalZoom", "Enable"}});
    c.ctrl()->m_dZoomTarget = c.ctrl()->m_dZoomMag = 2.0;
    wheel(120);
    EXPECT_NEAR(c.ctrl()->m_dZoomTarget, 2.1, 1e-9);
    EXPECT_EQ(c.ctrl()->m_nLabelTicks, 50);
    c.ctrl()->m_pStreamClient->PublishState(STREAM_FAILED); // no phase-0 events
    const size_t before = magEvents().size();
    tick();
    EXPECT_EQ(magEvents().size(), before + 1); // 2.0 to 2.1 crosses a ceiling
    wheel(120);
    tick();
    EXPECT_EQ(magEvents().size(), before + 1); // 2.1 to 2.2 does not
    wheel(60);
    EXPECT_NEAR(c.ctrl()->m_dZoomTarget, 2.2, 1e-9); // less than a notch does nothing
}

TEST_F(Operation, RateFromPositionHasADeadBandAroundTheMiddle)
{
    embed({{"DigitalZoom", "Enable"}});
    EXPECT_EQ(c.ctrl()->RateFromPosition(120), 0.0);
    EXPECT_EQ(c.ctrl()->RateFromPosition(100), 0.0); // r = 0.083
    EXPECT_NEAR(c.ctrl()->RateFromPosition(48), 0.3, 1e-9);
    EXPECT_EQ(c.ctrl()->RateFromPosition(0), 1.0);
    EXPECT_EQ(c.ctrl()->RateFromPosition(300), -1.0);
}

TEST_F(Operation, ZoomingOutNearACornerPullsTheCentreIn)
{
    embed({{"DigitalZoom", "Enable"}});
    c.ctrl()->m_pStreamClient->PublishState(STREAM_FAILED);
    c.ctrl()->m_dZoomMag = c.ctrl()->m_dZoomTarget = 4.0;
    c.ctrl()->m_ptViewCenter = c.ctrl()->m_ptTargetCenter = POINT{240, 180};
    c.ctrl()->m_dZoomTarget = 1.0;
    tick();
    // m = 3.2: window 178 x 134, so the centre must stay within 89..231 and 67..173.
    EXPECT_DOUBLE_EQ(c.ctrl()->m_dZoomMag, 3.2);
    EXPECT_EQ(c.ctrl()->m_ptViewCenter.x, 231);
    EXPECT_EQ(c.ctrl()->m_ptViewCenter.y, 173);
    EXPECT_EQ(c.ctrl()->m_ptTargetCenter.x, 231);
}

TEST_F(Operation, ResolutionCheckSwitchesUpPastFourAndBack)
{
    embed({{"DigitalZoom", "Enable"}, {"UseChangeResolution", "Enable"}, {"ImagePath", "?Resolution=320x240&Quality=Standard"}});
    auto* ctrl = c.ctrl();
    ctrl->m_nViewPhase = PHASE_STREAMING;
    ctrl->m_dZoomMag = 4.5;
    ctrl->CheckResolution();
    EXPECT_EQ(ctrl->m_strImagePath, "?Resolution=640x480&Quality=Standard");
    EXPECT_EQ(ctrl->m_pStreamBuffer->GetBlock()->path, "?Resolution=640x480&Quality=Standard");
    EXPECT_EQ(ctrl->m_nViewPhase, PHASE_SWITCH_REQUESTED);
    ctrl->m_nViewPhase = PHASE_STREAMING;
    ctrl->m_nStreamWidth = 640;
    ctrl->m_nStreamHeight = 480;
    ctrl->m_dZoomMag = 4.0;
    ctrl->CheckResolution();
    EXPECT_EQ(ctrl->m_strImagePath, "?Resolution=320x240&Quality=Standard");
    EXPECT_EQ(ctrl->m_nViewPhase, PHASE_SWITCH_REQUESTED);
}

TEST_F(Operation, NoSwitchingAtBaseSize640)
{
    embed({{"DigitalZoom", "Enable"}, {"UseChangeResolution", "Enable"}, {"ImageWidth", "640"}, {"ImageHeight", "480"},
           {"ImagePath", "?Resolution=640x480"}});
    EXPECT_EQ(c.ctrl()->m_bResolutionSwitch, 0);
    c.ctrl()->m_nViewPhase = PHASE_STREAMING;
    c.ctrl()->m_dZoomMag = 9.0;
    c.ctrl()->CheckResolution();
    EXPECT_EQ(c.ctrl()->m_strImagePath, "?Resolution=640x480");
    EXPECT_EQ(c.ctrl()->m_nViewPhase, PHASE_STREAMING);
}

// --- optical zoom -------------------------------------------------------

TEST_F(Operation, SpeedFromPosition)
{
    embed({{"ControlZoom", "Enable"}});
    EXPECT_EQ(c.ctrl()->SpeedFromPosition(48), 217);
    EXPECT_EQ(c.ctrl()->SpeedFromPosition(150), -90);
    EXPECT_EQ(c.ctrl()->SpeedFromPosition(0), 362);
    EXPECT_EQ(c.ctrl()->SpeedFromPosition(100), 0);
    TestContainer slow;
    slow.embed({{"ControlZoom", "Enable"}, {"minSpeed", "100"}});
    EXPECT_EQ(slow.ctrl()->SpeedFromPosition(150), -100); // 90 is below minSpeed
}

TEST_F(Operation, OneWheelNotchSendsSpeed120ThenStopsOnThe29thTickAfter)
{
    embed({{"ControlZoom", "Enable"}});
    c.ctrl()->m_pStreamClient->PublishState(STREAM_FAILED);
    wheel(120);
    EXPECT_EQ(c.ctrl()->m_nZoomSpeed, 120);
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomSend);
    tick();
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomWheel);
    EXPECT_EQ(c.ctrl()->m_nWheelHoldTicks, 14);
    EXPECT_EQ(c.ctrl()->m_nWheelStopTicks, 28);
    tick(27);
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomWheel);
    tick();
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomStop);
    tick(); // the 29th tick after the command: the stop
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomIdle);
}

TEST_F(Operation, FastWheelTurnsAccelerateTheNextBurst)
{
    embed({{"ControlZoom", "Enable"}});
    c.ctrl()->m_pStreamClient->PublishState(STREAM_FAILED);
    wheel(120);
    tick();
    for (int i = 0; i < 5; ++i) wheel(120);
    EXPECT_NEAR(c.ctrl()->m_dWheelAccel, 1.5, 1e-6);
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomWheel); // held back for now
    tick(14);
    wheel(-120);
    EXPECT_NEAR(c.ctrl()->m_dWheelAccel, 1.6, 1e-6);
    EXPECT_EQ(c.ctrl()->m_nZoomSpeed, static_cast<SHORT>(-static_cast<int>(120 * 1.6)));
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomSend);
}

TEST_F(Operation, RightReleaseDuringAWheelBurstChangesNothing)
{
    embed({{"ControlZoom", "Enable"}});
    wheel(120);
    tick();
    rightDown(100, 48); // ignored: not idle
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomWheel);
    rightUp(100, 48);
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomWheel);
    EXPECT_EQ(c.ctrl()->m_nZoomSpeed, 120);
}

TEST_F(Operation, RightGestureSendsOnPressFollowsAfterTheHoldAndStopsOnRelease)
{
    embed({{"ControlZoom", "Enable"}});
    c.ctrl()->m_pStreamClient->PublishState(STREAM_FAILED);
    rightDown(100, 48);
    EXPECT_EQ(c.ctrl()->m_nZoomSpeed, 217);
    tick();
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomFollow);
    send(WM_MOUSEMOVE, MK_RBUTTON, at(100, 0));
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomFollow); // held back for 15 ticks
    tick(15);
    send(WM_MOUSEMOVE, MK_RBUTTON, at(100, 0));
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomSend);
    EXPECT_EQ(c.ctrl()->m_nZoomSpeed, 362);
    rightUp(100, 0);
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomStop);
    tick();
    EXPECT_EQ(c.ctrl()->m_nOpticalState, ZoomIdle);
}

// --- the cursor and ModeChanged ------------------------------------------

TEST_F(Operation, CursorFollowsModeAndSign)
{
    embed({{"DigitalZoom", "Enable"}});
    HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    send(WM_SETCURSOR);
    EXPECT_EQ(GetCursor(), hand);
    rightDown(100, 10); // above the middle: zooming in
    EXPECT_EQ(GetCursor(), c.ctrl()->m_hZoomInIcon ? c.ctrl()->m_hZoomInIcon : GetCursor());
    EXPECT_GT(c.ctrl()->m_dZoomRate, 0);
    rightUp(100, 10);
    send(WM_SETCURSOR);
    EXPECT_EQ(GetCursor(), hand);
}

TEST_F(Operation, ClickOffWithoutZoomLeavesTheCursorToTheWindow)
{
    embed({});
    SetCursor(nullptr);
    EXPECT_EQ(send(WM_SETCURSOR), FALSE);
    EXPECT_NE(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
    TestContainer off;
    off.embed({{"DigitalZoom", "Enable"}});
    EXPECT_EQ(SendMessageA(off.hwnd(), WM_SETCURSOR, 0, 0), TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
}

TEST_F(Operation, ModeChangedAlternatesAndPhaseFiveEndsTheGesture)
{
    embed({{"DigitalZoom", "Enable"}});
    rightDown(100, 100);
    send(WM_SETCURSOR);
    EXPECT_EQ(modeEvents(), (std::vector<short>{1}));
    c.ctrl()->m_nViewPhase = PHASE_ENDED;
    send(WM_SETCURSOR); // the button is still held
    EXPECT_EQ(modeEvents(), (std::vector<short>{1, 0}));
    send(WM_SETCURSOR);
    EXPECT_EQ(modeEvents(), (std::vector<short>{1, 0}));
}

TEST_F(Operation, SwappedButtonsUseThePhysicalLeftButton)
{
    embed({{"DigitalZoom", "Enable"}});
    c.input().setButtonsSwapped(true);
    c.input().setKeyDown(VK_LBUTTON, true);
    send(WM_RBUTTONDOWN, MK_RBUTTON, at(100, 10));
    EXPECT_GT(c.ctrl()->m_dZoomRate, 0);
    EXPECT_EQ(c.ctrl()->m_nLabelTicks, 50);
}

TEST_F(Operation, PhaseFiveIgnoresThePicture)
{
    embed({{"DigitalZoom", "Enable"}, {"ClickAndCenter", "Real"}});
    c.ctrl()->m_nViewPhase = PHASE_ENDED;
    rightDown(100, 10);
    EXPECT_EQ(c.ctrl()->m_dZoomRate, 0.0);
    EXPECT_EQ(send(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), at(1, 1)), TRUE);
    EXPECT_EQ(c.ctrl()->m_dZoomTarget, 1.0);
    send(WM_LBUTTONDOWN, MK_LBUTTON, at(10, 10));
    c.advance(1000);
    EXPECT_TRUE(c.browser().navigations.empty());
}

// --- the zoom controller ------------------------------------------------

TEST(ZoomController, KeepsTheWholeHostNameOrNoneAndRequestsNeedIt)
{
    CZoomController zoom(362, 5, 4200, 100);
    EXPECT_EQ(zoom.Request(100, 100, 0), -1);
    char host[ZOOM_HOST_SIZE];
    int port = 0;
    // A name past 63 characters is kept whole: cut, it would name another host.
    const std::string longHost = std::string(60, 'c') + ".cameras.example.com";
    zoom.SetCamera(longHost.c_str(), static_cast<int>(longHost.size()), 8080);
    zoom.GetCamera(host, port);
    EXPECT_EQ(std::string(host), longHost);
    EXPECT_EQ(port, 8080);
    // A name that cannot be held is not kept in part: no command can go.
    const std::string tooLong(ZOOM_HOST_SIZE, 'h');
    zoom.SetCamera(tooLong.c_str(), static_cast<int>(tooLong.size()), 80);
    zoom.GetCamera(host, port);
    EXPECT_STREQ(host, "");
    EXPECT_EQ(zoom.Request(100, 100, 0), -1);
}

} // namespace
