// The tick: its guards, the order of its steps, the label countdown and the
// stream step by state and view phase.
#include <gtest/gtest.h>

#include "stream/StreamClient.h"
#include "tests/support/JpegFactory.h"
#include "tests/support/TestContainer.h"

namespace {

class Tick : public ::testing::Test {
protected:
    void SetUp() override { c.embed(); }
    CStreamClient& client() { return *c.ctrl()->m_pStreamClient; }
    int magEvents() { return c.events().count(eventidDZoomMagChanged); }
    void tick() { c.advance(TIMER_TICK_PERIOD_MS); }

    TestContainer c;
};

TEST_F(Tick, IdleInPhaseZeroStartsTheStreamOnEveryTickWhilePrepareFails)
{
    c.advance(10 * TIMER_TICK_PERIOD_MS);
    ASSERT_EQ(magEvents(), 10);
    for (const auto& e : c.events().events) {
        if (e.dispid != eventidDZoomMagChanged) continue;
        ASSERT_EQ(e.args.size(), 1u);
        EXPECT_EQ(e.args[0].vt, VT_R8);
        EXPECT_EQ(e.args[0].dblVal, 1.0);
    }
    EXPECT_EQ(client().GetState(), STREAM_IDLE);
}

TEST_F(Tick, NoTickArrivesBeforeItsPeriod)
{
    c.advance(TIMER_TICK_PERIOD_MS - 1);
    EXPECT_EQ(magEvents(), 0);
    c.advance(1);
    EXPECT_EQ(magEvents(), 1);
}

TEST_F(Tick, ChangedErrorFlagsOnlyRepaint)
{
    c.ctrl()->m_nLabelTicks = 10;
    client().PublishError(ERR_STATUS, 0);
    const int before = c.site().invalidations;
    c.clock().advanceMs(TIMER_TICK_PERIOD_MS);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, c.hwnd(), 0, 0, PM_REMOVE));
    DispatchMessageA(&msg);
    EXPECT_EQ(c.site().invalidations, before + 1);
    EXPECT_EQ(c.ctrl()->m_nLabelTicks, 10);
    EXPECT_EQ(magEvents(), 0);

    // The repaint shows the error and remembers the flags; the next tick
    // goes on as usual.
    const auto texts = c.paint();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, " Error Code(4000 / 0)\n");
    EXPECT_EQ(c.ctrl()->m_lShownError, 0x4000);
    tick();
    EXPECT_EQ(c.ctrl()->m_nLabelTicks, 9);
    EXPECT_EQ(magEvents(), 1);
}

TEST_F(Tick, AnErrorAfterAPictureKeepsThePictureAndTheTickGoesOn)
{
    // A reconnect that fails after pictures were shown: the last picture
    // stays without an error text, and one repaint is all the error costs.
    c.putFrame(MakeJpeg(320, 240, [](int, int) { return Rgb{0, 0, 255}; }));
    c.paint();
    client().PublishState(STREAM_FAILED);
    c.ctrl()->m_nViewPhase = PHASE_WAITING_FIRST_FRAME;
    c.ctrl()->m_nLabelTicks = 10;
    client().PublishError(ERR_STATUS, 0);
    const int paints = c.paints();
    tick(); // only repaints (the container paints what was invalidated)
    EXPECT_EQ(c.ctrl()->m_nLabelTicks, 10);
    EXPECT_EQ(c.paints(), paints + 1);
    EXPECT_EQ(c.ctrl()->m_lShownError, 0x4000);
    for (const auto& text : c.paint()) EXPECT_EQ(text.text.find("Error"), std::string::npos); // no error text
    const int after = c.paints();
    for (int i = 0; i < 5; ++i) tick();
    EXPECT_EQ(c.ctrl()->m_nLabelTicks, 5);
    EXPECT_EQ(c.paints(), after);
    EXPECT_NE(c.ctrl()->m_pImage, nullptr);
}

TEST_F(Tick, ChangedErrorFlagsSkipTheClickTimerToo)
{
    client().PublishError(ERR_RESOLVE, 11001);
    const int before = c.site().invalidations;
    SendMessageA(c.hwnd(), WM_TIMER, TIMER_CLICK, 0);
    EXPECT_EQ(c.site().invalidations, before + 1);
}

TEST_F(Tick, StatusTextBeforeAnyFrame)
{
    const auto texts = c.paint();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Connecting...");
    EXPECT_EQ(texts[0].rect.left, 0);
    EXPECT_EQ(texts[0].rect.right, 320);
}

TEST_F(Tick, ErrorTextShowsFlagsInHexAndCodeInDecimal)
{
    client().PublishError(ERR_CONNECT, 10061);
    const auto texts = c.paint();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, " Error Code(2000 / 10061)\n");
}

TEST_F(Tick, LabelStaysWhileTheSecondaryButtonIsHeldAndGoes49TicksAfterRelease)
{
    c.ctrl()->m_nLabelTicks = 50;
    c.input().setKeyDown(VK_RBUTTON, true);
    for (int i = 0; i < 100; ++i) {
        tick();
        ASSERT_EQ(c.ctrl()->m_nLabelTicks, 49);
    }
    c.input().setKeyDown(VK_RBUTTON, false);
    for (int i = 0; i < 48; ++i) tick();
    EXPECT_EQ(c.ctrl()->m_nLabelTicks, 1);
    tick();
    EXPECT_EQ(c.ctrl()->m_nLabelTicks, 0);
    tick();
    EXPECT_EQ(c.ctrl()->m_nLabelTicks, 0);
}

