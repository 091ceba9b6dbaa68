// The stream client end to end against camsim (and tinyproxy) on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "image/Image.h"
#include "platform/kernel/Kernel.h"
#include "platform/wininet/linux/StandInWinInet.h"
#include "platform/winsock/Winsock.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamClient.h"
#include "tests/integration/Processes.h"
#include "tests/support/Loopback.h"
#include "tests/support/TestContainer.h"
#include "platform/gdi/linux/StandInGdi.h"

namespace {

using namespace std::chrono_literals;

class Integration : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The proxy comes from the environment: none unless a test sets one.
        unsetenv("http_proxy");
        unsetenv("HTTP_PROXY");
        unsetenv("no_proxy");
        unsetenv("NO_PROXY");
        standin::InternetResetSessionState();
        standin::SetPasswordPrompt(nullptr);
    }
    void TearDown() override { standin::SetPasswordPrompt(nullptr); }

    static bool runUntil(TestContainer& c, const std::function<bool()>& done, std::chrono::milliseconds limit = 10s)
    {
        return c.runUntil(done, limit);
    }
    static CStreamClient& client(TestContainer& c) { return *c.ctrl()->m_pStreamClient; }
    static void embedOn(TestContainer& c, const Camsim& cam, const std::string& resolution = "320x240")
    {
        c.browser().locationUrl = cam.url("/ImageViewer?Resolution=" + resolution);
        c.embed({{"ImagePath", "?Resolution=" + resolution + "&Quality=Standard"}});
    }
};

TEST_F(Integration, FramesArriveWholeAndTheEndOfTheStreamKeepsTheLastOne)
{
    Camsim cam({"--frames", "6", "--fps", "25", "--final-delimiter"});
    ASSERT_NE(cam.port(), 0);
    TestContainer c;
    embedOn(c, cam);
    int frames = 0;
    long lastNumber = -1;
    ASSERT_TRUE(runUntil(c, [&] {
        // The container paints at once on each new frame; the slot keeps the
        // frame's bytes.
        StreamBufferBlock* b = c.ctrl()->m_pStreamBuffer->GetBlock();
        if (b->frameBytes && b->frameLength > 20) {
            const BYTE* f = b->frameBytes;
            const long number = std::strtol(reinterpret_cast<const char*>(f) + 6, nullptr, 10);
            if (number != lastNumber) {
                // One whole JPEG as camsim wrote it: start and end markers,
                // its number in the comment, the requested size.
                EXPECT_EQ(f[0], 0xFF);
                EXPECT_EQ(f[1], 0xD8);
                EXPECT_EQ(f[b->frameLength - 2], 0xFF);
                EXPECT_EQ(f[b->frameLength - 1], 0xD9);
                EXPECT_GT(number, lastNumber);
                lastNumber = number;
                ++frames;
                if (c.ctrl()->m_pImage) {
                    EXPECT_EQ(c.ctrl()->m_pImage->GetWidth(), 320);
                }
            }
        }
        return c.ctrl()->m_nViewPhase == PHASE_ENDED;
    }));
    EXPECT_GE(frames, 2);
    EXPECT_EQ(lastNumber, 5); // the final extraction cut the part the delimiter closed
    EXPECT_EQ(client(c).GetState(), STREAM_IDLE);
    c.paint();
    EXPECT_NE(c.ctrl()->m_pImage, nullptr);
    // The tick goes on, but nothing reconnects.
    c.advance(50 * TIMER_TICK_PERIOD_MS);
    EXPECT_EQ(cam.requests("nphContinuousServerPush").size(), 1u);
    const auto stream = cam.requests("nphContinuousServerPush");
    EXPECT_NE(stream[0].find("\"target\":\"http://127.0.0.1:"), std::string::npos) << stream[0];
}

