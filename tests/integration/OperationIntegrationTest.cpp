// Camera operation against camsim: the zoom commands the camera receives,
// the stop retries, dropped requests, destruction with commands in
// flight, and the whole resolution switch.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "image/Image.h"
#include "operation/ZoomController.h"
#include "platform/wininet/WinInet.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamClient.h"
#include "tests/integration/Processes.h"
#include "tests/support/TestContainer.h"

// The zoom workers' InternetOpenA, taken over by this test program (the
// platform is a shared library, so this definition comes first): it calls
// the platform's own and then, when a test has set a pause, holds the
// worker between opening its session and storing the handle.
namespace {
std::function<void()> g_afterZoomSessionOpened; // set while no worker runs
std::atomic<bool> g_pauseArmed{false};
} // namespace

HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags)
{
    using Open = HINTERNET (*)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
    static const Open platformOpen = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "_Z13InternetOpenAPKcjS0_S0_j"));
    if (!platformOpen) return nullptr;
    HINTERNET session = platformOpen(agent, accessType, proxy, proxyBypass, flags);
    if (agent && std::strcmp(agent, "Zoom Control") == 0 && g_pauseArmed.exchange(false)) g_afterZoomSessionOpened();
    return session;
}

namespace {

using namespace std::chrono_literals;

class ZoomCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("http_proxy");
        unsetenv("HTTP_PROXY");
    }
};

TEST_F(ZoomCommands, TheCameraReceivesMoveAndStopCommands)
{
    Camsim cam;
    CZoomController zoom(362, 5, 4200, 100);
    zoom.SetCamera("127.0.0.1", 9, cam.port());
    zoom.Request(217, 217, 0);
    ASSERT_TRUE(Eventually([&] { return cam.requests("nphPtzf").size() == 1; }));
    zoom.Request(90, -90, 0);
    ASSERT_TRUE(Eventually([&] { return cam.requests("nphPtzf").size() == 2; }));
    zoom.Request(0, 0, 1);
    ASSERT_TRUE(Eventually([&] { return cam.requests("nphPtzf").size() == 3; }));
    zoom.Request(0, 0, 0); // magnitude 0 goes as minSpeed
    ASSERT_TRUE(Eventually([&] { return cam.requests("nphPtzf").size() == 4; }));
    const auto sent = cam.requests("nphPtzf");
    EXPECT_NE(sent[0].find("/nphPtzf?Func=Set&ZoomMag=4200&ZoomSpeed=217&Sync=0"), std::string::npos) << sent[0];
    EXPECT_NE(sent[1].find("ZoomMag=100&ZoomSpeed=90&Sync=0"), std::string::npos) << sent[1];
    EXPECT_NE(sent[2].find("ZoomMag=32768&ZoomSpeed=0&Sync=0"), std::string::npos) << sent[2];
    EXPECT_NE(sent[3].find("ZoomMag=4200&ZoomSpeed=5&Sync=0"), std::string::npos) << sent[3];
}

TEST_F(ZoomCommands, ABusyCameraGetsTheStopFiveTimes)
{
    Camsim cam({"--zoom-busy", "10"});
    CZoomController zoom(362, 5, 4200, 100);
    zoom.SetCamera("127.0.0.1", 9, cam.port());
    zoom.Request(0, 0, 1);
    ASSERT_TRUE(Eventually([&] { return cam.requests("nphPtzf").size() >= 5 && zoom.GetWorkerState(0) == ZOOM_WORKER_IDLE; }));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(cam.requests("nphPtzf").size(), 5u);
    zoom.Request(100, 100, 0); // a move is not repeated
    ASSERT_TRUE(Eventually([&] { return cam.requests("nphPtzf").size() == 6; }));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(cam.requests("nphPtzf").size(), 6u);
}

TEST_F(ZoomCommands, AReplyLongerThanTheBufferIsReadWholeAndASplitMarkerCounts)
{
    // "Return:-2" starts 4 bytes before the end of the first 999-byte piece.
    Camsim cam({"--zoom-busy", "10", "--zoom-reply-pad", "995"});
    CZoomController zoom(362, 5, 4200, 100);
    zoom.SetCamera("127.0.0.1", 9, cam.port());
    zoom.Request(0, 0, 1);
    ASSERT_TRUE(Eventually([&] { return cam.requests("nphPtzf").size() >= 5 && zoom.GetWorkerState(0) == ZOOM_WORKER_IDLE; }));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(cam.requests("nphPtzf").size(), 5u);
}

