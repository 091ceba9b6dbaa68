// When the viewer makes a camera's control again after its stream ended:
// the waits, what resets them, frozen pictures, the user's Stop, and the
// text shown over the last picture.
#include <gtest/gtest.h>

#include "host/core/Reconnect.h"

namespace {

using namespace std::chrono_literals;
using Clock = Reconnector::Clock;

const Clock::time_point t0 = Clock::now();
const std::time_t wall = 1'700'000'000;

TEST(Reconnect, WaitsDoubleUpToThirtySecondsWhileAttemptsFail)
{
    Reconnector r;
    r.resize(1);
    std::vector<long long> waits;
    Clock::time_point now = t0;
    for (int i = 0; i < 8; ++i) {
        const auto wait = r.status(0, " Error Code(4000 / 0)\n", now, wall);
        ASSERT_TRUE(wait);
        waits.push_back(wait->count());
        // Counted once, however often the control repeats its error.
        EXPECT_FALSE(r.status(0, " Error Code(4000 / 0)\n", now, wall));
        EXPECT_TRUE(r.due(now + *wait - 1ms).empty());
        EXPECT_EQ(r.untilDue(now), Clock::duration(*wait));
        now += *wait;
        EXPECT_EQ(r.due(now), std::vector<std::size_t>{0});
        EXPECT_EQ(r.attempts(0), i + 1);
        EXPECT_FALSE(r.untilDue(now));
    }
    EXPECT_EQ(waits, (std::vector<long long>{1000, 2000, 4000, 8000, 16000, 30000, 30000, 30000}));
    // A picture from the fresh control: the next end waits a second again.
    r.picture(0, now, wall);
    EXPECT_EQ(r.attempts(0), 0);
    EXPECT_EQ(r.status(0, " Error Code(2000 / 10061)\n", now, wall), 1000ms);
}

TEST(Reconnect, OnlyTheStreamsErrorEndsIt)
{
    Reconnector r;
    r.resize(2);
    for (const char* text : {"Connecting...", "", "Error Code(4000 / 0)", "frame"})
        EXPECT_FALSE(r.status(0, text, t0, wall)) << text;
    EXPECT_TRUE(r.status(1, " Error Code(8000 / 0)\n", t0, wall));
    EXPECT_FALSE(r.waiting(0));
    EXPECT_TRUE(r.waiting(1));
    // Cameras out of range are ignored, not grown into.
    EXPECT_FALSE(r.status(7, " Error Code(4000 / 0)\n", t0, wall));
    EXPECT_EQ(r.size(), 2u);
}

// A cancelled password prompt (flag 0x20) is the person's no: that camera
// waits for nothing and asks again only when told (Enter), once; the others
// go on as before.
TEST(Reconnect, ACancelledPasswordStopsItsCameraUntilItIsTriedAgain)
{
    Reconnector r;
    r.resize(2);
    EXPECT_FALSE(r.status(0, " Error Code(8020 / 0)\n", t0, wall));
    EXPECT_TRUE(r.status(1, " Error Code(8000 / 0)\n", t0, wall));
    EXPECT_EQ(r.overlay(0, t0), "password cancelled: Enter to try again");
    EXPECT_EQ(r.due(t0 + Reconnector::kLongestWait * 4), std::vector<std::size_t>{1});
    EXPECT_TRUE(r.stalled(t0 + Reconnector::kStall * 4, wall).empty());
    EXPECT_FALSE(r.retryPassword(1));
    EXPECT_TRUE(r.retryPassword(0));
    EXPECT_FALSE(r.retryPassword(0));
    EXPECT_EQ(r.overlay(0, t0).rfind("no picture since ", 0), 0u) << r.overlay(0, t0);
    // After the browser's Stop nothing is tried again.
    EXPECT_FALSE(r.status(0, " Error Code(20 / 0)\n", t0, wall));
    r.stop();
    EXPECT_FALSE(r.retryPassword(0));
}

TEST(Reconnect, APictureThatFreezesEndsTheStreamOnlyAfterItWasDrawn)
{
    Reconnector r;
    r.resize(2);
    r.picture(0, t0, wall);
    EXPECT_TRUE(r.stalled(t0 + Reconnector::kStall - 1ms, wall).empty());
    const auto ended = r.stalled(t0 + Reconnector::kStall, wall + 10);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].first, 0u);
    EXPECT_EQ(ended[0].second, 1000ms);
    // Camera 1 never drew: its silence is its connecting, not a freeze.
    EXPECT_FALSE(r.waiting(1));
    // The fresh control has drawn nothing either, until it does.
    ASSERT_EQ(r.due(t0 + Reconnector::kStall + 1s).size(), 1u);
    EXPECT_TRUE(r.stalled(t0 + 100s, wall).empty());
}