// A camera that writes each picture followed at once by the next part's
// boundary and header: every frame it sends is decoded exactly once, none
// twice and none lost (the held bytes would otherwise pile up until the
// receive buffer overflows and drops what it holds).
TEST_F(Integration, PartsClosedAtOnceByTheNextBoundaryAreEachDrawnOnce)
{
    constexpr int kFrames = 40;
    Camsim cam({"--boundary-after", "--frames", std::to_string(kFrames), "--fps", "15"});
    TestContainer c;
    embedOn(c, cam, "640x480");
    std::map<long, int> decoded; // frame number: times decoded
    const CImage* shown = nullptr;
    ASSERT_TRUE(runUntil(
        c,
        [&] {
            // Each decode makes a new image; the slot keeps the bytes it
            // was made from, with the number camsim stamped into them.
            if (c.ctrl()->m_pImage && c.ctrl()->m_pImage != shown) {
                shown = c.ctrl()->m_pImage;
                const StreamBufferBlock* b = c.ctrl()->m_pStreamBuffer->GetBlock();
                ++decoded[std::strtol(reinterpret_cast<const char*>(b->frameBytes) + 6, nullptr, 10)];
            }
            return c.ctrl()->m_nViewPhase == PHASE_ENDED;
        },
        30s));
    for (const auto& [number, times] : decoded) EXPECT_EQ(times, 1) << "frame " << number;
    EXPECT_EQ(decoded.size(), static_cast<size_t>(kFrames));
    EXPECT_EQ(client(c).GetErrorFlags(), ERR_NONE);
}

// Asked for, a part is handed over once its picture ends: the part camsim
// stops after has no boundary behind it and is shown all the same. Every
// picture reaches the tap once, exactly as its JPEG, however it was cut.
TEST_F(Integration, APictureIsHandedOverWhenItsJpegEndsWhereTheViewerAsks)
{
    const struct {
        const char* name;
        DWORD tuning;
        bool boundaryAfter;
        int handed;
    } cases[] = {
        {"the control's own cut", 0, false, 2},
        {"early cut", VIEW_TUNE_EARLY_CUT, false, 3},
        {"early cut on the socket's notices", VIEW_TUNE_EARLY_CUT | VIEW_TUNE_SOCKET_READ, false, 3},
        {"every switch, boundary right after each picture", VIEW_TUNE_ALL, true, 3},
    };
    for (const auto& k : cases) {
        std::vector<std::string> args{"--stall-after", "3", "--fps", "20"};
        if (k.boundaryAfter) args.push_back("--boundary-after");
        Camsim cam(args);
        TestContainer c;
        IViewTuning* tuning = nullptr;
        ASSERT_EQ(c.ctrl()->ExternalQueryInterface(IID_IViewTuning, reinterpret_cast<void**>(&tuning)), S_OK);
        EXPECT_EQ(tuning->SetViewTuning(k.tuning), S_OK);
        tuning->Release();
        IFrameTap* tap = nullptr;
        ASSERT_EQ(c.ctrl()->ExternalQueryInterface(IID_IFrameTap, reinterpret_cast<void**>(&tap)), S_OK);
        struct Pictures final : IFrameSink {
            std::map<long, int> seen; // camsim's number: times handed over
            int whole = 0;
            HRESULT STDMETHODCALLTYPE OnFrame(const BYTE* bytes, DWORD length, DWORD) override
            {
                whole += length > 20 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[length - 2] == 0xFF &&
                         bytes[length - 1] == 0xD9;
                ++seen[std::strtol(reinterpret_cast<const char*>(bytes) + 6, nullptr, 10)];
                return S_OK;
            }
        } sink;
        tap->SetFrameSink(&sink);
        embedOn(c, cam);
        runUntil(c, [&] { return static_cast<int>(sink.seen.size()) >= k.handed; });
        // Longer than the stream's frame interval: nothing more comes.
        c.runUntil([] { return false; }, 400ms);
        tap->SetFrameSink(nullptr);
        tap->Release();
        EXPECT_EQ(static_cast<int>(sink.seen.size()), k.handed) << k.name;
        for (const auto& [number, times] : sink.seen) EXPECT_EQ(times, 1) << k.name << ": picture " << number;
        EXPECT_EQ(sink.whole, k.handed) << k.name << ": handed over as JPEGs, start to end marker";
        EXPECT_NE(c.ctrl()->m_pImage, nullptr) << k.name;
    }
}