TEST_F(ZoomCommands, AFourthRequestIsDroppedWhileThreeWait)
{
    Camsim cam({"--zoom-delay", "1500"});
    CZoomController zoom(362, 5, 4200, 100);
    zoom.SetCamera("127.0.0.1", 9, cam.port());
    for (int i = 0; i < 3; ++i) zoom.Request(100 + i, 100 + i, 0);
    ASSERT_TRUE(Eventually([&] {
        return zoom.GetWorkerState(0) == ZOOM_WORKER_PENDING && zoom.GetWorkerState(1) == ZOOM_WORKER_PENDING &&
               zoom.GetWorkerState(2) == ZOOM_WORKER_PENDING;
    }));
    zoom.Request(300, 300, 0); // dropped
    ASSERT_TRUE(Eventually([&] { return cam.requests("nphPtzf").size() == 3; }));
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(cam.requests("nphPtzf").size(), 3u);
    for (const auto& line : cam.requests("nphPtzf")) EXPECT_EQ(line.find("ZoomSpeed=300"), std::string::npos);
}

TEST_F(ZoomCommands, DestroyingWithCommandsInFlightEndsEveryWorker)
{
    Camsim cam({"--zoom-delay", "20000"});
    auto* zoom = new CZoomController(362, 5, 4200, 100);
    zoom->SetCamera("127.0.0.1", 9, cam.port());
    for (int i = 0; i < 3; ++i) zoom->Request(100, 100, 0);
    // camsim logs a request once it has answered: wait for the workers to be busy.
    ASSERT_TRUE(Eventually([&] {
        return zoom->GetWorkerState(0) == ZOOM_WORKER_PENDING && zoom->GetWorkerState(1) == ZOOM_WORKER_PENDING &&
               zoom->GetWorkerState(2) == ZOOM_WORKER_PENDING;
    }));
    std::this_thread::sleep_for(200ms); // the commands are out
    DestroyWithWatchdog([&] { delete zoom; }, "the zoom controller with three commands in flight");
}

TEST_F(ZoomCommands, DestroyingJustAfterAWorkerOpenedItsSessionDoesNotWaitForTheCamera)
{
    // The worker has passed its last look at the closing flag and holds a
    // new session whose handle nobody else knows yet, when the controller
    // is destroyed: the destructor finds no handle to close. The worker
    // must notice and not block in a request the camera answers 20 s later.
    Camsim cam({"--zoom-delay", "20000"});
    auto* zoom = new CZoomController(362, 5, 4200, 100);
    zoom->SetCamera("127.0.0.1", 9, cam.port());
    std::atomic<bool> opened{false};
    g_afterZoomSessionOpened = [&] {
        opened.store(true);
        while (!zoom->IsClosing()) std::this_thread::sleep_for(1ms);
        // The destructor ends the idle workers first, then closes this
        // worker's handles (none stored yet) and waits.
        std::this_thread::sleep_for(300ms);
    };
    g_pauseArmed.store(true);
    zoom->Request(100, 100, 0);
    ASSERT_TRUE(Eventually([&] { return opened.load(); }));
    DestroyWithWatchdog([&] { delete zoom; }, "the zoom controller while a worker opens its session");
    g_afterZoomSessionOpened = nullptr;
}

TEST_F(ZoomCommands, TheControlHandsTheCameraToItsZoomAndAWheelNotchReachesIt)
{
    Camsim cam({"--fps", "25"});
    TestContainer c;
    c.browser().locationUrl = cam.url("/ImageViewer?Resolution=320x240");
    c.embed({{"ImagePath", "?Resolution=320x240"}, {"ControlZoom", "Enable"}});
    c.advance(TIMER_TICK_PERIOD_MS); // the stream starts: the zoom learns the camera
    SendMessageA(c.hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(10, 10));
    c.runUntil([&] { return cam.requests("nphPtzf").size() >= 2; });
    const auto sent = cam.requests("nphPtzf");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[0].find("ZoomMag=4200&ZoomSpeed=120&Sync=0"), std::string::npos) << sent[0];
    EXPECT_NE(sent[1].find("ZoomMag=32768&ZoomSpeed=0"), std::string::npos) << sent[1];
}