// A stream that got past its head but draws nothing is frozen as one that
// drew and stopped: from the first time it is told, not from later ones.
TEST(Reconnect, AStreamPastItsHeadThatDrawsNothingFreezes)
{
    Reconnector r;
    r.resize(2);
    r.started(0, t0);
    r.started(0, t0 + 5s);
    EXPECT_TRUE(r.stalled(t0 + Reconnector::kStall - 1ms, wall).empty());
    const auto ended = r.stalled(t0 + Reconnector::kStall, wall);
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].first, 0u);
    // While it waits, being told again changes nothing; its fresh control
    // starts its own count when it gets past its head.
    r.started(0, t0 + Reconnector::kStall);
    ASSERT_EQ(r.due(t0 + Reconnector::kStall + 1s).size(), 1u);
    EXPECT_TRUE(r.stalled(t0 + 100s, wall).empty());
    r.started(0, t0 + 100s);
    EXPECT_EQ(r.stalled(t0 + 100s + Reconnector::kStall, wall).size(), 1u);
    EXPECT_FALSE(r.waiting(1));
}

TEST(Reconnect, StopEndsEveryWaitAndEveryFutureEnd)
{
    Reconnector r;
    r.resize(2);
    r.picture(1, t0, wall);
    ASSERT_TRUE(r.status(0, " Error Code(4000 / 0)\n", t0, wall));
    r.stop();
    EXPECT_FALSE(r.waiting(0));
    EXPECT_TRUE(r.due(t0 + 1h).empty());
    EXPECT_TRUE(r.stalled(t0 + 1h, wall).empty());
    EXPECT_FALSE(r.status(1, " Error Code(4000 / 0)\n", t0, wall));
    // A camera heard of only after Stop is stopped too.
    EXPECT_TRUE(r.stopped(5));
    EXPECT_FALSE(r.status(5, " Error Code(4000 / 0)\n", t0, wall));
    // Reloading one camera undoes Stop for it alone.
    r.resume(1);
    EXPECT_FALSE(r.stopped(1));
    EXPECT_TRUE(r.stopped(0));
    EXPECT_EQ(r.status(1, " Error Code(4000 / 0)\n", t0, wall), 1000ms);
    EXPECT_FALSE(r.status(0, " Error Code(4000 / 0)\n", t0, wall));
}

TEST(Reconnect, OverlayNamesTheLastPictureAndTheWholeSecondsLeft)
{
    Reconnector r;
    r.resize(2);
    EXPECT_EQ(r.overlay(0, t0), "");
    // A camera that drew: the time of its last picture, in local time.
    const std::time_t drawn = wall - 75;
    r.picture(0, t0, drawn);
    ASSERT_TRUE(r.status(0, " Error Code(4000 / 0)\n", t0, wall));
    char clock[16];
    std::strftime(clock, sizeof clock, "%H:%M:%S", std::localtime(&drawn));
    EXPECT_EQ(r.overlay(0, t0 + 1ms), std::string("no picture since ") + clock + ", reconnecting in 1 s");
    EXPECT_EQ(r.overlay(0, t0 + 1s), std::string("no picture since ") + clock + ", reconnecting in 0 s");
    // While the fresh control connects, and until it draws.
    ASSERT_EQ(r.due(t0 + 1s).size(), 1u);
    EXPECT_EQ(r.overlay(0, t0 + 2s), std::string("no picture since ") + clock + ", reconnecting");
    r.picture(0, t0 + 2s, wall);
    EXPECT_EQ(r.overlay(0, t0 + 2s), "");
    // One that never drew: the time its stream ended.
    ASSERT_TRUE(r.status(1, " Error Code(4000 / 0)\n", t0, wall));
    std::strftime(clock, sizeof clock, "%H:%M:%S", std::localtime(&wall));
    EXPECT_EQ(r.overlay(1, t0), std::string("no picture since ") + clock + ", reconnecting in 1 s");
}

} // namespace