TEST_F(Integration, PasswordPromptCredentialsReachTheStreamRequest)
{
    Camsim cam({"--user", "admin:secret", "--fps", "25"});
    int prompts = 0;
    standin::SetPasswordPrompt([&](HWND, const std::string&, std::string& user, std::string& password, const std::atomic<bool>&) {
        ++prompts;
        user = "admin";
        password = "secret";
        return true;
    });
    TestContainer c;
    embedOn(c, cam);
    ASSERT_TRUE(runUntil(c, [&] { return c.ctrl()->m_pImage != nullptr; }));
    EXPECT_EQ(prompts, 1);
    const auto stream = cam.requests("nphContinuousServerPush");
    ASSERT_EQ(stream.size(), 1u);
    EXPECT_NE(stream[0].find("\"authorization\":\"Basic YWRtaW46c2VjcmV0\""), std::string::npos) << stream[0];
}

// User names and passwords typed into the prompt reach the stream request
// whole, however long, up to what the request can carry; one that the
// preflight cannot read back whole is refused, not cut short.
TEST_F(Integration, LongPromptCredentialsReachTheStreamRequestWholeOrNotAtAll)
{
    struct Case {
        std::string user;
        std::string password;
        bool streams;
    } cases[] = {
        {"operator-of-camera-7", "a-password-of-20-chr", true},
        {std::string(127, 'u'), std::string(127, 'p'), true},
        {std::string(400, 'u'), "pw", false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.user.size());
        Camsim cam({"--user", k.user + ":" + k.password, "--fps", "25"});
        standin::SetPasswordPrompt([&](HWND, const std::string&, std::string& user, std::string& password, const std::atomic<bool>&) {
            user = k.user;
            password = k.password;
            return true;
        });
        TestContainer c;
        embedOn(c, cam);
        if (k.streams) {
            ASSERT_TRUE(runUntil(c, [&] { return c.ctrl()->m_pImage != nullptr; }))
                << errorBits(client(c).GetErrorFlags());
            const std::string plain = k.user + ":" + k.password;
            std::string encoded(plain.size() / 3 * 4 + 8, '\0');
            encoded.resize(static_cast<size_t>(CStreamClient::Base64Encode(
                reinterpret_cast<const unsigned char*>(plain.data()), static_cast<int>(plain.size()), encoded.data())));
            const auto stream = cam.requests("nphContinuousServerPush");
            ASSERT_EQ(stream.size(), 1u);
            EXPECT_NE(stream[0].find("\"authorization\":\"Basic " + encoded + "\""), std::string::npos) << stream[0];
        } else {
            ASSERT_TRUE(runUntil(c, [&] { return client(c).GetState() == STREAM_FAILED; }));
            EXPECT_EQ(client(c).GetErrorFlags(), ERR_STATUS);
            EXPECT_TRUE(cam.requests("nphContinuousServerPush").empty());
        }
    }
}

TEST_F(Integration, CancelledPromptFailsThePreflight)
{
    Camsim cam({"--user", "admin:secret"});
    standin::SetPasswordPrompt([](HWND, const std::string&, std::string&, std::string&, const std::atomic<bool>&) { return false; });
    TestContainer c;
    embedOn(c, cam);
    ASSERT_TRUE(runUntil(c, [&] { return client(c).GetState() == STREAM_FAILED; }));
    EXPECT_EQ(client(c).GetErrorFlags(), ERR_DIALOG | ERR_PREFLIGHT_STATUS);
    EXPECT_TRUE(cam.requests("nphContinuousServerPush").empty());
    c.advance(TIMER_TICK_PERIOD_MS);
    const auto texts = c.paint();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text.rfind(" Error Code(8020 / ", 0), 0u) << texts[0].text;
}

