// Windows, queues and timers on the virtual clock.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/window/linux/StandInWindow.h"
#include "platform/window/Cursor.h"
#include "platform/window/InputState.h"
#include "platform/window/Window.h"

namespace {

struct Recorder final : WindowHandler {
    std::vector<MSG> seen;
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back(MSG{hwnd, message, wParam, lParam, 0, {0, 0}});
        return 0;
    }
    int count(UINT message, WPARAM wParam) const
    {
        int n = 0;
        for (const auto& m : seen) n += m.message == message && m.wParam == wParam;
        return n;
    }
};

class Windows : public ::testing::Test {
protected:
    void SetUp() override
    {
        standin::SetProcessClock(clock);
        hwnd = standin::CreateHandlerWindow(&recorder, CS_DBLCLKS);
    }
    void TearDown() override
    {
        DestroyWindow(hwnd);
        drain();
        standin::SetProcessClock(nullptr);
    }
    void drain()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    // Moves time on, delivering each timer message at its time.
    void advance(std::uint64_t ms)
    {
        const std::uint64_t target = clock->nowMs() + ms;
        drain();
        for (auto due = standin::NextTimerDueMs(); due && *due <= target; due = standin::NextTimerDueMs()) {
            clock->setMs(*due);
            drain();
        }
        clock->setMs(target);
        drain();
    }

    std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    Recorder recorder;
    HWND hwnd = nullptr;
};

TEST_F(Windows, TimerFiresOncePerPeriodOfVirtualTime)
{
    EXPECT_EQ(SetTimer(hwnd, 7, 16, nullptr), 7u);
    advance(160);
    EXPECT_EQ(recorder.count(WM_TIMER, 7), 10);
    advance(15);
    EXPECT_EQ(recorder.count(WM_TIMER, 7), 10);
    advance(1);
    EXPECT_EQ(recorder.count(WM_TIMER, 7), 11);
}

TEST_F(Windows, SettingARunningTimerAgainRestartsItsPeriod)
{
    SetTimer(hwnd, 513, 500, nullptr);
    advance(400);
    SetTimer(hwnd, 513, 500, nullptr);
    advance(400);
    EXPECT_EQ(recorder.count(WM_TIMER, 513), 0);
    advance(100);
    EXPECT_EQ(recorder.count(WM_TIMER, 513), 1);
    EXPECT_TRUE(KillTimer(hwnd, 513));
    advance(1000);
    EXPECT_EQ(recorder.count(WM_TIMER, 513), 1);
    EXPECT_FALSE(KillTimer(hwnd, 513));
}

TEST_F(Windows, ATimerThatFellBehindGivesOneMessage)
{
    SetTimer(hwnd, 7, 16, nullptr);
    clock->advanceMs(1000);
    drain();
    EXPECT_EQ(recorder.count(WM_TIMER, 7), 1);
}

TEST_F(Windows, PostedMessagesComeBeforeTimers)
{
    SetTimer(hwnd, 7, 10, nullptr);
    clock->advanceMs(10);
    PostMessageA(hwnd, WM_USER, 1, 2);
    drain();
    ASSERT_EQ(recorder.seen.size(), 2u);
    EXPECT_EQ(recorder.seen[0].message, WM_USER);
    EXPECT_EQ(recorder.seen[1].message, WM_TIMER);
}

TEST_F(Windows, DestroyingAWindowEndsItsTimersAndDropsItsMessages)
{
    Recorder other;
    HWND second = standin::CreateHandlerWindow(&other, 0);
    SetTimer(second, 1, 10, nullptr);
    PostMessageA(second, WM_USER, 0, 0);
    DestroyWindow(second);
    EXPECT_EQ(other.count(WM_DESTROY, 0), 1);
    advance(100);
    EXPECT_EQ(other.seen.size(), 1u);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(SetTimer(second, 1, 10, nullptr), 0u);
    EXPECT_FALSE(PostMessageA(second, WM_USER, 0, 0));
}

TEST_F(Windows, HandlesOfDestroyedWindowsAreNeverReused)
{
    Recorder other;
    HWND first = standin::CreateHandlerWindow(&other, 0);
    DestroyWindow(first);
    HWND second = standin::CreateHandlerWindow(&other, 0);
    EXPECT_NE(first, second);
    DestroyWindow(second);
}

TEST_F(Windows, GetClassLongGivesTheStyleTheWindowWasMadeWith)
{
    Recorder other;
    HWND plain = standin::CreateHandlerWindow(&other, 0);
    EXPECT_EQ(GetClassLongA(hwnd, GCL_STYLE), DWORD{CS_DBLCLKS});
    EXPECT_EQ(GetClassLongA(plain, GCL_STYLE), 0u);
    EXPECT_EQ(GetClassLongA(hwnd, 0), 0u); // only the style is kept
    DestroyWindow(plain);
    EXPECT_EQ(GetClassLongA(plain, GCL_STYLE), 0u);
}

TEST_F(Windows, AThreadTimerGetsANewIdAndReachesNoWindow)
{
    const UINT_PTR id = SetTimer(nullptr, 7, 16, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, 7u);
    advance(100);
    EXPECT_EQ(recorder.count(WM_TIMER, 7), 0);
    EXPECT_TRUE(KillTimer(nullptr, id));
    EXPECT_FALSE(standin::NextTimerDueMs().has_value());
}

