// The Windows container's UI thread: a single-threaded COM apartment of its
// own that runs what it is handed in order, answers its caller's windows
// while the caller waits (a control's window may be the child of one), and
// ends only when its owner lets it go.
#include <gtest/gtest.h>

#include <objbase.h>
#include <windows.h>

#include <atomic>
#include <vector>

#include "host/win32/container/Apartment.h"

namespace {

constexpr UINT kAsk = WM_APP + 7;
constexpr UINT kTaken = WM_APP + 8;

// The caller's window: answers kAsk with the thread that answered.
LRESULT CALLBACK callerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kAsk) return static_cast<LRESULT>(GetCurrentThreadId());
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND makeCallerWindow()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = callerProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ApartmentTestCaller";
    RegisterClassExW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, wc.hInstance,
                           nullptr);
}

TEST(Apartment, RunsWhatItIsHandedInOrderOnItsOwnSingleThreadedApartment)
{
    std::atomic<int> idles{0};
    Apartment apartment([&] { idles.fetch_add(1); }, nullptr);
    ASSERT_TRUE(apartment.ready());
    EXPECT_FALSE(apartment.isCurrent());
    DWORD thread = 0;
    HRESULT multi = S_OK;
    bool current = false, nestedRan = false;
    apartment.run([&] {
        thread = GetCurrentThreadId();
        current = apartment.isCurrent();
        // Its apartment is single-threaded: the thread cannot join another kind.
        multi = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(multi)) CoUninitialize();
        apartment.run([&] { nestedRan = true; }); // from its own thread: at once
    });
    EXPECT_NE(thread, GetCurrentThreadId());
    EXPECT_TRUE(current);
    EXPECT_EQ(multi, RPC_E_CHANGED_MODE);
    EXPECT_TRUE(nestedRan);

    std::vector<int> order;
    for (int i = 0; i < 50; ++i) apartment.post([&order, i] { order.push_back(i); });
    // A quit a task posts does not end the loop.
    apartment.post([] { PostQuitMessage(0); });
    std::vector<int> seen;
    apartment.run([&] { seen = order; });
    ASSERT_EQ(seen.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(seen[static_cast<std::size_t>(i)], i);
    // The idle step comes once the apartment has no message left, which may
    // be just after the caller is let go.
    for (int i = 0; i < 200 && idles.load() == 0; ++i) Sleep(5);
    EXPECT_GT(idles.load(), 0);
}

TEST(Apartment, AnswersTheCallersWindowsWhileTheCallerWaits)
{
    HWND caller = makeCallerWindow();
    ASSERT_NE(caller, nullptr);
    Apartment apartment(nullptr, nullptr);
    ASSERT_TRUE(apartment.ready());
    LRESULT answeredBy = 0;
    HWND child = nullptr;
    apartment.run([&] {
        // Sent to the waiting caller's window, and a child of it made here:
        // both need the caller to answer while it waits.
        answeredBy = SendMessageW(caller, kAsk, 0, 0);
        child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, caller, nullptr, nullptr, nullptr);
    });
    EXPECT_EQ(static_cast<DWORD>(answeredBy), GetCurrentThreadId());
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetParent(child), caller);
    EXPECT_NE(GetWindowThreadProcessId(child, nullptr), GetCurrentThreadId());
    apartment.run([&] { EXPECT_TRUE(DestroyWindow(child)); });
    DestroyWindow(caller);
}

TEST(Apartment, ItsWatchSeesEveryMessageFirstAndMayTakeIt)
{
    std::atomic<int> taken{0}, dispatched{0};
    HWND window = nullptr;
    {
        Apartment apartment(nullptr, [&](MSG& msg) {
            if (msg.message != kTaken) return false;
            taken.fetch_add(1);
            return msg.wParam == 1; // the first is taken, the second dispatched
        });
        ASSERT_TRUE(apartment.ready());
        apartment.run([&] {
            window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                if (m == kTaken) SetPropW(h, L"dispatched", reinterpret_cast<HANDLE>(w));
                return DefWindowProcW(h, m, w, l);
            }));
        });
        PostMessageW(window, kTaken, 1, 0);
        PostMessageW(window, kTaken, 2, 0);
        // What was posted before the apartment goes still runs.
        apartment.post([&] {
            dispatched.store(static_cast<int>(reinterpret_cast<ULONG_PTR>(GetPropW(window, L"dispatched"))));
            RemovePropW(window, L"dispatched");
            DestroyWindow(window);
        });
    }
    EXPECT_EQ(taken.load(), 2);
    EXPECT_EQ(dispatched.load(), 2);
}

} // namespace