TEST_F(Integration, SessionCookieReachesTheStreamRequest)
{
    Camsim cam({"--cookie", "--fps", "25"});
    TestContainer c;
    embedOn(c, cam);
    ASSERT_TRUE(runUntil(c, [&] { return c.ctrl()->m_pImage != nullptr; }));
    EXPECT_EQ(std::string(client(c).GetCookieText()).rfind("SESSIONID=", 0), 0u);
    const auto stream = cam.requests("nphContinuousServerPush");
    ASSERT_EQ(stream.size(), 1u);
    EXPECT_NE(stream[0].find("\"cookie\":\"SESSIONID="), std::string::npos) << stream[0];
}

TEST_F(Integration, StreamThroughTinyproxyGoesToTheProxysAddress)
{
    Camsim cam({"--fps", "25"});
    Tinyproxy proxy;
    ASSERT_TRUE(proxy.ready()) << "tinyproxy did not start";
    setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(proxy.port())).c_str(), 1);
    TestContainer c;
    embedOn(c, cam);
    ASSERT_TRUE(runUntil(c, [&] { return c.ctrl()->m_pImage != nullptr; }));
    // Both the preflight and the stream came through the proxy.
    const auto root = cam.requests("\"target\":\"/\"");
    ASSERT_FALSE(root.empty());
    EXPECT_NE(root[0].find("\"via\""), std::string::npos) << root[0];
    const auto stream = cam.requests("nphContinuousServerPush");
    ASSERT_EQ(stream.size(), 1u);
    EXPECT_NE(stream[0].find("\"via\""), std::string::npos) << stream[0];
    unsetenv("http_proxy");
}

TEST_F(Integration, APartLargerThanTheReceiveBufferIsDroppedAndTheNextOnesShow)
{
    Camsim cam({"--oversize-part", "600000", "--fps", "25"});
    TestContainer c;
    embedOn(c, cam);
    ASSERT_TRUE(runUntil(c, [&] { return c.ctrl()->m_pImage != nullptr; }));
    EXPECT_EQ(client(c).GetState(), STREAM_STREAMING);
}

TEST_F(Integration, GarbageBeforeTheFirstPartIsSkipped)
{
    Camsim cam({"--garbage-prefix", "--fps", "25"});
    TestContainer c;
    embedOn(c, cam);
    ASSERT_TRUE(runUntil(c, [&] { return c.ctrl()->m_pImage != nullptr; }));
}

TEST_F(Integration, PartsWithCrLfHeadersShowNoPicture)
{
    Camsim cam({"--crlf-parts", "--fps", "25"});
    TestContainer c;
    embedOn(c, cam);
    ASSERT_TRUE(runUntil(c, [&] { return client(c).GetState() == STREAM_STREAMING; }));
    EXPECT_FALSE(runUntil(c, [&] { return c.ctrl()->m_pImage != nullptr; }, 500ms));
}

TEST_F(Integration, LiveFrameAsPng)
{
    Camsim cam({"--fps", "25"});
    TestContainer c;
    embedOn(c, cam, "640x480");
    ASSERT_TRUE(runUntil(c, [&] { return c.ctrl()->m_pImage != nullptr; }));
    c.paint();
    const std::string file = ::testing::TempDir() + "/live-frame.png";
    ASSERT_TRUE(standin::WriteSurfacePng(c.surface(), file));
    std::printf("live frame from camsim: %s\n", file.c_str());
}

TEST_F(Integration, StreamStatusOtherThan200Fails)
{
    Camsim cam({"--stream-status", "404"});
    TestContainer c;
    embedOn(c, cam);
    ASSERT_TRUE(runUntil(c, [&] { return client(c).GetState() == STREAM_FAILED; }));
    EXPECT_EQ(client(c).GetErrorFlags(), ERR_STATUS);
}

