// Threads, events and handles.
#include <gtest/gtest.h>

#include <atomic>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/linux/StandInKernel.h"

namespace {

TEST(Kernel, WaitingForAThreadGivesItsExitCode)
{
    std::atomic<int> ran{0};
    auto start = [](void* arg) -> unsigned {
        static_cast<std::atomic<int>*>(arg)->store(1, std::memory_order_release);
        return 42;
    };
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, start, &ran, 0, nullptr));
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(ran.load(std::memory_order_acquire), 1);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_FALSE(CloseHandle(thread));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED);
}

TEST(Kernel, AnEventWakesAWaitingThread)
{
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    auto start = [](void* arg) -> unsigned { return WaitForSingleObject(static_cast<HANDLE>(arg), INFINITE); };
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, start, event, 0, nullptr));
    SetEvent(event);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, WAIT_OBJECT_0);
    // Auto-reset: the waiter took the signal.
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(thread);
    CloseHandle(event);
}

TEST(Kernel, ClosingTheHandleOfARunningThreadLetsItFinish)
{
    static std::atomic<bool> release{false};
    static std::atomic<bool> finished{false};
    auto start = [](void*) -> unsigned {
        while (!release.load(std::memory_order_acquire)) Sleep(1);
        finished.store(true, std::memory_order_release);
        return 0;
    };
    HANDLE thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, start, nullptr, 0, nullptr));
    EXPECT_TRUE(CloseHandle(thread));
    release.store(true, std::memory_order_release);
    for (int i = 0; i < 1000 && !finished.load(std::memory_order_acquire); ++i) Sleep(1);
    EXPECT_TRUE(finished.load(std::memory_order_acquire));
}

TEST(Kernel, MessageBoxGoesToTheContainersHandler)
{
    std::string seen;
    standin::SetMessageBoxHandler([&](HWND, const std::string& text, const std::string&, UINT) {
        seen = text;
        return IDCANCEL;
    });
    EXPECT_EQ(MessageBoxA(nullptr, "Socket start failed", "camview", MB_OK), IDCANCEL);
    EXPECT_EQ(seen, "Socket start failed");
    standin::SetMessageBoxHandler(nullptr);
}

} // namespace