// A control on camsim's stream with the camera's zoom, its zoom knowing
// the camera.
struct OpticalViewer {
    explicit OpticalViewer(const Camsim& cam, const char* zoom = "ControlZoom")
    {
        c.browser().locationUrl = cam.url("/ImageViewer?Resolution=320x240");
        c.embed({{"ImagePath", "?Resolution=320x240"}, {zoom, "Enable"}});
        c.advance(TIMER_TICK_PERIOD_MS);
    }
    void tick(int n = 1) { c.advance(static_cast<std::uint64_t>(n) * TIMER_TICK_PERIOD_MS); }
    bool streaming() { return c.runUntil([&] { return c.ctrl()->m_nViewPhase == PHASE_STREAMING; }); }
    // Lets camsim send the rest of a stream of a few frames and close it,
    // with no tick meanwhile; then ticks until the control has seen the end.
    bool streamEnds()
    {
        std::this_thread::sleep_for(1500ms);
        return c.runUntil([&] { return c.ctrl()->m_nViewPhase == PHASE_ENDED; });
    }
    void send(UINT message, WPARAM w, int x, int y) { SendMessageA(c.hwnd(), message, w, MAKELPARAM(x, y)); }
    void rightDown(int x, int y)
    {
        c.input().setKeyDown(VK_RBUTTON, true);
        send(WM_RBUTTONDOWN, MK_RBUTTON, x, y);
    }
    void rightUp(int x, int y)
    {
        c.input().setKeyDown(VK_RBUTTON, false);
        send(WM_RBUTTONUP, 0, x, y);
    }
    TestContainer c;
};

TEST_F(ZoomCommands, AStopThatFindsEveryWorkerBusyGoesOnceOneIsFree)
{
    Camsim cam({"--fps", "25", "--zoom-delay", "1000"});
    OpticalViewer v(cam);
    CZoomController& zoom = *v.c.ctrl()->m_pZoom;
    for (int i = 0; i < 3; ++i) zoom.Request(100, 100, 0);
    ASSERT_TRUE(Eventually([&] {
        return zoom.GetWorkerState(0) == ZOOM_WORKER_PENDING && zoom.GetWorkerState(1) == ZOOM_WORKER_PENDING &&
               zoom.GetWorkerState(2) == ZOOM_WORKER_PENDING;
    }));
    // A right-button gesture while all three wait: its move is dropped, its
    // stop is kept and goes once a worker is free.
    v.rightDown(100, 48);
    v.c.advance(TIMER_TICK_PERIOD_MS);
    v.rightUp(100, 48);
    v.c.advance(TIMER_TICK_PERIOD_MS);
    EXPECT_TRUE(zoom.HasPendingStop());
    ASSERT_TRUE(v.c.runUntil([&] { return !cam.requests("ZoomSpeed=0&").empty(); })) << cam.requests("nphPtzf").size();
    EXPECT_FALSE(zoom.HasPendingStop());
    const auto sent = cam.requests("nphPtzf");
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_NE(sent[3].find("ZoomMag=32768&ZoomSpeed=0&Sync=0"), std::string::npos) << sent[3];
}

TEST_F(ZoomCommands, AfterStopTheTickLastsUntilAKeptStopHasGone)
{
    Camsim cam({"--fps", "25", "--zoom-delay", "1000"});
    OpticalViewer v(cam);
    ASSERT_TRUE(v.streaming());
    v.rightDown(100, 48);
    v.tick(); // the move takes one worker
    CZoomController& zoom = *v.c.ctrl()->m_pZoom;
    zoom.Request(100, 100, 0);
    zoom.Request(100, 100, 0);
    ASSERT_TRUE(Eventually([&] {
        return zoom.GetWorkerState(0) == ZOOM_WORKER_PENDING && zoom.GetWorkerState(1) == ZOOM_WORKER_PENDING &&
               zoom.GetWorkerState(2) == ZOOM_WORKER_PENDING;
    }));
    v.c.ctrl()->m_bStopped = TRUE;
    v.tick();
    // The connection is closed, but the stop is still kept: the tick goes on.
    EXPECT_EQ(v.c.ctrl()->m_pStreamClient->GetState(), STREAM_IDLE);
    EXPECT_TRUE(zoom.HasPendingStop());
    EXPECT_NE(v.c.ctrl()->m_nTimerId, 0u);
    ASSERT_TRUE(v.c.runUntil([&] { return v.c.ctrl()->m_nTimerId == 0; }));
    ASSERT_TRUE(Eventually([&] { return cam.requests("nphPtzf").size() == 4; }));
    EXPECT_NE(cam.requests("nphPtzf")[3].find("ZoomMag=32768&ZoomSpeed=0&Sync=0"), std::string::npos);
    v.rightUp(100, 48);
}