TEST_F(Integration, ClosedPortFailsInThePreflightAfterThreeTries)
{
    RefusingPort closed;
    TestContainer c;
    c.browser().locationUrl = "http://127.0.0.1:" + std::to_string(closed.port()) + "/ImageViewer";
    const auto start = std::chrono::steady_clock::now();
    c.embed({{"ImagePath", "?Resolution=320x240"}});
    ASSERT_TRUE(runUntil(c, [&] { return client(c).GetState() == STREAM_FAILED; }));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(client(c).GetErrorFlags(), ERR_OPEN_URL);
    EXPECT_EQ(client(c).GetErrorCode(), ERROR_INTERNET_CANNOT_CONNECT);
    EXPECT_GE(took, 200ms); // three tries, 100 ms apart
}

TEST_F(Integration, UnresolvableNameFailsInThePreflight)
{
    TestContainer c;
    c.browser().locationUrl = "http://camera.invalid/ImageViewer";
    c.embed({{"ImagePath", "?Resolution=320x240"}});
    ASSERT_TRUE(runUntil(c, [&] { return client(c).GetState() == STREAM_FAILED; }, 20s));
    EXPECT_EQ(client(c).GetErrorFlags(), ERR_OPEN_URL);
    EXPECT_EQ(client(c).GetErrorCode(), ERROR_INTERNET_NAME_NOT_RESOLVED);
}

TEST_F(Integration, RefusedStreamConnectionAfterAGoodPreflight)
{
    Camsim cam({"--refuse-stream"});
    TestContainer c;
    embedOn(c, cam);
    ASSERT_TRUE(runUntil(c, [&] { return client(c).GetState() == STREAM_FAILED; }));
    EXPECT_EQ(client(c).GetErrorFlags(), ERR_CONNECT);
    EXPECT_EQ(client(c).GetErrorCode(), static_cast<DWORD>(WSAECONNREFUSED));
}

TEST_F(Integration, TwoControlsInOneWindowBothStream)
{
    Camsim cam({"--fps", "25"});
    TestContainer first;
    embedOn(first, cam);
    TestContainer second; // installs its own clock; both share the thread's queue
    embedOn(second, cam);
    ASSERT_TRUE(runUntil(second, [&] {
        first.pump(); // the first container paints its own control
        return first.ctrl()->m_pImage && second.ctrl()->m_pImage;
    }));
    EXPECT_EQ(cam.requests("nphContinuousServerPush").size(), 2u);
}

void destroyWithWatchdog(TestContainer& c, const char* where);

// Another control of the same browser window holding the camera's
// preflight mutex: this one waits, and starts when it is released.
HANDLE holdPreflightMutex(const Camsim& cam, HWND browser)
{
    const std::string name = cam.url("/") + std::to_string(reinterpret_cast<std::intptr_t>(browser));
    HANDLE m = CreateMutexA(nullptr, TRUE, name.c_str());
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    return m;
}

TEST_F(Integration, PreflightsToOneCameraFromOneWindowRunOneAfterTheOther)
{
    Camsim cam({"--fps", "25"});
    TestContainer c;
    HANDLE other = holdPreflightMutex(cam, c.browser().hwnd);
    embedOn(c, cam);
    EXPECT_FALSE(runUntil(c, [&] { return !cam.requests("\"target\":\"/\"").empty(); }, 400ms));
    EXPECT_EQ(client(c).GetState(), STREAM_PREFLIGHT);
    ReleaseMutex(other);
    CloseHandle(other);
    ASSERT_TRUE(runUntil(c, [&] { return c.ctrl()->m_pImage != nullptr; }));
}

TEST_F(Integration, DestroyingWhileWaitingForAnotherControlsPreflight)
{
    Camsim cam;
    TestContainer c;
    HANDLE other = holdPreflightMutex(cam, c.browser().hwnd);
    embedOn(c, cam);
    ASSERT_TRUE(runUntil(c, [&] { return client(c).GetState() == STREAM_PREFLIGHT; }));
    std::this_thread::sleep_for(150ms);
    destroyWithWatchdog(c, "while waiting for another control's preflight");
    ReleaseMutex(other);
    CloseHandle(other);
}

