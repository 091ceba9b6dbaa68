// Sockets: Winsock numbers, non-blocking mode, and blocked calls ended from
// another thread.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "platform/kernel/Kernel.h"
#include "platform/window/Window.h"
#include "platform/window/linux/StandInWindow.h"
#include "platform/winsock/Winsock.h"
#include "tests/support/Loopback.h"

namespace {

using namespace std::chrono_literals;


TEST(Winsock, RefusedConnectionGivesTheWinsockNumber)
{
    RefusingPort refusing;
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = LoopbackAddress(refusing.port());
    EXPECT_EQ(connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);
    closesocket(s);
    EXPECT_EQ(closesocket(s), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
}

TEST(Winsock, NonBlockingReceiveWouldBlockThenDelivers)
{
    LoopbackListener l;
    SOCKET c = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = LoopbackAddress(l.port());
    ASSERT_EQ(connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    SOCKET server = l.acceptOne();
    ULONG on = 1;
    ASSERT_EQ(ioctlsocket(c, FIONBIO, &on), 0);
    char buffer[8];
    EXPECT_EQ(recv(c, buffer, sizeof buffer, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    send(server, "abc", 3, 0);
    int n = SOCKET_ERROR;
    for (int i = 0; i < 100 && n == SOCKET_ERROR; ++i) {
        n = recv(c, buffer, sizeof buffer, 0);
        if (n == SOCKET_ERROR) std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(n, 3);
    closesocket(server);
    n = SOCKET_ERROR;
    for (int i = 0; i < 100 && n == SOCKET_ERROR; ++i) {
        n = recv(c, buffer, sizeof buffer, 0);
        if (n == SOCKET_ERROR) std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(n, 0); // the peer closed
    closesocket(c);
}

TEST(Winsock, ClosingFromAnotherThreadEndsABlockedReceive)
{
    LoopbackListener l;
    SOCKET c = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = LoopbackAddress(l.port());
    ASSERT_EQ(connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    SOCKET server = l.acceptOne();
    int result = 0, error = 0;
    std::thread reader([&] {
        char buffer[8];
        result = recv(c, buffer, sizeof buffer, 0);
        error = WSAGetLastError();
    });
    std::this_thread::sleep_for(50ms);
    const auto start = std::chrono::steady_clock::now();
    closesocket(c);
    reader.join();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result, SOCKET_ERROR);
    EXPECT_EQ(error, WSAEINTR);
    EXPECT_LT(took, 1s);
    closesocket(server);
}

TEST(Winsock, ShutdownFromAnotherThreadEndsABlockedConnect)
{
    // A listener whose backlog is full makes the next connect wait.
    LoopbackListener l;
    std::vector<SOCKET> fillers;
    for (int i = 0; i < 64; ++i) {
        SOCKET f = socket(AF_INET, SOCK_STREAM, 0);
        ULONG on = 1;
        ioctlsocket(f, FIONBIO, &on);
        sockaddr_in a = LoopbackAddress(l.port());
        connect(f, reinterpret_cast<sockaddr*>(&a), sizeof a);
        fillers.push_back(f);
    }
    SOCKET c = socket(AF_INET, SOCK_STREAM, 0);
    std::thread connector([&] {
        sockaddr_in a = LoopbackAddress(l.port());
        connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a);
    });
    std::this_thread::sleep_for(50ms);
    const auto start = std::chrono::steady_clock::now();
    shutdown(c, SD_BOTH);
    connector.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    closesocket(c);
    for (SOCKET f : fillers) closesocket(f);
}

TEST(Winsock, NamesResolveOrGiveTheResolutionNumbers)
{
    ADDRINFOA hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    PADDRINFOA list = nullptr;
    ASSERT_EQ(getaddrinfo("127.0.0.1", "80", &hints, &list), 0);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->ai_family, AF_INET);
    EXPECT_EQ(list->ai_addrlen, sizeof(sockaddr_in));
    EXPECT_EQ(reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_port, htons(80));
    freeaddrinfo(list);
    const int rc = getaddrinfo("no-such-host.invalid", "80", &hints, &list);
    EXPECT_GE(rc, WSAHOST_NOT_FOUND);
    EXPECT_LE(rc, WSANO_DATA);
    EXPECT_EQ(WSAGetLastError(), rc);
}

TEST(Mutexes, ANamedMutexExistsWhileAHandleIsOpen)
{
    HANDLE first = CreateMutexA(nullptr, TRUE, "http://cam/12345");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    HANDLE second = CreateMutexA(nullptr, TRUE, "http://cam/12345");
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(second);
    HANDLE other = CreateMutexA(nullptr, TRUE, "http://cam/99");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    CloseHandle(other);
    EXPECT_TRUE(ReleaseMutex(first));
    EXPECT_FALSE(ReleaseMutex(first));
    CloseHandle(first);
    HANDLE again = CreateMutexA(nullptr, TRUE, "http://cam/12345");
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    CloseHandle(again);
}

TEST(Mutexes, OwnershipIsPerThread)
{
    HANDLE m = CreateMutexA(nullptr, TRUE, nullptr);
    DWORD waited = 0;
    std::thread other([&] { waited = WaitForSingleObject(m, 10); });
    other.join();
    EXPECT_EQ(waited, WAIT_TIMEOUT);
    ReleaseMutex(m);
    std::thread taker([&] {
        waited = WaitForSingleObject(m, 1000);
        ReleaseMutex(m);
    });
    taker.join();
    EXPECT_EQ(waited, WAIT_OBJECT_0);
    CloseHandle(m);
}

} // namespace

// WSAAsyncSelect as Windows does it: one FD_READ notice per arming, armed
// again by each recv, and FD_CLOSE once when the peer closes.
TEST(Winsock, AsyncSelectNoticesComeOncePerReceiveAndOnceAtClose)
{
    struct Notices final : WindowHandler {
        std::vector<std::pair<WPARAM, LPARAM>> seen;
        LRESULT handleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) override
        {
            if (message == WM_USER + 7) seen.emplace_back(wParam, lParam);
            return 0;
        }
    } notices;
    HWND hwnd = standin::CreateHandlerWindow(&notices, 0);
    // Until that many notices came, or for the given time when none should.
    const auto pump = [&](std::size_t atLeast, int tries = 200) {
        MSG msg;
        for (int i = 0; i < tries && notices.seen.size() < atLeast; ++i)
            if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT) == WAIT_OBJECT_0)
                while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    };
    LoopbackListener l;
    SOCKET c = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = LoopbackAddress(l.port());
    ASSERT_EQ(connect(c, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    SOCKET server = l.acceptOne();
    EXPECT_EQ(WSAAsyncSelect(c, hwnd, WM_USER + 7, FD_READ | 0x400), SOCKET_ERROR) << "an event the stand-in has not";
    EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
    ASSERT_EQ(WSAAsyncSelect(c, hwnd, WM_USER + 7, FD_READ | FD_CLOSE), 0);
    char buffer[4];
    EXPECT_EQ(recv(c, buffer, sizeof buffer, 0), SOCKET_ERROR) << "the socket is non-blocking now";
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

    send(server, "abcdefgh", 8, 0);
    pump(1);
    ASSERT_EQ(notices.seen.size(), 1u);
    EXPECT_EQ(notices.seen[0].first, static_cast<WPARAM>(c));
    EXPECT_EQ(WSAGETSELECTEVENT(notices.seen[0].second), FD_READ);
    EXPECT_EQ(WSAGETSELECTERROR(notices.seen[0].second), 0);
    send(server, "ijkl", 4, 0);
    pump(2, 10);
    EXPECT_EQ(notices.seen.size(), 1u) << "no second notice before a recv";
    EXPECT_EQ(recv(c, buffer, sizeof buffer, 0), 4);
    pump(2);
    EXPECT_EQ(notices.seen.size(), 2u) << "data is left after the recv: a new notice";

    closesocket(server);
    pump(3);
    pump(4, 10);
    int closes = 0;
    for (const auto& [s, event] : notices.seen) closes += WSAGETSELECTEVENT(event) == FD_CLOSE;
    EXPECT_EQ(closes, 1);
    ASSERT_EQ(WSAAsyncSelect(c, hwnd, 0, 0), 0);
    closesocket(c);
    DestroyWindow(hwnd);
}