TEST_F(ZoomCommands, StopDuringAHeldRightButtonOrAWheelBurstStopsTheCamera)
{
    for (const bool wheel : {false, true}) {
        SCOPED_TRACE(wheel ? "wheel burst" : "right button");
        Camsim cam({"--fps", "25"});
        OpticalViewer v(cam);
        ASSERT_TRUE(v.streaming());
        if (wheel)
            v.send(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 10, 10);
        else
            v.rightDown(100, 48);
        v.tick(); // the move goes
        ASSERT_TRUE(Eventually([&] { return cam.requests("nphPtzf").size() == 1; }));
        v.c.ctrl()->m_bStopped = TRUE; // the browser's Stop
        v.tick(3);
        EXPECT_EQ(v.c.ctrl()->m_nTimerId, 0u);
        ASSERT_TRUE(Eventually([&] { return cam.requests("nphPtzf").size() == 2; }));
        EXPECT_NE(cam.requests("nphPtzf")[1].find("ZoomMag=32768&ZoomSpeed=0&Sync=0"), std::string::npos);
        v.rightUp(100, 48); // nothing more to stop
        v.tick(3);
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(cam.requests("nphPtzf").size(), 2u);
    }
}

TEST_F(ZoomCommands, TheStreamsEndStopsAHeldRightButtonGesture)
{
    Camsim cam({"--fps", "25", "--frames", "10"});
    OpticalViewer v(cam);
    ASSERT_TRUE(v.streaming());
    v.rightDown(100, 48);
    v.tick();
    ASSERT_TRUE(v.streamEnds());
    // The release comes in phase 5, where the mouse is not looked at: the
    // stop has gone already.
    ASSERT_TRUE(Eventually([&] { return cam.requests("nphPtzf").size() == 2; }));
    const auto sent = cam.requests("nphPtzf");
    EXPECT_NE(sent[0].find("ZoomSpeed=217&"), std::string::npos) << sent[0];
    EXPECT_NE(sent[1].find("ZoomMag=32768&ZoomSpeed=0&Sync=0"), std::string::npos) << sent[1];
    v.rightUp(100, 48);
    v.tick(40);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(cam.requests("nphPtzf").size(), 2u);
}

TEST_F(ZoomCommands, TheStreamsEndStopsTheDigitalZoomRate)
{
    Camsim cam({"--fps", "25", "--frames", "10"});
    OpticalViewer v(cam, "DigitalZoom");
    ASSERT_TRUE(v.streaming());
    v.rightDown(100, 95); // zooming in slowly while held
    EXPECT_GT(v.c.ctrl()->m_dZoomRate, 0.0);
    ASSERT_TRUE(v.streamEnds());
    // The release will be ignored in phase 5: the rate must not drive the
    // magnification on.
    EXPECT_EQ(v.c.ctrl()->m_dZoomRate, 0.0);
    const double target = v.c.ctrl()->m_dZoomTarget;
    v.tick(20);
    EXPECT_EQ(v.c.ctrl()->m_dZoomTarget, target);
}

TEST_F(ZoomCommands, TheResolutionSwitchGoesUpPastFourAndBack)
{
    Camsim cam({"--fps", "25"});
    TestContainer c;
    c.browser().locationUrl = cam.url("/ImageViewer?Resolution=320x240");
    c.embed({{"ImagePath", "?Resolution=320x240&Quality=Standard"}, {"DigitalZoom", "Enable"}, {"UseChangeResolution", "Enable"}});
    auto run = [&](const std::function<bool()>& done) { return c.runUntil(done, 15s); };
    ASSERT_TRUE(run([&] { return c.ctrl()->m_nViewPhase == PHASE_STREAMING; }));
    c.ctrl()->m_dZoomTarget = 4.5;
    ASSERT_TRUE(run([&] {
        return c.ctrl()->m_nStreamWidth == 640 && c.ctrl()->m_nViewPhase == PHASE_STREAMING && c.ctrl()->m_pImage &&
               c.ctrl()->m_pImage->GetWidth() == 640;
    }));
    EXPECT_EQ(c.ctrl()->m_strImagePath, "?Resolution=640x480&Quality=Standard");
    EXPECT_EQ(c.ctrl()->m_bResolutionSwitch, 1);
    c.ctrl()->m_dZoomTarget = 3.5;
    ASSERT_TRUE(run([&] {
        return c.ctrl()->m_nStreamWidth == 320 && c.ctrl()->m_nViewPhase == PHASE_STREAMING && c.ctrl()->m_pImage &&
               c.ctrl()->m_pImage->GetWidth() == 320;
    }));
    EXPECT_EQ(c.ctrl()->m_strImagePath, "?Resolution=320x240&Quality=Standard");
    const auto streams = cam.requests("nphContinuousServerPush");
    ASSERT_EQ(streams.size(), 3u);
    EXPECT_NE(streams[1].find("Resolution=640x480"), std::string::npos);
    EXPECT_NE(streams[2].find("Resolution=320x240"), std::string::npos);
}

} // namespace