// Destroying the control ends its worker wherever it is blocked; the
// destruction runs on the control's own thread.
void destroyWithWatchdog(TestContainer& c, const char* where)
{
    DestroyWithWatchdog([&] { c.destroy(); }, where);
}

TEST_F(Integration, DestroyingWhileThePreflightWaitsForAnAnswer)
{
    // A server that accepts connections and never answers.
    LoopbackListener silent;
    TestContainer c;
    c.browser().locationUrl = "http://127.0.0.1:" + std::to_string(silent.port()) + "/ImageViewer";
    c.embed({{"ImagePath", "?Resolution=320x240"}});
    ASSERT_TRUE(runUntil(c, [&] { return client(c).GetState() == STREAM_PREFLIGHT; }));
    std::this_thread::sleep_for(200ms);
    destroyWithWatchdog(c, "during a preflight");
}

TEST_F(Integration, DestroyingWhileTheResponseHeadIsAwaited)
{
    Camsim cam({"--stream-hang"});
    TestContainer c;
    embedOn(c, cam);
    ASSERT_TRUE(runUntil(c, [&] { return !cam.requests("nphContinuousServerPush").empty(); }));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(client(c).GetState(), STREAM_CONNECTING);
    destroyWithWatchdog(c, "while reading the response head");
}

TEST_F(Integration, DestroyingWhileStreaming)
{
    Camsim cam({"--fps", "25"});
    TestContainer c;
    embedOn(c, cam);
    ASSERT_TRUE(runUntil(c, [&] { return client(c).GetState() == STREAM_STREAMING; }));
    destroyWithWatchdog(c, "while streaming");
}

TEST_F(Integration, StopCommandEndsTheStreamAndTheTick)
{
    Camsim cam({"--fps", "25"});
    TestContainer c;
    embedOn(c, cam);
    ASSERT_TRUE(runUntil(c, [&] { return client(c).GetState() == STREAM_STREAMING; }));
    IOleCommandTarget* target = nullptr;
    c.ctrl()->ExternalQueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(&target));
    target->Exec(nullptr, OLECMDID_STOP, 0, nullptr, nullptr);
    target->Release();
    c.advance(TIMER_TICK_PERIOD_MS);
    EXPECT_EQ(client(c).GetState(), STREAM_IDLE);
    EXPECT_EQ(c.ctrl()->m_nTimerId, 0u);
}

// Any picture stream, as a viewer given a stream's own address reads it:
// real ffmpeg, camsim's ordinary streams, camsim's own stream, and a page
// that is no stream at all.
enum class Server { Camsim, Ffmpeg };

struct AnyStream {
    const char* name;
    Server server;
    std::vector<std::string> camsim;
    const char* path;     // on the server; nullptr: the camera's relative stream path on its viewer page
    bool asPage;          // the address given as the page's rather than as ImagePath
    const char* status;   // the status text shown instead of pictures, or nullptr
};

std::ostream& operator<<(std::ostream& out, const AnyStream& s) { return out << s.name; }

const AnyStream kAnyStreams[] = {
    {"FfmpegMpjpeg", Server::Ffmpeg, {}, "/stream.mjpg", false, nullptr},
    {"CamsimCrLfWithLengths", Server::Camsim, {"--fps", "20", "--mjpeg-path", "/stream.mjpg"}, "/stream.mjpg", false, nullptr},
    {"CamsimLfWithoutLengths", Server::Camsim, {"--fps", "20", "--mjpeg-path", "/live/v.mjpg", "--mjpeg-lf"}, "/live/v.mjpg",
     true, nullptr},
    {"CamsimOwnStream", Server::Camsim, {"--fps", "20"}, nullptr, false, nullptr},
    {"HtmlPage", Server::Camsim, {}, "/", false, "not a picture stream: text/html"},
};

