// How a connection ends before it shows anything: a camera that closes or
// breaks the stream before the first picture, a response head cut off, a
// failed connection's socket, and a parameter exchange while the worker
// opens a connection.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "platform/kernel/Kernel.h"
#include "platform/wininet/linux/StandInWinInet.h"
#include "platform/winsock/Winsock.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamClient.h"
#include "tests/support/Loopback.h"
#include "tests/support/TestContainer.h"

namespace {

using namespace std::chrono_literals;

// The request head a peer sent, read byte by byte up to its empty line.
std::string readHead(SOCKET s)
{
    std::string text;
    char c;
    while (recv(s, &c, 1, 0) == 1) {
        text += c;
        if (text.size() >= 4 && text.compare(text.size() - 4, 4, "\r\n\r\n") == 0) break;
    }
    return text;
}

void sendText(SOCKET s, const std::string& text) { send(s, text.data(), static_cast<int>(text.size()), 0); }

// Waits for the peer to close its end of s: true when it did within the
// limit (the wait is a safety net, not a measured time).
bool peerCloses(SOCKET s, std::chrono::milliseconds limit = 5s)
{
    ULONG on = 1;
    ioctlsocket(s, FIONBIO, &on);
    const auto until = std::chrono::steady_clock::now() + limit;
    char c;
    while (std::chrono::steady_clock::now() < until) {
        const int n = recv(s, &c, 1, 0);
        if (n == 0) return true;
        if (n < 0 && WSAGetLastError() != WSAEWOULDBLOCK) return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

constexpr char kStreamHead[] = "HTTP/1.0 200 OK\r\nContent-Type: multipart/x-mixed-replace;boundary=myboundary\r\n\r\n";

// A camera on loopback: answers the preflight's "/" with 200 (after
// `beforeRoot`, when set), then hands the stream connection to `stream`.
class LoopbackCamera {
public:
    using Stream = std::function<void(SOCKET)>;
    explicit LoopbackCamera(Stream stream, std::function<void()> beforeRoot = nullptr)
        : m_stream(std::move(stream)), m_beforeRoot(std::move(beforeRoot))
    {
        m_thread = std::thread([this] { serve(); });
    }
    ~LoopbackCamera()
    {
        m_stopping = true;
        // A connection of its own ends a waiting accept.
        const SOCKET wake = socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in a = LoopbackAddress(port());
        connect(wake, reinterpret_cast<const sockaddr*>(&a), sizeof a);
        m_thread.join();
        closesocket(wake);
    }
    int port() const { return m_listener.port(); }
    std::string url(const std::string& page) const { return "http://127.0.0.1:" + std::to_string(port()) + page; }
    std::string streamRequest() const
    {
        while (!m_streamRequestRead.load(std::memory_order_acquire)) std::this_thread::sleep_for(1ms);
        return m_streamRequest;
    }
    bool rootRequested() const { return m_rootRequested.load(std::memory_order_acquire); }

private:
    void serve()
    {
        while (!m_stopping) {
            const SOCKET s = m_listener.acceptOne();
            if (s == INVALID_SOCKET || m_stopping) return;
            // The request line's target tells the preflight from the stream.
            char start[5] = {};
            int got = 0;
            while (got < 5 && recv(s, start + got, 1, 0) == 1) ++got;
            if (got == 5 && std::string(start, 5) == "GET /") {
                readHead(s);
                m_rootRequested.store(true, std::memory_order_release);
                if (m_beforeRoot) m_beforeRoot();
                sendText(s, "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok");
                shutdown(s, SD_BOTH);
                closesocket(s);
                continue;
            }
            m_streamRequest = std::string(start, static_cast<size_t>(got));
            m_stream(s);
            closesocket(s);
            return;
        }
    }

public:
    // For stream handlers that read the rest of the request themselves.
    void keepRequest(const std::string& rest)
    {
        m_streamRequest += rest;
        m_streamRequestRead.store(true, std::memory_order_release);
    }

private:
    LoopbackListener m_listener;
    Stream m_stream;
    std::function<void()> m_beforeRoot;
    std::thread m_thread;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_rootRequested{false};
    std::atomic<bool> m_streamRequestRead{false};
    std::string m_streamRequest;
};

class StreamEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("http_proxy");
        unsetenv("HTTP_PROXY");
        standin::InternetResetSessionState();
    }
    static CStreamClient& client(TestContainer& c) { return *c.ctrl()->m_pStreamClient; }
    static void embedOn(TestContainer& c, const LoopbackCamera& cam)
    {
        c.browser().locationUrl = cam.url("/ImageViewer?Resolution=320x240");
        c.embed({{"ImagePath", "?Resolution=320x240"}});
    }
    // What the control shows once its connection has failed.
    static std::string shownAfterFailure(TestContainer& c)
    {
        EXPECT_TRUE(c.runUntil([&] { return client(c).GetState() == STREAM_FAILED; }))
            << static_cast<LONG>(client(c).GetState());
        c.advance(TIMER_TICK_PERIOD_MS);
        const auto texts = c.paint();
        return texts.empty() ? std::string() : texts[0].text;
    }
};

// Before the first picture, every way the stream can end shows a status
// text instead of "Connecting..." for ever: an orderly close with code 0, a
// broken connection with the socket's error code, and a response head that
// was cut off like a close.
TEST_F(StreamEnd, BeforeTheFirstPictureTheStatusSaysWhy)
{
    struct Case {
        const char* name;
        std::function<void(SOCKET, LoopbackCamera&, std::atomic<bool>&)> stream;
        const char* shows;
    } cases[] = {
        {"closed after the head",
         [](SOCKET s, LoopbackCamera& cam, std::atomic<bool>&) {
             cam.keepRequest(readHead(s));
             sendText(s, kStreamHead);
             shutdown(s, SD_BOTH);
         },
         " Error Code(4000 / 0)\n"},
        {"closed in the middle of the head",
         [](SOCKET s, LoopbackCamera& cam, std::atomic<bool>&) {
             cam.keepRequest(readHead(s));
             sendText(s, "HTTP/1.0 200 OK\r\nContent-Type: multipart/x-mixed-replace;boundary=myboundary\r\n");
             shutdown(s, SD_BOTH);
         },
         " Error Code(4000 / 0)\n"},
        {"closed after part of a first part",
         [](SOCKET s, LoopbackCamera& cam, std::atomic<bool>&) {
             cam.keepRequest(readHead(s));
             sendText(s, std::string(kStreamHead) + "--myboundary\nContent-type: image/jpeg\n\n\xff\xd8\xff");
             shutdown(s, SD_BOTH);
         },
         " Error Code(4000 / 0)\n"},
        {"reset while streaming",
         [](SOCKET s, LoopbackCamera&, std::atomic<bool>& streaming) {
             // Closing with part of the request unread makes the system
             // reset the connection instead of closing it.
             sendText(s, kStreamHead);
             while (!streaming.load(std::memory_order_acquire)) std::this_thread::sleep_for(1ms);
         },
         " Error Code(4000 / 10054)\n"},
    };
    for (auto& k : cases) {
        SCOPED_TRACE(k.name);
        std::atomic<bool> streaming{false};
        LoopbackCamera* self = nullptr;
        LoopbackCamera cam([&](SOCKET s) {
            while (!self) std::this_thread::sleep_for(1ms);
            k.stream(s, *self, streaming);
        });
        self = &cam;
        TestContainer c;
        embedOn(c, cam);
        if (std::string(k.name) == "reset while streaming") {
            ASSERT_TRUE(c.runUntil([&] { return client(c).GetState() == STREAM_STREAMING; }));
            streaming.store(true, std::memory_order_release);
        }
        EXPECT_EQ(shownAfterFailure(c), k.shows);
        EXPECT_EQ(client(c).GetErrorFlags(), ERR_STATUS);
        EXPECT_EQ(c.ctrl()->m_pImage, nullptr);
        EXPECT_EQ(client(c).GetSocket(), 0u);
    }
}

// A client whose worker stays out of the way until a test hands it a state.
class Worker : public ::testing::Test {
protected:
    Worker() { client.PublishState(STREAM_FAILED); }
    void aimAt(int port)
    {
        StreamBufferBlock* b = buffer.GetBlock();
        b->path = "?Resolution=320x240";
        b->pageUrl = "http://127.0.0.1:" + std::to_string(port) + "/ImageViewer";
        ASSERT_TRUE(client.Locate());
    }
    CStreamBuffer buffer;
    CStreamClient client{&buffer};
};

// A connection that fails after connecting (an answer other than 200)
// closes its socket: the camera sees the close at once.
TEST_F(Worker, AFailedConnectionClosesItsSocket)
{
    for (const char* answer :
         {"HTTP/1.0 404 Not Found\r\n\r\n", "HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"cam\"\r\n\r\n"}) {
        SCOPED_TRACE(answer);
        LoopbackListener l;
        aimAt(l.port());
        client.PublishError(ERR_NONE, 0);
        client.PublishState(STREAM_CONNECTING);
        const SOCKET s = l.acceptOne();
        readHead(s);
        sendText(s, answer);
        // The camera keeps its end open; the viewer must close its own.
        EXPECT_TRUE(peerCloses(s));
        while (client.GetState() == STREAM_CONNECTING) std::this_thread::sleep_for(1ms);
        EXPECT_EQ(client.GetState(), STREAM_FAILED);
        EXPECT_EQ(client.GetErrorFlags(), ERR_STATUS);
        EXPECT_EQ(client.GetSocket(), 0u);
        closesocket(s);
    }
}

// A camera that closes the connection inside the response head: the head
// was not read, whatever its status line said.
TEST_F(Worker, AHeadCutOffIsNotAnAnswer)
{
    LoopbackListener l;
    aimAt(l.port());
    ASSERT_EQ(client.Connect(), 0);
    const SOCKET s = l.acceptOne();
    sendText(s, "HTTP/1.0 200 OK\r\nContent-Type: multipart/x-mixed-replace");
    shutdown(s, SD_BOTH);
    closesocket(s);
    WSASetLastError(WSAEWOULDBLOCK); // a stale code the close must not report
    EXPECT_EQ(client.ReadResponseHead(client.GetSocket()), -1);
    EXPECT_EQ(WSAGetLastError(), 0);
}

// A loading exchange while the worker opens a connection: the block's path
// changes on the control's thread, the worker sends the path it took when
// the connection was prepared, and the change counts from the next one.
// (Under ThreadSanitizer this also shows that the two threads never share
// the path.)
TEST_F(StreamEnd, AnExchangeDuringThePreflightTakesEffectAtTheNextConnection)
{
    std::atomic<bool> answer{false};
    LoopbackCamera* self = nullptr;
    LoopbackCamera cam(
        [&](SOCKET s) {
            while (!self) std::this_thread::sleep_for(1ms);
            self->keepRequest(readHead(s));
            sendText(s, "HTTP/1.0 404 Not Found\r\n\r\n");
            shutdown(s, SD_BOTH);
        },
        [&] {
            // The preflight waits here until the exchange is done.
            while (!answer.load(std::memory_order_acquire)) std::this_thread::sleep_for(1ms);
        });
    self = &cam;
    TestContainer c;
    embedOn(c, cam);
    ASSERT_TRUE(c.runUntil([&] { return cam.rootRequested(); }));
    EXPECT_EQ(client(c).GetState(), STREAM_PREFLIGHT);
    c.load({{"ImagePath", "?Resolution=640x480&Quality=Clarity"}});
    EXPECT_EQ(c.ctrl()->m_pStreamBuffer->GetBlock()->path, "?Resolution=640x480&Quality=Clarity");
    answer.store(true, std::memory_order_release);
    const std::string request = cam.streamRequest();
    EXPECT_NE(request.find("nphContinuousServerPush?Resolution=320x240 HTTP/1.0"), std::string::npos) << request;
    EXPECT_TRUE(c.runUntil([&] { return client(c).GetState() == STREAM_FAILED; }));
    EXPECT_EQ(c.ctrl()->m_pStreamBuffer->GetBlock()->path, "?Resolution=640x480&Quality=Clarity");
}

} // namespace
