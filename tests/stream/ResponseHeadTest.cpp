// The response head read off a real connection in blocks: the same bytes
// taken as one byte a read would take (the body stays on the socket), in
// few reads, and never more than its size limit or its deadline allows.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/winsock/Winsock.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamClient.h"
#include "tests/support/Loopback.h"

namespace {

using namespace std::chrono_literals;

void sendText(SOCKET s, const std::string& text) { send(s, text.data(), static_cast<int>(text.size()), 0); }

// A client connected to a listener of its own, its worker out of the way.
class HeadReader : public ::testing::Test {
protected:
    HeadReader()
    {
        client.PublishState(STREAM_FAILED);
        StreamBufferBlock* b = buffer.GetBlock();
        b->path = "?Resolution=320x240";
        b->pageUrl = "http://127.0.0.1:" + std::to_string(l.port()) + "/ImageViewer";
        EXPECT_TRUE(client.Locate());
        EXPECT_EQ(client.Connect(), 0);
        camera = l.acceptOne();
    }
    ~HeadReader() override { closesocket(camera); }
    // A fresh connection to the listener.
    void reconnect()
    {
        closesocket(camera);
        client.PublishState(STREAM_STREAMING);
        client.Close();
        client.PublishState(STREAM_FAILED);
        ASSERT_EQ(client.Connect(), 0);
        camera = l.acceptOne();
    }
    // What the receive step would read first after the head.
    std::string bodyStart(std::size_t length)
    {
        std::string body(length, '\0');
        std::size_t got = 0;
        while (got < length) {
            const int n = recv(client.GetSocket(), body.data() + got, static_cast<int>(length - got), 0);
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        body.resize(got);
        return body;
    }
    LoopbackListener l;
    CStreamBuffer buffer;
    CStreamClient client{&buffer};
    SOCKET camera = INVALID_SOCKET;
};

const std::string kLong(512, 'x');

struct HeadCase {
    const char* name;
    std::string head;
    int status;
};

// Where a head ends, as reading one byte a call decides it: status tokens
// of at most 512 bytes, lines in pieces of 512, and an empty line (LF,
// CR LF, or a piece whose first byte is a NUL).
const HeadCase kHeads[] = {
    {"crlf", "HTTP/1.0 200 OK\r\nContent-Type: multipart/x-mixed-replace;boundary=myboundary\r\n\r\n", 200},
    {"lf", "HTTP/1.0 200 OK\nContent-Type: x\n\n", 200},
    {"status without reason", "HTTP/1.0 404 \n\n", 404},
    {"a CR before CR LF is no empty line", "HTTP/1.0 200 OK\r\nA: b\r\n\r\r\n\r\n", 200},
    {"a NUL first ends the head", std::string("HTTP/1.0 200 OK\r\n\0tail\r\n", 24), 200},
    {"a line of 512 bytes and its LF read as two lines", "HTTP/1.0 200 OK\r\n" + kLong + "\n", 200},
    {"a long line in pieces", "HTTP/1.0 200 OK\r\nX: " + kLong + kLong + "\r\n\r\n", 200},
    {"a version token of 512 bytes", kLong + "201 OK\r\n\r\n", 201},
    {"seven digits count six", "HTTP/1.0 1234567 OK\r\n\r\n", 123456},
};

TEST_F(HeadReader, TakesTheHeadAndLeavesTheBody)
{
    for (const HeadCase& k : kHeads) {
        SCOPED_TRACE(k.name);
        if (&k != &kHeads[0]) reconnect();
        sendText(camera, k.head + "BODY");
        EXPECT_EQ(client.ReadResponseHead(client.GetSocket()), k.status);
        EXPECT_EQ(bodyStart(4), "BODY");
        // Sent whole, the head takes a peek and a read per block (one byte a
        // read took one per byte).
        EXPECT_LE(client.GetHeadReads(), 2 * static_cast<int>(k.head.size() / STREAM_HEAD_BLOCK + 2));
    }
}

TEST_F(HeadReader, AHeadThatTricklesInIsReadToItsEnd)
{
    const std::string head = "HTTP/1.0 200 OK\r\nContent-Type: x\r\n\r\n";
    std::thread trickle([&] {
        for (char c : head + "BODY") {
            send(camera, &c, 1, 0);
            std::this_thread::sleep_for(2ms);
        }
    });
    EXPECT_EQ(client.ReadResponseHead(client.GetSocket()), 200);
    EXPECT_EQ(bodyStart(4), "BODY");
    trickle.join();
}

// Header lines without end: refused at 16 KiB, in a few reads; a head of
// exactly 16 KiB is still read.
TEST_F(HeadReader, AHeadLongerThanTheLimitIsRefused)
{
    std::string head = "HTTP/1.0 200 OK\r\n";
    while (head.size() < static_cast<std::size_t>(STREAM_HEAD_LIMIT) * 2) head += "X-Filler: the head goes on\r\n";
    sendText(camera, head);
    EXPECT_EQ(client.ReadResponseHead(client.GetSocket()), -1);
    EXPECT_EQ(WSAGetLastError(), WSAEMSGSIZE);
    EXPECT_LE(client.GetHeadReads(), 2 * (STREAM_HEAD_LIMIT / STREAM_HEAD_BLOCK) + 2);

    reconnect();
    std::string exact = "HTTP/1.0 200 OK\r\nX: ";
    exact += std::string(static_cast<std::size_t>(STREAM_HEAD_LIMIT) - exact.size() - 4, 'y') + "\r\n\r\n";
    ASSERT_EQ(exact.size(), static_cast<std::size_t>(STREAM_HEAD_LIMIT));
    sendText(camera, exact + "BODY");
    EXPECT_EQ(client.ReadResponseHead(client.GetSocket()), 200);
    EXPECT_EQ(bodyStart(4), "BODY");
}

// A camera that says nothing, or stops halfway through its head: the read
// ends at the deadline with WSAETIMEDOUT.
TEST_F(HeadReader, ASilentCameraEndsAtTheDeadline)
{
    client.SetHeadDeadline(300);
    for (const char* part : {"", "HTTP/1.0 200 OK\r\nContent-"}) {
        SCOPED_TRACE(part);
        if (*part) reconnect();
        sendText(camera, part);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(client.ReadResponseHead(client.GetSocket()), -1);
        EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3 * 300ms);
    }
}

// The control destroyed while its worker waits for the head: closing the
// socket ends the wait long before the deadline, and the worker ends.
TEST(HeadWorker, DestroyingTheClientDuringTheHeadEndsItsWorker)
{
    LoopbackListener l;
    auto buffer = std::make_unique<CStreamBuffer>();
    auto client = std::make_unique<CStreamClient>(buffer.get());
    client->PublishState(STREAM_FAILED);
    buffer->GetBlock()->path = "?Resolution=320x240";
    buffer->GetBlock()->pageUrl = "http://127.0.0.1:" + std::to_string(l.port()) + "/ImageViewer";
    ASSERT_TRUE(client->Locate());
    client->PublishState(STREAM_CONNECTING);
    const SOCKET camera = l.acceptOne();
    std::this_thread::sleep_for(100ms); // the worker sends its request and waits
    const auto start = std::chrono::steady_clock::now();
    client.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(STREAM_HEAD_DEADLINE_MS / 2));
    closesocket(camera);
}

} // namespace