// Whether something listens on the loopback port, read from the kernel's
// table rather than by connecting (ffmpeg serves one connection only).
bool listening(int port)
{
    std::ifstream table("/proc/net/tcp");
    char wanted[48];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X 00000000:0000 0A ", port);
    for (std::string line; std::getline(table, line);)
        if (line.find(wanted) != std::string::npos) return true;
    return false;
}

class AnyPictureStream : public Integration, public ::testing::WithParamInterface<AnyStream> {};

TEST_P(AnyPictureStream, PicturesAreDrawnOrTheStatusSaysWhyNot)
{
    const AnyStream& s = GetParam();
    std::unique_ptr<Camsim> cam;
    std::unique_ptr<ChildProcess> ffmpeg;
    std::string base;
    if (s.server == Server::Ffmpeg) {
        if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg";
        const int port = FreePort();
        base = "http://127.0.0.1:" + std::to_string(port);
        ffmpeg = std::make_unique<ChildProcess>(
            std::vector<std::string>{"ffmpeg", "-nostdin", "-loglevel", "error", "-re", "-f", "lavfi", "-i",
                                     "testsrc=size=320x240:rate=15", "-f", "mpjpeg", "-listen", "1", base + s.path},
            "/tmp/ve-any-stream-ffmpeg.out");
        ASSERT_TRUE(Eventually([&] { return listening(port); })) << "ffmpeg does not listen";
    } else {
        cam = std::make_unique<Camsim>(s.camsim);
        ASSERT_NE(cam->port(), 0);
        base = cam->url("");
        if (!base.empty() && base.back() == '/') base.pop_back();
    }

    TestContainer c;
    IFrameTap* tap = nullptr;
    ASSERT_EQ(c.ctrl()->ExternalQueryInterface(IID_IFrameTap, reinterpret_cast<void**>(&tap)), S_OK);
    EXPECT_EQ(tap->SetAnyPictureStream(TRUE), S_OK);
    if (!s.path) {
        embedOn(c, *cam);
    } else if (s.asPage) {
        c.browser().locationUrl = base + s.path;
        c.embed();
    } else {
        c.browser().locationUrl = "about:blank";
        c.embed({{"ImagePath", base + s.path}});
    }

    // Pictures counted as the tap sees them cut (an allocator may give a
    // new picture the address of the last).
    struct CountingSink final : IFrameSink {
        int frames = 0;
        HRESULT STDMETHODCALLTYPE OnFrame(const BYTE*, DWORD, DWORD) override
        {
            ++frames;
            return S_OK;
        }
    } sink;
    tap->SetFrameSink(&sink);
    std::string status;
    const bool done = runUntil(
        c,
        [&] {
            for (const DrawnText& t : c.surface().texts()) status = t.text;
            return s.status ? status == s.status : sink.frames >= 4 && c.ctrl()->m_pImage;
        },
        20s);
    tap->SetFrameSink(nullptr);
    if (s.status) {
        EXPECT_TRUE(done) << "status: " << status;
        EXPECT_EQ(c.ctrl()->m_pImage, nullptr);
    } else {
        ASSERT_TRUE(done) << "pictures cut: " << sink.frames << ", status: " << status;
        EXPECT_EQ(c.ctrl()->m_pImage->GetWidth(), 320);
        EXPECT_EQ(c.ctrl()->m_pImage->GetHeight(), 240);
        c.paint();
        EXPECT_FALSE(c.surface().pictures().empty()) << "the last picture is drawn";
        DWORD count = 0, length = 0;
        tap->GetOversizedFrames(&count, &length);
        EXPECT_EQ(count, 0u);
    }
    tap->Release();
}

INSTANTIATE_TEST_SUITE_P(Servers, AnyPictureStream, ::testing::ValuesIn(kAnyStreams),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