TEST_F(Tick, HeldButtonDoesNotArmAnIdleLabel)
{
    c.input().setKeyDown(VK_RBUTTON, true);
    tick();
    EXPECT_EQ(c.ctrl()->m_nLabelTicks, 0);
}

TEST_F(Tick, SwappedButtonsMakeThePhysicalLeftButtonTheSecondary)
{
    c.input().setButtonsSwapped(true);
    c.input().setKeyDown(VK_RBUTTON, true);
    EXPECT_FALSE(c.ctrl()->IsSecondaryButtonHeld());
    c.input().setKeyDown(VK_LBUTTON, true);
    EXPECT_TRUE(c.ctrl()->IsSecondaryButtonHeld());
    c.ctrl()->m_nLabelTicks = 50;
    tick();
    tick();
    EXPECT_EQ(c.ctrl()->m_nLabelTicks, 49);
}

TEST_F(Tick, EndedStreamStartsNothing)
{
    c.ctrl()->m_nViewPhase = PHASE_ENDED;
    c.advance(20 * TIMER_TICK_PERIOD_MS);
    EXPECT_EQ(magEvents(), 0);
}

TEST_F(Tick, ResolutionSwitchPhasesCloseAndReopen)
{
    client().PublishState(STREAM_STREAMING);
    c.ctrl()->m_nViewPhase = PHASE_SWITCH_REQUESTED;
    tick();
    EXPECT_EQ(client().GetState(), STREAM_IDLE);
    EXPECT_EQ(c.ctrl()->m_nViewPhase, PHASE_WAITING_RECONNECT);
    tick(); // idle in phase 3: prepare again, without the phase-0 event
    EXPECT_EQ(magEvents(), 0);
    EXPECT_EQ(c.ctrl()->m_nViewPhase, PHASE_WAITING_RECONNECT);
    client().PublishState(STREAM_STREAMING);
    tick();
    EXPECT_EQ(c.ctrl()->m_nViewPhase, PHASE_WAITING_FIRST_FRAME);
}

TEST_F(Tick, AFailedConnectionIsLeftAlone)
{
    client().PublishState(STREAM_FAILED);
    c.ctrl()->m_nViewPhase = PHASE_SWITCH_REQUESTED;
    c.advance(10 * TIMER_TICK_PERIOD_MS);
    EXPECT_EQ(client().GetState(), STREAM_FAILED);
    EXPECT_EQ(c.ctrl()->m_nViewPhase, PHASE_SWITCH_REQUESTED);
    EXPECT_EQ(magEvents(), 0);
}

TEST_F(Tick, NothingHappensOnceTheControlIsBeingDestroyed)
{
    c.ctrl()->m_bDestroying = TRUE;
    c.ctrl()->m_nLabelTicks = 5;
    client().PublishError(ERR_STATUS, 0);
    const int before = c.site().invalidations;
    c.advance(5 * TIMER_TICK_PERIOD_MS);
    EXPECT_EQ(magEvents(), 0);
    EXPECT_EQ(c.ctrl()->m_nLabelTicks, 5);
    EXPECT_EQ(c.site().invalidations, before);
    c.ctrl()->m_bDestroying = FALSE;
}

TEST_F(Tick, StopEndsAFailingStartUpAndTheTick)
{
    // No page address: every tick in phase 0 starts again and reports.
    c.advance(3 * TIMER_TICK_PERIOD_MS);
    ASSERT_EQ(magEvents(), 3);
    c.ctrl()->m_bStopped = TRUE;
    c.advance(10 * TIMER_TICK_PERIOD_MS);
    EXPECT_EQ(magEvents(), 3);
    EXPECT_EQ(c.ctrl()->m_nTimerId, 0u);
    EXPECT_EQ(client().GetState(), STREAM_IDLE);
}

TEST(TickStop, StopDuringAResolutionSwitchLeavesTheConnectionClosed)
{
    // Each case: the view phase and stream state when Stop comes. The page
    // names a camera, so a new preparation would leave the idle state.
    const struct {
        ViewPhase phase;
        StreamState state;
    } cases[] = {
        {PHASE_SWITCH_REQUESTED, STREAM_STREAMING}, // the old connection still open
        {PHASE_WAITING_RECONNECT, STREAM_IDLE},     // closed, not yet prepared again
        {PHASE_WAITING_RECONNECT, STREAM_STREAMING}, // the new connection open
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message() << "phase " << static_cast<int>(k.phase) << " state "
            << static_cast<LONG>(k.state));
        TestContainer c;
        c.browser().locationUrl = "http://127.0.0.1:9/ImageViewer?Resolution=320x240";
        c.embed({{"ImagePath", "?Resolution=320x240"}});
        CStreamClient& client = *c.ctrl()->m_pStreamClient;
        client.PublishState(k.state);
        c.ctrl()->m_nViewPhase = k.phase;
        c.ctrl()->m_bStopped = TRUE;
        c.advance(10 * TIMER_TICK_PERIOD_MS);
        EXPECT_EQ(client.GetState(), STREAM_IDLE);
        EXPECT_EQ(c.ctrl()->m_nTimerId, 0u);
        EXPECT_EQ(c.events().count(eventidDZoomMagChanged), 0);
    }
}

TEST_F(Tick, OtherTimerIdsDoNothing)
{
    c.ctrl()->m_nLabelTicks = 5;
    SendMessageA(c.hwnd(), WM_TIMER, 99, 0);
    EXPECT_EQ(c.ctrl()->m_nLabelTicks, 5);
    EXPECT_EQ(magEvents(), 0);
}

} // namespace