TEST_F(Windows, MessagesPostedFromAnotherThreadReachTheOwner)
{
    std::thread poster([this] {
        for (int i = 0; i < 100; ++i) PostMessageA(hwnd, WM_USER, static_cast<WPARAM>(i), 0);
    });
    poster.join();
    drain();
    ASSERT_EQ(recorder.seen.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(recorder.seen[static_cast<size_t>(i)].wParam, static_cast<WPARAM>(i));
}

TEST_F(Windows, GetMessageWakesForAPostFromAnotherThreadAndEndsAtQuit)
{
    standin::SetProcessClock(nullptr); // real time: GetMessage really waits
    std::thread poster([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostMessageA(hwnd, WM_USER, 5, 0);
    });
    MSG msg{};
    EXPECT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, WM_USER);
    poster.join();
    PostQuitMessage(3);
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(Windows, FocusAndCaptureFollowTheWindow)
{
    EXPECT_EQ(GetFocus(), nullptr);
    SetFocus(hwnd);
    EXPECT_EQ(GetFocus(), hwnd);
    EXPECT_EQ(recorder.count(WM_SETFOCUS, 0), 1);
    SetCapture(hwnd);
    EXPECT_EQ(GetCapture(), hwnd);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
    SetCapture(hwnd);
    DestroyWindow(hwnd);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    hwnd = standin::CreateHandlerWindow(&recorder, 0);
}

TEST(InputState, SecondaryButtonAndSwapComeFromTheContainer)
{
    auto input = std::make_shared<SettableInputState>();
    standin::SetInputStateSource(input);
    EXPECT_EQ(GetAsyncKeyState(VK_RBUTTON), 0);
    input->setKeyDown(VK_RBUTTON, true);
    EXPECT_EQ(GetAsyncKeyState(VK_RBUTTON) & 0x8000, 0x8000);
    EXPECT_EQ(GetSystemMetrics(SM_SWAPBUTTON), 0);
    input->setButtonsSwapped(true);
    EXPECT_NE(GetSystemMetrics(SM_SWAPBUTTON), 0);
    input->setDoubleClickTimeMs(300);
    EXPECT_EQ(GetDoubleClickTime(), 300u);
    standin::SetInputStateSource(nullptr);
    EXPECT_EQ(GetAsyncKeyState(VK_RBUTTON), 0);
    EXPECT_EQ(GetDoubleClickTime(), 500u);
}

TEST(Cursors, SystemCursorsAndModuleIcons)
{
    HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_HAND), hand);
    WORD id = 0;
    EXPECT_TRUE(standin::GetSystemCursorId(hand, &id));
    EXPECT_EQ(id, IDC_HAND_ID);

    HINSTANCE module = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x7000000));
    EXPECT_EQ(LoadIconA(module, MAKEINTRESOURCEA(201)), nullptr);
    IconImage image;
    image.width = image.height = 32;
    image.argb.assign(32 * 32, 0xFF0000FFu);
    standin::RegisterIconResource(module, 201, image);
    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(201));
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(standin::GetIconImage(icon), nullptr);
    EXPECT_EQ(standin::GetIconImage(icon)->width, 32);
    EXPECT_FALSE(standin::GetSystemCursorId(icon, nullptr));

    SetCursor(icon);
    EXPECT_EQ(GetCursor(), icon);
    EXPECT_EQ(SetCursor(hand), icon);
    standin::UnregisterIconResources(module);
    EXPECT_EQ(LoadIconA(module, MAKEINTRESOURCEA(201)), nullptr);
}

} // namespace

// Timers that may come late fall on a grid of their tolerance: timers set
// at different times fire on the same wake-ups from their first one on,
// never early and never later than their tolerance.
TEST_F(Windows, CoalescableTimersOfOneToleranceFireTogether)
{
    clock->setMs(1003);
    ASSERT_NE(SetCoalescableTimer(hwnd, 1, 16, nullptr, 16), 0u);
    clock->setMs(1011);
    ASSERT_NE(SetCoalescableTimer(hwnd, 2, 16, nullptr, 16), 0u);
    ASSERT_NE(SetCoalescableTimer(hwnd, 3, 16, nullptr, TIMERV_DEFAULT_COALESCING), 0u);
    std::vector<std::uint64_t> wakes;
    for (auto due = standin::NextTimerDueMs(); due && *due <= 1100; due = standin::NextTimerDueMs()) {
        clock->setMs(*due);
        if (wakes.empty() || wakes.back() != *due) wakes.push_back(*due);
        drain();
    }
    // Timer 1 set at 1003 is due at 1019, rounded up to 1024; timer 2 set
    // at 1011 is due at 1027, rounded up to 1040, where timer 1 comes again:
    // from then on both every 16 ms together. Timer 3 keeps its own times,
    // 1027, 1043, ...
    EXPECT_EQ(recorder.count(WM_TIMER, 1), recorder.count(WM_TIMER, 2) + 1);
    EXPECT_EQ(wakes, (std::vector<std::uint64_t>{1024, 1027, 1040, 1043, 1056, 1059, 1072, 1075, 1088, 1091}));
}

TEST_F(Windows, MsgWaitEndsForAPostOrADueTimerAndOtherwiseTimesOut)
{
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
    std::thread poster([this] { PostMessageA(hwnd, WM_USER, 1, 0); });
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 5000, QS_ALLINPUT), static_cast<DWORD>(WAIT_OBJECT_0));
    poster.join();
    drain();
    SetTimer(hwnd, 9, 20, nullptr);
    clock->setMs(clock->nowMs() + 20);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT), static_cast<DWORD>(WAIT_OBJECT_0));
    HANDLE none = nullptr;
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &none, FALSE, 0, QS_ALLINPUT), static_cast<DWORD>(WAIT_FAILED));
}
