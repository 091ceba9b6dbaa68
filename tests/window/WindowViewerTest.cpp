// camview in a real window: an X server of its own (Xvfb), the pointer
// driven by xdotool as a person would, the screen read back from the
// server. Skipped where Xvfb or xdotool is not installed.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <thread>

#include "platform/gdi/linux/StandInGdi.h"
#include "tests/integration/Processes.h"
#include "tests/integration/Viewer.h"
#include "tests/support/PngFile.h"
#include "tests/support/RecordedFile.h"

namespace {

using namespace std::chrono_literals;

bool installed(const char* program) { return std::system((std::string("command -v ") + program + " >/dev/null").c_str()) == 0; }

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string run(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
        pclose(p);
    }
    return out;
}

// An X server on a display number nobody uses.
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        for (int n = 91; n < 140 && !m_server; ++n) {
            struct stat st;
            if (stat(("/tmp/.X11-unix/X" + std::to_string(n)).c_str(), &st) == 0) continue;
            if (stat(("/tmp/.X" + std::to_string(n) + "-lock").c_str(), &st) == 0) continue;
            m_name = ":" + std::to_string(n);
            m_log = "/tmp/ve-xvfb" + std::to_string(n) + ".log";
            m_server = std::make_unique<ChildProcess>(
                std::vector<std::string>{"Xvfb", m_name, "-screen", "0", "800x600x24", "-nolisten", "tcp"}, m_log);
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
            m_ready = Eventually([&] { return stat(socket.c_str(), &st) == 0; }, 5s);
        }
        if (m_ready) m_display = XOpenDisplay(m_name.c_str());
    }
    ~VirtualDisplay()
    {
        if (m_display) XCloseDisplay(m_display);
    }
    Display* display() const { return m_display; }
    const std::string& name() const { return m_name; }

private:
    std::string m_name;
    std::string m_log;
    std::unique_ptr<ChildProcess> m_server;
    bool m_ready = false;
    Display* m_display = nullptr;
};

// An X error (a window read while it is being mapped or resized answers
// BadMatch) makes that read fail, instead of Xlib's default of ending the
// test program: the callers ask again.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

// The window's contents as the X server shows them; null when they cannot
// be read now.
std::shared_ptr<Surface> grab(Display* display, Window window)
{
    XSetErrorHandler(ignoreXError);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return nullptr;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) return nullptr;
    auto surface = std::make_shared<Surface>(attributes.width, attributes.height);
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x)
            surface->setRaw(x, y, static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
    XDestroyImage(image);
    return surface;
}

TEST(WindowViewer, ClicksZoomsAndShowsThePictureInARealWindow)
{
    if (!installed("Xvfb") || !installed("xdotool")) GTEST_SKIP() << "Xvfb and xdotool are not installed";
    VirtualDisplay x;
    ASSERT_NE(x.display(), nullptr) << "Xvfb did not start";
    setenv("DISPLAY", x.name().c_str(), 1);

    Camsim cam({"--fps", "15", "--param", "DigitalZoom=Enable", "--param", "ClickAndCenter=Real"});
    const std::string registry = TempRegistry();
    const std::string events = registry + ".events";
    setenv("VE_REGISTRY", registry.c_str(), 1);
    unsetenv("http_proxy");
    unsetenv("HTTP_PROXY");
    auto viewer = std::make_unique<ChildProcess>(
        std::vector<std::string>{VE_CAMVIEW_PATH, cam.url("/ImageViewer"), "--events"}, events);

    std::string window;
    ASSERT_TRUE(Eventually([&] {
        window = run("xdotool search --name '^camview - ' 2>/dev/null");
        return !window.empty();
    })) << readFile(events);
    window = window.substr(0, window.find('\n'));
    ASSERT_TRUE(Eventually([&] { return LinesWith(readFile(events), "\"frame\":").size() >= 3; })) << readFile(events);

    // A click in Real mode: the camera is asked to centre the clicked point
    // (the 320-pixel picture centred in the 480-pixel window).
    run("xdotool mousemove --window " + window + " 180 60 click 1");
    EXPECT_TRUE(Eventually([&] { return cam.requests("NewPosition.x=100&NewPosition.y=60").size() == 1; }))
        << readFile(events);

    // The screen shows the camera's picture: sky at the top, ground below.
    EXPECT_TRUE(Eventually([&] { return !LinesWith(readFile(events), "\"message\"").empty(); })) << readFile(events);
    std::this_thread::sleep_for(300ms);
    const auto shot = grab(x.display(), static_cast<Window>(std::stoul(window)));
    ASSERT_NE(shot, nullptr);
    const char* keep = std::getenv("VE_WINDOW_SCREENSHOT");
    standin::WriteSurfacePng(*shot, keep ? keep : (registry + ".window.png").c_str());
    EXPECT_EQ(shot->width(), 480); // the 320-pixel control in the narrowest window
    EXPECT_GT(shot->rgb(300, 40) & 0xFF, 200u);        // sky blue
    EXPECT_LT(shot->rgb(90, 230) & 0xFF, 120u);        // ground, not white
    EXPECT_EQ(shot->rgb(10, 230), 0x202428u);          // beside the centred picture

    // Holding the right button near the top edge zooms in under the zoom
    // cursor (the control's 32 x 32 magnifier, its hotspot in the lens).
    run("xdotool mousemove --window " + window + " 240 8 mousedown 3");
    EXPECT_TRUE(Eventually([&] { return !LinesWith(readFile(events), "\"cursor\":\"icon 20").empty(); })) << readFile(events);
    std::this_thread::sleep_for(300ms);
    XFixesCursorImage* cursor = XFixesGetCursorImage(x.display());
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->width, 32);
    EXPECT_EQ(cursor->xhot, 12);
    EXPECT_EQ(cursor->yhot, 12);
    XFree(cursor);
    // The magnification grows while the button is held, however slowly a
    // loaded machine ticks.
    EXPECT_TRUE(Eventually([&] {
        return !LinesWith(readFile(events), "\"event\":\"DZoomMagChanged\",\"value\":2").empty();
    })) << readFile(events);
    run("xdotool mouseup 3");

    // q quits cleanly.
    run("xdotool windowfocus " + window + " key q 2>/dev/null");
    EXPECT_TRUE(Eventually([&] { return run("xdotool search --name '^camview - ' 2>/dev/null").empty(); }));
    viewer.reset();
}

// The address dialog, once it is the window that stays (making a renderer
// may replace the first): its window.
std::string addressDialog()
{
    std::string window;
    Eventually([&] {
        window = run("xdotool search --onlyvisible --name '^camview - open a camera$' 2>/dev/null");
        return !window.empty();
    });
    return window.substr(0, window.find('\n'));
}

// Types an address into the dialog and opens it.
void openAddress(const std::string& window, const std::string& typed)
{
    run("xdotool windowfocus --sync " + window + " 2>/dev/null");
    std::this_thread::sleep_for(200ms);
    run("xdotool type --delay 20 '" + typed + "'");
    run("xdotool key Return");
}

// Started without an address, the window asks for one and remembers it;
// resized, the picture scales with the window and a click lands on the
// picture pixel it was aimed at, in the grid and with one camera alone;
// s writes a snapshot of the camera under the pointer.
TEST(WindowViewer, AskedForItsAddressItScalesWithTheWindowAndSavesSnapshots)
{
    if (!installed("Xvfb") || !installed("xdotool")) GTEST_SKIP() << "Xvfb and xdotool are not installed";
    VirtualDisplay x;
    ASSERT_NE(x.display(), nullptr) << "Xvfb did not start";
    setenv("DISPLAY", x.name().c_str(), 1);

    Camsim cam({"--fps", "15", "--param", "ClickAndCenter=Real"});
    const std::string registry = TempRegistry();
    const std::string events = registry + ".events";
    const std::string config = registry + ".config";
    const std::string pictures = registry + ".pictures";
    setenv("VE_REGISTRY", registry.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_PICTURES_DIR", pictures.c_str(), 1);
    unsetenv("http_proxy");
    unsetenv("HTTP_PROXY");
    auto viewer = std::make_unique<ChildProcess>(std::vector<std::string>{VE_CAMVIEW_PATH, "--events"}, events);

    const std::string window = addressDialog();
    ASSERT_FALSE(window.empty()) << readFile(events);
    // A bare host and port: the viewer adds the scheme and the viewer page.
    const std::string typed = "127.0.0.1:" + std::to_string(cam.port());
    openAddress(window, typed);
    ASSERT_TRUE(Eventually([&] { return LinesWith(readFile(events), "\"frame\":").size() >= 3; })) << readFile(events);
    EXPECT_EQ(readFile(config + "/camview/recent"), "http://" + typed + "/ImageViewer\n");

    // At 720 x 459 the bars keep their height and the 320 x 240 picture is
    // scaled into the 720 x 393 above them, 524 x 393 from x = 98: a click
    // at (263, 99) is the picture's (100, 60).
    run("xdotool windowmove " + window + " 0 0 windowsize " + window + " 720 459");
    ASSERT_TRUE(Eventually([&] { return run("xdotool getwindowgeometry " + window).find("720x459") != std::string::npos; }));
    std::this_thread::sleep_for(300ms);
    run("xdotool mousemove --window " + window + " 263 99 click 1");
    EXPECT_TRUE(Eventually([&] { return cam.requests("NewPosition.x=100&NewPosition.y=60&").size() == 1; }))
        << readFile(events);

    // The camera alone is scaled the same way: (180, 66) is the picture's
    // (50, 40).
    run("xdotool key --window " + window + " 1");
    std::this_thread::sleep_for(300ms);
    run("xdotool mousemove --window " + window + " 180 66 click 1");
    EXPECT_TRUE(Eventually([&] { return cam.requests("NewPosition.x=50&NewPosition.y=40&").size() == 1; }))
        << readFile(events);
    const auto shot = grab(x.display(), static_cast<Window>(std::stoul(window)));
    ASSERT_NE(shot, nullptr);
    const char* keep = std::getenv("VE_WINDOW_ALONE_SCREENSHOT");
    standin::WriteSurfacePng(*shot, keep ? keep : (registry + ".alone.png").c_str());
    EXPECT_GT(shot->rgb(600, 40) & 0xFF, 200u); // the sky, scaled to the right edge of the picture
    EXPECT_EQ(shot->rgb(40, 300), shot->rgb(40, 40)); // bands beside the picture are the background
    EXPECT_NE(shot->rgb(600, 40), shot->rgb(40, 40));

    // s: a snapshot of the camera, at the camera's own size.
    run("xdotool mousemove --window " + window + " 360 200 key --window " + window + " s");
    std::string saved;
    ASSERT_TRUE(Eventually([&] {
        saved = run("ls " + pictures + " 2>/dev/null");
        return !saved.empty();
    }));
    saved = saved.substr(0, saved.find('\n'));
    EXPECT_EQ(saved.rfind("camview-127.0.0.1_" + std::to_string(cam.port()) + "-", 0), 0u) << saved;
    const RgbPicture snapshot = ReadPng(pictures + "/" + saved);
    EXPECT_EQ(snapshot.width, 320) << saved;
    EXPECT_EQ(snapshot.height, 240);
    if (snapshot.width == 320) {
        EXPECT_GT(snapshot.at(160, 40)[2], 200); // the sky, below the frame stamp
    }

    run("xdotool key --window " + window + " q 2>/dev/null");
    EXPECT_TRUE(Eventually([&] { return run("xdotool search --name '^camview' 2>/dev/null").empty(); }));
    viewer.reset();
}

// camview in a window on an X server of its own, with a registry and a
// configuration folder of its own; the window it shows the page in, and
// its pixels.
class WindowViewerRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!installed("Xvfb") || !installed("xdotool")) GTEST_SKIP() << "Xvfb and xdotool are not installed";
        m_x = std::make_unique<VirtualDisplay>();
        ASSERT_NE(m_x->display(), nullptr) << "Xvfb did not start";
        setenv("DISPLAY", m_x->name().c_str(), 1);
        setenv("VE_REGISTRY", registry.c_str(), 1);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        unsetenv("http_proxy");
        unsetenv("HTTP_PROXY");
    }
    void TearDown() override
    {
        if (!window.empty()) run("xdotool key --window " + window + " q 2>/dev/null");
        m_viewer.reset();
        m_x.reset();
    }
    void start(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {VE_CAMVIEW_PATH, "--events"});
        m_viewer = std::make_unique<ChildProcess>(arguments, events);
    }
    // Waits for the window titled by a camera and for `frames` frames drawn.
    bool showsThePage(std::size_t frames)
    {
        return Eventually([&] {
            window = run("xdotool search --onlyvisible --name '^camview - 127' 2>/dev/null");
            window = window.substr(0, window.find('\n'));
            return !window.empty() && LinesWith(readFile(events), "\"frame\":").size() >= frames;
        });
    }
    std::string geometry() const { return run("xdotool getwindowgeometry " + window); }
    bool geometryIs(const std::string& size)
    {
        return Eventually([&] { return geometry().find(size) != std::string::npos; });
    }
    std::shared_ptr<Surface> shot() const { return grab(m_x->display(), static_cast<Window>(std::stoul(window))); }
    std::uint32_t pixel(int px, int py) const
    {
        const auto picture = shot();
        return picture ? (picture->rgb(px, py) & 0xFFFFFF) : 0u;
    }

    const std::string registry = TempRegistry();
    const std::string events = registry + ".events";
    const std::string config = registry + ".config";
    std::string window;

private:
    std::unique_ptr<VirtualDisplay> m_x;
    std::unique_ptr<ChildProcess> m_viewer;
};

constexpr std::uint32_t kPanel = 0xECECEC;      // a dialog's or label's panel
constexpr std::uint32_t kBackground = 0x202428; // the window's background

// An address that cannot be shown leaves the window open: the address
// dialog asks again (the reason in it), a working address then streams, and
// only that one is remembered.
TEST_F(WindowViewerRun, AnAddressThatFailsLeavesTheWindowAskingAgain)
{
    Camsim cam({"--fps", "15"});
    start({"http://127.0.0.1:" + std::to_string(FreePort()) + "/ImageViewer"});
    window = addressDialog();
    ASSERT_FALSE(window.empty()) << readFile(events);
    EXPECT_NE(readFile(events).find("cannot reach 127.0.0.1:"), std::string::npos) << readFile(events);
    const std::string typed = "127.0.0.1:" + std::to_string(cam.port());
    openAddress(window, typed);
    ASSERT_TRUE(Eventually([&] { return LinesWith(readFile(events), "\"frame\":").size() >= 2; })) << readFile(events);
    EXPECT_EQ(readFile(config + "/camview/recent"), "http://" + typed + "/ImageViewer\n");
}

// --geometry gives the window its size and place; f makes it full screen
// and back to that size (f or Esc), without a window manager.
TEST_F(WindowViewerRun, GeometryGivesTheWindowItsSizeAndPlace)
{
    Camsim cam({"--fps", "15"});
    start({"--geometry", "700x500+30+40", cam.url("/ImageViewer")});
    ASSERT_TRUE(showsThePage(2)) << readFile(events);
    EXPECT_TRUE(geometryIs("700x500")) << geometry();
    run("xdotool key --window " + window + " f");
    EXPECT_TRUE(geometryIs("800x600")) << geometry();
    run("xdotool key --window " + window + " f");
    EXPECT_TRUE(geometryIs("700x500")) << geometry();
    // Esc leaves full screen too.
    run("xdotool key --window " + window + " f");
    EXPECT_TRUE(geometryIs("800x600")) << geometry();
    run("xdotool key --window " + window + " Escape");
    EXPECT_TRUE(geometryIs("700x500")) << geometry();
}

// F1 lists the keys over the picture, any key closes the list; Esc is the
// browser's Stop: the last picture stays and the cell says "stopped".
TEST_F(WindowViewerRun, TheKeysListAndAfterEscTheCellSaysStopped)
{
    Camsim cam({"--fps", "15"});
    start({cam.url("/ImageViewer")});
    ASSERT_TRUE(showsThePage(2)) << readFile(events);
    EXPECT_NE(pixel(86, 6), kPanel); // the picture (centred, from x = 80), before
    run("xdotool key --window " + window + " F1");
    EXPECT_TRUE(Eventually([&] { return pixel(300, 10) == kPanel; }));
    run("xdotool key --window " + window + " x");
    EXPECT_TRUE(Eventually([&] { return pixel(300, 10) != kPanel; }));
    run("xdotool key --window " + window + " Escape");
    EXPECT_TRUE(Eventually([&] { return pixel(86, 6) == kPanel; })) << readFile(events); // the label at the cell's top
    EXPECT_EQ(LinesWith(readFile(events), "\"key\":\"Escape\"").size(), 1u) << "reported as camview.exe does";
    // F5 undoes it, as a browser's Reload: the camera is made again and draws.
    const std::size_t frames = LinesWith(readFile(events), "\"frame\":").size();
    run("xdotool key --window " + window + " F5");
    EXPECT_TRUE(Eventually([&] { return LinesWith(readFile(events), "\"frame\":").size() >= frames + 2 && pixel(86, 6) != kPanel; }))
        << readFile(events);
    EXPECT_EQ(cam.requests("/cgi-bin/nphContinuousServerPush").size(), 2u);
}

// Resized or full screen, the window lays out again at its size: the keys'
// list and the bars' text are the same pixels at 480 x 306 and at
// 780 x 580 (drawn at the window's own size, not a scaled bitmap), the
// bars span the whole width (with one camera alone too), and the picture
// is scaled into the rest, centred with its shape kept.
TEST_F(WindowViewerRun, ResizedTheTextKeepsItsPixelsAndThePictureIsCentred)
{
    Camsim cam({"--fps", "15"});
    start({cam.url("/ImageViewer")});
    ASSERT_TRUE(showsThePage(2)) << readFile(events);
    ASSERT_TRUE(geometryIs("480x306")) << geometry();
    run("xdotool key --window " + window + " F1");
    ASSERT_TRUE(Eventually([&] { return pixel(150, 11) == kPanel; }));
    const RECT list{4, 4, 240, 200}; // left of where a long line ends in "..." at 480
    const auto region = [&](const Surface& s) {
        std::vector<std::uint32_t> pixels;
        for (int y = list.top; y < list.bottom; ++y)
            for (int x = list.left; x < list.right; ++x) pixels.push_back(s.rgb(x, y) & 0xFFFFFF);
        return pixels;
    };
    const auto small = shot();
    ASSERT_NE(small, nullptr);
    run("xdotool windowmove " + window + " 0 0 windowsize " + window + " 780 580");
    ASSERT_TRUE(geometryIs("780x580")) << geometry();
    std::shared_ptr<Surface> large;
    EXPECT_TRUE(Eventually([&] {
        large = shot();
        return large && large->width() == 780 && region(*large) == region(*small);
    })) << "the keys' list is not the same pixels at 780 x 580";
    run("xdotool key --window " + window + " Escape key --window " + window + " 1");
    EXPECT_TRUE(Eventually([&] {
        large = shot();
        // The status line and the Message area the window's width, 22 and
        // 44 pixels high; beside the centred 4:3 picture, the background.
        return large && (large->rgb(770, 580 - 11) & 0xFFFFFF) == kPanel && (large->rgb(770, 580 - 23) & 0xFFFFFF) == 0xF4F4F4 &&
               (large->rgb(770, 580 - 67) & 0xFFFFFF) == kBackground && (large->rgb(3, 300) & 0xFFFFFF) == kBackground &&
               (large->rgb(400, 300) & 0xFFFFFF) != kBackground;
    }));
}

// A camera whose stream ends keeps its last picture in the window; the
// cell says so over it and the camera is made again, which streams (camsim
// ends each stream after three frames).
TEST_F(WindowViewerRun, ACameraWhoseStreamEndedIsMadeAgainUnderALineSayingSo)
{
    Camsim cam({"--fps", "15", "--frames", "3"});
    start({cam.url("/ImageViewer")});
    ASSERT_TRUE(showsThePage(2)) << readFile(events);
    const std::uint32_t picture = pixel(160, 200);
    EXPECT_NE(picture, kPanel);
    // The line over the cell's top while it waits, the picture below it.
    ASSERT_TRUE(Eventually([&] { return pixel(300, 10) == kPanel; })) << readFile(events);
    EXPECT_EQ(pixel(160, 200), picture);
    EXPECT_EQ(LinesWith(readFile(events), "\"stream_ended\":\"the stream ended\"").size(), 1u) << readFile(events);
    ASSERT_TRUE(Eventually([&] { return !LinesWith(readFile(events), "\"reconnect\":1").empty(); }, 5s)) << readFile(events);
    // The fresh control streams: the line goes, frames come again.
    EXPECT_TRUE(Eventually([&] { return LinesWith(readFile(events), "\"frame\":").size() >= 5 && pixel(300, 10) != kPanel; }, 10s))
        << readFile(events);
    EXPECT_EQ(cam.requests("/cgi-bin/nphContinuousServerPush").size(), 2u);
}

// --record records from the start and r ends it; r then records into the
// videos folder until the window closes: both files are finished, whole
// Matroska files of the camera's frames.
TEST_F(WindowViewerRun, RecordsWithRecordAndTheRKeyAndFinishesOnClose)
{
    Camsim cam({"--fps", "15"});
    const std::string videos = registry + ".videos";
    setenv("XDG_VIDEOS_DIR", videos.c_str(), 1);
    const std::string first = registry + ".mkv";
    start({"--record", first, cam.url("/ImageViewer")});
    ASSERT_TRUE(showsThePage(3)) << readFile(events);
    run("xdotool mousemove --window " + window + " 100 60 key --window " + window + " r");
    ASSERT_TRUE(Eventually([&] { return ReadRecordedFile(first).packets.size() >= 3; }));
    run("xdotool key --window " + window + " r");
    std::string second;
    ASSERT_TRUE(Eventually([&] {
        second = run("ls " + videos + " 2>/dev/null");
        return !second.empty();
    }));
    second = videos + "/" + second.substr(0, second.find('\n'));
    EXPECT_NE(second.find("/camview-127.0.0.1_" + std::to_string(cam.port()) + "-"), std::string::npos) << second;
    const std::size_t frames = LinesWith(readFile(events), "\"frame\":").size();
    ASSERT_TRUE(Eventually([&] { return LinesWith(readFile(events), "\"frame\":").size() >= frames + 3; }));
    run("xdotool key --window " + window + " q 2>/dev/null");
    ASSERT_TRUE(Eventually([&] { return run("xdotool search --name '^camview' 2>/dev/null").empty(); }));
    window.clear();
    const RecordedFile recorded = ReadRecordedFile(second);
    EXPECT_TRUE(recorded.mjpeg);
    EXPECT_GE(recorded.packets.size(), 2u);
    EXPECT_GT(recorded.durationMs, 0); // finished: its length written at the end
    unsetenv("XDG_VIDEOS_DIR");
}

// The password dialog asks over the grid; answered, it leaves no image
// behind, beside the grid either.
TEST_F(WindowViewerRun, ThePasswordDialogLeavesNoImageBehind)
{
    Camsim cam({"--fps", "15", "--user", "admin:secret"});
    start({cam.url("/ImageViewer")});
    // The dialog's panel beside the 320 x 240 grid of the 480 wide window.
    ASSERT_TRUE(Eventually([&] {
        window = run("xdotool search --onlyvisible --name '^camview' 2>/dev/null");
        window = window.substr(0, window.find('\n'));
        return !window.empty() && pixel(400, 150) == kPanel;
    })) << readFile(events);
    run("xdotool windowfocus --sync " + window + " 2>/dev/null");
    run("xdotool type --delay 20 admin");
    run("xdotool key Tab");
    run("xdotool type --delay 20 secret");
    run("xdotool key Return");
    ASSERT_TRUE(showsThePage(2)) << readFile(events);
    EXPECT_TRUE(Eventually([&] { return pixel(400, 150) == kBackground; })) << std::hex << pixel(400, 150);
}

// Credentials typed into the address dialog answer the camera (no password
// dialog comes) and are kept nowhere: the recent list (the user's alone),
// the report and the messages show the address without them.
TEST_F(WindowViewerRun, TypedCredentialsAreUsedAndKeptNowhere)
{
    Camsim cam({"--fps", "15", "--user", "admin:secret"});
    start({});
    window = addressDialog();
    ASSERT_FALSE(window.empty()) << readFile(events);
    const std::string address = "127.0.0.1:" + std::to_string(cam.port());
    openAddress(window, "admin:secret@" + address);
    ASSERT_TRUE(showsThePage(2)) << readFile(events);
    const std::string recent = config + "/camview/recent";
    EXPECT_EQ(readFile(recent), "http://" + address + "/ImageViewer\n");
    namespace fs = std::filesystem;
    EXPECT_EQ(fs::status(recent).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(config + "/camview").permissions(), fs::perms::owner_all);
    EXPECT_EQ(readFile(events).find("secret"), std::string::npos) << readFile(events);
}

// Cancel means no: a cancelled password dialog leaves the camera alone,
// its cell saying so, and does not come back by itself; Enter asks again.
TEST_F(WindowViewerRun, ACancelledPasswordAsksAgainOnlyAfterEnter)
{
    Camsim cam({"--fps", "15", "--user", "admin:secret"});
    // No session bus, so no secret store, whatever the desktop running the test has.
    unsetenv("DBUS_SESSION_BUS_ADDRESS");
    setenv("XDG_RUNTIME_DIR", config.c_str(), 1);
    start({cam.url("/ImageViewer")});
    const auto dialogShown = [&] {
        window = run("xdotool search --onlyvisible --name '^camview' 2>/dev/null");
        window = window.substr(0, window.find('\n'));
        return !window.empty() && pixel(400, 150) == kPanel;
    };
    ASSERT_TRUE(Eventually(dialogShown)) << readFile(events);
    run("xdotool windowfocus --sync " + window + " 2>/dev/null");
    run("xdotool key Escape");
    ASSERT_TRUE(Eventually([&] { return !LinesWith(readFile(events), "\"password_cancelled\":true").empty(); }))
        << readFile(events);
    // The line over the cell, no dialog, no new request, for three seconds.
    EXPECT_TRUE(Eventually([&] { return pixel(395, 2) == kPanel && pixel(400, 150) == kBackground; }));
    const std::size_t asked = cam.requests("\"target\":\"/\"").size();
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(cam.requests("\"target\":\"/\"").size(), asked);
    EXPECT_EQ(pixel(400, 150), kBackground);
    EXPECT_TRUE(LinesWith(readFile(events), "\"reconnect\":").empty()) << readFile(events);
    run("xdotool key Return");
    ASSERT_TRUE(Eventually(dialogShown)) << readFile(events);
    run("xdotool type --delay 20 admin");
    run("xdotool key Tab");
    run("xdotool type --delay 20 secret");
    // "Remember this password" (after OK and Cancel), then OK: with no
    // secret store on this display, the viewer says so and goes on.
    run("xdotool key Tab Tab Tab space Return");
    EXPECT_TRUE(showsThePage(2)) << readFile(events);
    EXPECT_NE(readFile(events).find("camview: no secret store: the password is not remembered"), std::string::npos)
        << readFile(events);
}

// A grid larger than the screen (nine cameras of 320 x 240 on an 800 x 600
// screen) opens scaled to fit the screen.
TEST_F(WindowViewerRun, AGridLargerThanTheScreenOpensScaledToFit)
{
    Camsim cam({"--fps", "5", "--objects", "9"});
    start({cam.url("/ImageViewer")});
    ASSERT_TRUE(showsThePage(1)) << readFile(events);
    int width = 0, height = 0;
    const std::string shown = geometry();
    const auto at = shown.find("Geometry: ");
    ASSERT_NE(at, std::string::npos) << shown;
    ASSERT_EQ(std::sscanf(shown.c_str() + at + 10, "%dx%d", &width, &height), 2) << shown;
    EXPECT_LE(width, 800) << shown;
    EXPECT_LE(height, 600) << shown;
    EXPECT_GT(width, 400) << shown;
}

} // namespace

namespace {

// What a test of camview.exe (VE_WINDOWS_VIEWER) in a real window needs:
// an X server of its own named in DISPLAY, and Wine's X11 driver in a
// fresh prefix with a home of its own beside `base` (the shell's folders,
// Pictures among them, are the home). `skip` says why it cannot run.
struct WindowsViewerInX {
    std::string skip;
    std::string viewer;
    std::unique_ptr<VirtualDisplay> x;
    std::string wine;
    std::string base = TempRegistry();
    std::string home = base + ".home";
    std::string events = base + ".events";

    // A fresh prefix is over a gigabyte: it goes with the test, once Wine
    // has let go of it.
    ~WindowsViewerInX()
    {
        if (!wine.empty()) {
            const std::string server = wine.substr(0, wine.rfind('/') + 1) + "wineserver";
            std::system(("WINEPREFIX='" + base + ".wine' '" + server + "' -k >/dev/null 2>&1").c_str());
        }
        std::error_code ignored;
        std::filesystem::remove_all(base.substr(0, base.rfind('/')), ignored);
    }
};

std::unique_ptr<WindowsViewerInX> windowsViewerInX()
{
    auto w = std::make_unique<WindowsViewerInX>();
    const char* viewer = std::getenv("VE_WINDOWS_VIEWER");
    if (!viewer || !*viewer) w->skip = "VE_WINDOWS_VIEWER names no camview.exe";
    else if (!installed("Xvfb") || !installed("xdotool")) w->skip = "Xvfb and xdotool are not installed";
    if (!w->skip.empty()) return w;
    w->viewer = viewer;
    w->x = std::make_unique<VirtualDisplay>();
    if (!w->x->display()) return w;
    setenv("DISPLAY", w->x->name().c_str(), 1);
    w->wine = std::getenv("VE_WINE") ? std::getenv("VE_WINE") : "/usr/lib/wine/wine64";
    std::filesystem::create_directories(w->home);
    setenv("HOME", w->home.c_str(), 1);
    setenv("WINEPREFIX", (w->base + ".wine").c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    unsetenv("http_proxy");
    unsetenv("HTTP_PROXY");
    const std::string server = w->wine.substr(0, w->wine.rfind('/') + 1) + "wineserver";
    run("'" + w->wine + "' wineboot -i >/dev/null 2>&1; '" + server + "' -w");
    return w;
}

// The Windows viewer in a real window (windowsViewerInX). Started at an
// address nobody answers, the window stays and asks for
// another, saying why; given the camera's, it shows it. 1 shows the first
// camera alone scaled to the window, and a click reaches the camera at the
// picture's point; 0 the grid again; f full screen and back, a double click
// on the status line and Esc likewise; s with the pointer on no camera
// writes a PNG of each camera into Pictures.
TEST(WindowsViewerWindow, StaysAfterAFailureAndScalesShowsOneCameraFullScreenAndSnapshots)
{
    const auto w = windowsViewerInX();
    if (!w->skip.empty()) GTEST_SKIP() << w->skip;
    ASSERT_NE(w->x->display(), nullptr) << "Xvfb did not start";
    const VirtualDisplay& x = *w->x;
    const std::string &viewerPath = w->viewer, &wine = w->wine, &home = w->home, &events = w->events;
    const std::string server = wine.substr(0, wine.rfind('/') + 1) + "wineserver";

    Camsim cam({"--fps", "15", "--objects", "2", "--param", "ClickAndCenter=Real"});
    auto viewer = std::make_unique<ChildProcess>(
        std::vector<std::string>{wine, viewerPath, "--events", "http://127.0.0.1:" + std::to_string(FreePort()) + "/ImageViewer"},
        events);
    const std::string dialog = addressDialog();
    ASSERT_FALSE(dialog.empty()) << readFile(events);
    EXPECT_NE(readFile(events).find("cannot reach 127.0.0.1:"), std::string::npos) << readFile(events);
    EXPECT_TRUE(viewer->running());
    openAddress(dialog, "127.0.0.1:" + std::to_string(cam.port()));

    std::string window;
    ASSERT_TRUE(Eventually([&] {
        window = run("xdotool search --onlyvisible --name '^camview - 127' 2>/dev/null");
        window = window.substr(0, window.find('\n'));
        return !window.empty() && LinesWith(readFile(events), "\"frame\":").size() >= 4;
    }, 60s)) << readFile(events);
    const auto geometryIs = [&](const std::string& size) {
        return Eventually([&] { return run("xdotool getwindowgeometry " + window).find(size) != std::string::npos; });
    };

    // 600 x 560: the camera alone (320 x 240) scaled into the area above
    // the bars with its shape kept, the background beside it; the window
    // point the picture's (100, 60) is shown at is where a click lands
    // there.
    run("xdotool windowmove " + window + " 0 0 windowsize " + window + " 600 560");
    ASSERT_TRUE(geometryIs("600x560"));
    run("xdotool key --window " + window + " 1");
    constexpr std::uint32_t kWindowsBackground = 0x202428;
    RECT picture{-1, -1, -1, -1};
    ASSERT_TRUE(Eventually([&] {
        const auto shot = grab(x.display(), static_cast<Window>(std::stoul(window)));
        if (!shot) return false;
        const auto bg = [&](int px, int py) { return shot->rgb(px, py) == kWindowsBackground; };
        picture = RECT{-1, -1, -1, -1};
        for (int y = 0; y < shot->height() && picture.bottom < 0; ++y) {
            if (picture.top < 0 && !bg(300, y)) picture.top = y;
            else if (picture.top >= 0 && bg(300, y)) picture.bottom = y;
        }
        const int middle = (picture.top + picture.bottom) / 2;
        for (int px = 0; px < shot->width() && picture.right < 0 && middle > 0; ++px) {
            if (picture.left < 0 && !bg(px, middle)) picture.left = px;
            else if (picture.left >= 0 && bg(px, middle)) picture.right = px;
        }
        if (picture.right < 0 && picture.left >= 0) picture.right = shot->width();
        // The shape kept: 4:3 to within a pixel, and a band of background.
        const int w = picture.right - picture.left, h = picture.bottom - picture.top;
        return picture.top >= 0 && picture.bottom > 0 && w > 320 && std::abs(w * 3 - h * 4) <= 4 &&
               (picture.left > 0 || picture.top > 0);
    })) << picture.left << "," << picture.top << " " << picture.right << "," << picture.bottom;
    const auto at = [](int p, int size, int shown) { return (p * shown + size - 1) / size; }; // the first pixel showing p
    const int clickX = picture.left + at(100, 320, picture.right - picture.left);
    const int clickY = picture.top + at(60, 240, picture.bottom - picture.top);
    run("xdotool mousemove --window " + window + " " + std::to_string(clickX) + " " + std::to_string(clickY) + " click 1");
    EXPECT_TRUE(Eventually([&] { return cam.requests("NewPosition.x=100&NewPosition.y=60&").size() == 1; }))
        << clickX << "," << clickY << "\n" << readFile(events);

    // The grid again, then full screen (the whole 800 x 600 screen) and back.
    run("xdotool key --window " + window + " 0");
    run("xdotool key --window " + window + " f");
    EXPECT_TRUE(geometryIs("800x600"));
    run("xdotool key --window " + window + " f");
    EXPECT_TRUE(geometryIs("600x560"));
    // A double click on the status line: full screen; Esc: back.
    run("xdotool mousemove --window " + window + " 10 550 click --repeat 2 --delay 80 1");
    EXPECT_TRUE(geometryIs("800x600"));
    run("xdotool key --window " + window + " Escape");
    EXPECT_TRUE(geometryIs("600x560"));

    // The pointer on the status line, over no camera: a PNG of each.
    run("xdotool mousemove --window " + window + " 10 550 key --window " + window + " s");
    std::vector<std::string> saved;
    EXPECT_TRUE(Eventually([&] {
        std::istringstream names(run("ls " + home + " 2>/dev/null | grep '^camview-.*png$'"));
        saved.clear();
        for (std::string name; std::getline(names, name);) saved.push_back(name);
        return saved.size() == 2;
    })) << run("ls -R " + home);
    for (const std::string& name : saved) {
        EXPECT_EQ(name.rfind("camview-127.0.0.1_" + std::to_string(cam.port()) + "-", 0), 0u) << name;
        const RgbPicture picture = ReadPng(home + "/" + name);
        EXPECT_EQ(picture.width, 320) << name;
        EXPECT_EQ(picture.height, 240) << name;
    }

    // Esc stops both cameras; F5, the pointer over no camera, reloads both.
    const std::size_t streams = cam.requests("/cgi-bin/nphContinuousServerPush").size();
    run("xdotool key --window " + window + " Escape");
    run("xdotool mousemove --window " + window + " 10 550 key --window " + window + " F5");
    EXPECT_TRUE(Eventually([&] { return cam.requests("/cgi-bin/nphContinuousServerPush").size() >= streams + 2; }, 20s));

    run("xdotool key --window " + window + " q 2>/dev/null");
    EXPECT_TRUE(Eventually([&] { return !viewer->running(); }));
    viewer.reset();
    run("'" + server + "' -k 2>/dev/null");
}

// The Windows viewer in its window under the null display driver (the
// build's own Wine prefix): whatever keeps an address from being shown -
// nobody listening, an https:// address, a page without a control, a page
// that never answers - the reason is said and the window stays, asking for
// another address.
// The Windows viewer and the Wine that runs it under the null display
// driver, in the build's own prefix; empty when no camview.exe is named.
struct NullDriverViewer {
    std::string wine;
    std::string viewer;
};

NullDriverViewer nullDriverViewer()
{
    const char* viewerPath = std::getenv("VE_WINDOWS_VIEWER");
    if (!viewerPath || !*viewerPath) return {};
    const std::string viewerFile = viewerPath;
    const char* prefix = std::getenv("VE_WINEPREFIX");
    setenv("WINEPREFIX", prefix && *prefix ? prefix : (viewerFile.substr(0, viewerFile.rfind('/') + 1) + "wine").c_str(), 1);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    unsetenv("http_proxy");
    unsetenv("HTTP_PROXY");
    return {std::getenv("VE_WINE") ? std::getenv("VE_WINE") : "/usr/lib/wine/wine64", viewerFile};
}

TEST(WindowsViewerWindow, AnAddressThatCannotBeShownLeavesTheWindowOpen)
{
    const auto [wine, viewerFile] = nullDriverViewer();
    if (viewerFile.empty()) GTEST_SKIP() << "VE_WINDOWS_VIEWER names no camview.exe";

    Camsim cam({"--fps", "5"});
    // A port that takes connections and never answers them.
    const int silent = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(silent, 8), 0);
    ASSERT_EQ(getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string silentPort = std::to_string(ntohs(address.sin_port));

    const struct {
        const char* what;
        std::string url;
        const char* said;
    } cases[] = {
        {"nobody listens", "http://127.0.0.1:" + std::to_string(FreePort()) + "/ImageViewer", "cannot reach 127.0.0.1:"},
        {"https", "https://127.0.0.1:" + std::to_string(cam.port()) + "/ImageViewer", "https:// pages are not supported"},
        {"no control", cam.url("/?root"), "holds no OBJECT of a registered control"},
        {"never answers", "http://127.0.0.1:" + silentPort + "/ImageViewer", "did not answer in time"},
    };
    const std::string output = TempRegistry() + ".out";
    for (const auto& c : cases) {
        ChildProcess viewer({wine, viewerFile, "--events", c.url}, output);
        EXPECT_TRUE(Eventually([&] { return readFile(output).find(c.said) != std::string::npos; }, 60s))
            << c.what << ": " << readFile(output);
        std::this_thread::sleep_for(1s);
        EXPECT_TRUE(viewer.running()) << c.what << ": " << readFile(output);
    }
    close(silent);
}

// A camera whose stream fails and then comes back is made again by the
// Windows window after its wait, and streams.
TEST(WindowsViewerWindow, ACameraWhoseStreamEndedIsMadeAgain)
{
    const auto [wine, viewerFile] = nullDriverViewer();
    if (viewerFile.empty()) GTEST_SKIP() << "VE_WINDOWS_VIEWER names no camview.exe";
    Camsim cam({"--fps", "10", "--stream-status-until", "1:503"});
    const std::string output = TempRegistry() + ".out";
    ChildProcess viewer({wine, viewerFile, "--events", cam.url("/ImageViewer")}, output);
    EXPECT_TRUE(Eventually([&] {
        const std::string out = readFile(output);
        const auto attempt = out.find("\"reconnect\":1");
        return attempt != std::string::npos && out.find("\"frame\":", attempt) != std::string::npos;
    }, 60s)) << readFile(output);
    EXPECT_EQ(LinesWith(readFile(output), "\"stream_ended\":\"Error Code(4000 / 0)\",\"reconnect_in_ms\":1000").size(), 1u)
        << readFile(output);
    EXPECT_EQ(cam.requests("/cgi-bin/nphContinuousServerPush").size(), 2u);
}

} // namespace

// In camview.exe too: credentials typed into the address dialog answer the
// camera and are kept nowhere; a cancelled password dialog leaves the camera
// alone until Enter asks again.
TEST(WindowsViewerWindow, TypedCredentialsAndACancelledPassword)
{
    const auto w = windowsViewerInX();
    if (!w->skip.empty()) GTEST_SKIP() << w->skip;
    ASSERT_NE(w->x->display(), nullptr) << "Xvfb did not start";
    const std::string &viewerPath = w->viewer, &wine = w->wine, &base = w->base, &events = w->events;
    Camsim cam({"--fps", "15", "--user", "admin:secret"});
    const std::string address = "127.0.0.1:" + std::to_string(cam.port());
    const auto framesAtLeast = [&](std::size_t n) { return LinesWith(readFile(events), "\"frame\":").size() >= n; };
    {
        ChildProcess viewer({wine, viewerPath, "--events"}, events);
        const std::string dialog = addressDialog();
        ASSERT_FALSE(dialog.empty()) << readFile(events);
        openAddress(dialog, "admin:secret@" + address);
        ASSERT_TRUE(Eventually([&] { return framesAtLeast(2); }, 60s)) << readFile(events);
        const std::string recent = run("cat \"$(find '" + base + ".wine' -name recent-addresses | head -n 1)\"");
        EXPECT_EQ(recent, "http://" + address + "/ImageViewer\n");
        EXPECT_EQ(readFile(events).find("secret"), std::string::npos) << readFile(events);
    }
    ChildProcess viewer({wine, viewerPath, "--events", cam.url("/ImageViewer")}, base + ".events2");
    const auto passwordDialog = [] {
        const std::string found = run("xdotool search --onlyvisible --name '^camview: password$' 2>/dev/null");
        return found.substr(0, found.find('\n'));
    };
    std::string dialog;
    ASSERT_TRUE(Eventually([&] { return !(dialog = passwordDialog()).empty(); }, 60s)) << readFile(base + ".events2");
    run("xdotool windowfocus --sync " + dialog + " 2>/dev/null; xdotool key Escape");
    ASSERT_TRUE(Eventually([&] { return !LinesWith(readFile(base + ".events2"), "\"password_cancelled\":true").empty(); }))
        << readFile(base + ".events2");
    const std::size_t asked = cam.requests("\"target\":\"/\"").size();
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(cam.requests("\"target\":\"/\"").size(), asked);
    EXPECT_TRUE(passwordDialog().empty());
    std::string window = run("xdotool search --onlyvisible --name '^camview - 127' 2>/dev/null");
    window = window.substr(0, window.find('\n'));
    ASSERT_FALSE(window.empty());
    run("xdotool windowfocus --sync " + window + " 2>/dev/null; xdotool key Return");
    ASSERT_TRUE(Eventually([&] { return !(dialog = passwordDialog()).empty(); }, 20s)) << readFile(base + ".events2");
    // "Remember this password" ticked: the Credential Manager keeps it, and
    // a later run asks nobody.
    run("xdotool windowfocus --sync " + dialog + " 2>/dev/null; xdotool type --delay 20 admin; xdotool key Tab; "
        "xdotool type --delay 20 secret; xdotool key Tab space Return");
    EXPECT_TRUE(Eventually([&] { return !LinesWith(readFile(base + ".events2"), "\"frame\":").empty(); }, 30s))
        << readFile(base + ".events2");
    const std::string later = base + ".later";
    ChildProcess headless({wine, viewerPath, "--headless", "--events", "--frames", "1", "--duration", "20",
                           cam.url("/ImageViewer")},
                          later);
    EXPECT_TRUE(Eventually([&] { return !headless.running(); }, 40s));
    EXPECT_FALSE(LinesWith(readFile(later), "\"frame\":").empty()) << readFile(later);    run("xdotool key --window " + window + " q 2>/dev/null");
    EXPECT_TRUE(Eventually([&] { return !viewer.running(); }));
    run("'" + wine.substr(0, wine.rfind('/') + 1) + "wineserver' -k 2>/dev/null");
}

namespace {

// The command set, key for key, as a person presses it in a window focused
// on a page of two cameras: the command each key gives, in the report
// (none: the key only closes what is open). Run against each face.
struct KeyRow {
    const char* key;
    const char* command; // the "command" reported, or "" for none
    bool toWindow = true; // else to the property frame camview.exe shows, where there is one
};
constexpr KeyRow kCommandKeys[] = {
    {"F1", "keys"},         {"x", ""},           {"h", "keys"},      {"question", ""}, {"question", "keys"},
    {"Escape", ""},         {"KP_2", "alone"},   {"KP_0", "all"},    {"1", "alone"},   {"0", "all"},
    {"s", "snapshot"},      {"r", "record"},     {"r", "record"},    {"f", "fullscreen"}, {"Escape", "fullscreen"},
    {"F11", "fullscreen"},  {"F11", "fullscreen"}, {"p", "properties"}, {"Escape", "", false}, {"Escape", "stop"},
    {"F5", "reload"},       {"q", "quit"},
};

// Presses each key of the table into the focused `window` and checks what
// the report says, in order: every command once, nothing more.
void pressEveryCommandKey(const std::string& window, const std::string& events)
{
    const auto commands = [&] {
        std::vector<std::string> said;
        for (const std::string& line : LinesWith(readFile(events), "\"command\":")) {
            const auto at = line.find("\"command\":\"") + 11;
            said.push_back(line.substr(at, line.find('"', at) - at));
        }
        return said;
    };
    std::vector<std::string> expected;
    for (const KeyRow& row : kCommandKeys) {
        std::string to = window;
        if (!row.toWindow) {
            // No window manager gives a new window the focus.
            Eventually([&] { return !run("xdotool search --onlyvisible --name 'ropert' 2>/dev/null").empty(); }, 2s);
            const std::string frame = run("xdotool search --onlyvisible --name 'ropert' 2>/dev/null");
            if (!frame.empty()) to = frame.substr(0, frame.find('\n'));
        }
        run("xdotool windowfocus --sync " + to + " 2>/dev/null");
        run(std::string("xdotool key ") + row.key);
        if (*row.command) {
            expected.push_back(row.command);
            EXPECT_TRUE(Eventually([&] { return commands().size() >= expected.size(); }, 20s))
                << row.key << "\n" << readFile(events);
        } else {
            std::this_thread::sleep_for(500ms);
        }
        EXPECT_EQ(commands(), expected) << "after " << row.key;
    }
    // "alone" names the camera of the digit, "snapshot" the camera under
    // the pointer, or -1 for each.
    EXPECT_EQ(LinesWith(readFile(events), "\"key\":\"2\",\"command\":\"alone\",\"camera\":1").size(), 1u) << readFile(events);
}

// A wall of eleven cameras from two cameras' pages (`tenCameras` with ten
// objects, then `one`): Tab walks to the eleventh, Enter shows it alone and
// the ten it hides stop streaming; 0 shows the wall again and makes them
// again, each asking its camera for a stream once more. Run against each
// face.
void walkTheWall(const std::string& window, const std::string& events, const Camsim& tenCameras, const Camsim& one,
                 const std::function<std::string()>& savedWall)
{
    const auto streams = [&] { return tenCameras.requests("nphContinuousServerPush").size(); };
    EXPECT_TRUE(Eventually([&] { return streams() >= 10; }, 30s)); // every camera of the page streams
    const std::size_t before = streams();
    run("xdotool windowfocus --sync " + window + " 2>/dev/null");
    for (int i = 0; i < 11; ++i) run("xdotool key Tab");
    EXPECT_TRUE(Eventually([&] { return LinesWith(readFile(events), "\"command\":\"select\"").size() == 11; }, 20s))
        << readFile(events);
    EXPECT_EQ(LinesWith(readFile(events), "\"key\":\"Tab\",\"command\":\"select\",\"camera\":10").size(), 1u)
        << readFile(events);
    run("xdotool key Return");
    EXPECT_TRUE(Eventually([&] {
        return !LinesWith(readFile(events), "\"key\":\"Return\",\"command\":\"alone\",\"camera\":10").empty() &&
               LinesWith(readFile(events), "\"hidden\":\"stopped\"").size() == 10;
    }, 20s)) << readFile(events);
    EXPECT_EQ(LinesWith(readFile(events), "\"camera\":10,\"hidden\"").size(), 0u) << readFile(events);
    EXPECT_EQ(streams(), before); // nothing asked while hidden
    run("xdotool key 0");
    EXPECT_TRUE(Eventually([&] {
        return LinesWith(readFile(events), "\"hidden\":\"made again\"").size() == 10 && streams() >= before + 10;
    }, 30s)) << streams() << " streams, " << before << " before\n" << readFile(events);
    EXPECT_FALSE(one.requests("nphContinuousServerPush").empty());

    // Edited in the window, the wall is saved as it changes (under a name
    // of its own, having been started from addresses) and shown again: ]
    // moves the selected camera's page after the next, Delete removes it.
    const std::string tenPage = tenCameras.url("/ImageViewer"), onePage = one.url("/ImageViewer");
    run("xdotool key Tab bracketright");
    EXPECT_TRUE(Eventually([&] {
        const std::string wall = savedWall();
        return wall.find(onePage) != std::string::npos && wall.find(onePage) < wall.find(tenPage);
    }, 20s)) << savedWall() << readFile(events);
    // Shown again: frames of every camera after the move.
    EXPECT_TRUE(Eventually([&] {
        const std::string all = readFile(events);
        const auto moved = all.find("\"command\":\"later\"");
        return moved != std::string::npos && LinesWith(all.substr(moved), "\"frame\":").size() >= 11;
    }, 30s));
    run("xdotool windowfocus --sync " + window + " 2>/dev/null");
    run("xdotool key Tab Delete");
    EXPECT_TRUE(Eventually([&] {
        const std::string wall = savedWall();
        return wall.find(onePage) == std::string::npos && wall.find(tenPage) != std::string::npos;
    }, 20s)) << savedWall() << readFile(events);
    // The wall shown again, its ten cameras drawing.
    EXPECT_TRUE(Eventually([&] {
        const std::string all = readFile(events);
        const auto removed = all.find("\"command\":\"remove\"");
        return removed != std::string::npos && LinesWith(all.substr(removed), "\"frame\":").size() >= 10;
    }, 30s));
}

} // namespace

TEST_F(WindowViewerRun, EveryCommandKeyActsAsInTheOtherWindow)
{
    Camsim cam({"--fps", "10", "--objects", "2"});
    setenv("XDG_PICTURES_DIR", (config + "/pictures").c_str(), 1);
    setenv("XDG_VIDEOS_DIR", (config + "/videos").c_str(), 1);
    start({cam.url("/ImageViewer")});
    ASSERT_TRUE(showsThePage(4)) << readFile(events);
    pressEveryCommandKey(window, events);
    EXPECT_TRUE(Eventually([&] { return run("xdotool search --name '^camview' 2>/dev/null").empty(); }));
    window.clear();
}

TEST(WindowsViewerWindow, EveryCommandKeyActsAsInTheOtherWindow)
{
    const auto w = windowsViewerInX();
    if (!w->skip.empty()) GTEST_SKIP() << w->skip;
    ASSERT_NE(w->x->display(), nullptr) << "Xvfb did not start";
    Camsim cam({"--fps", "10", "--objects", "2"});
    ChildProcess viewer({w->wine, w->viewer, "--events", cam.url("/ImageViewer")}, w->events);
    std::string window;
    ASSERT_TRUE(Eventually([&] {
        window = run("xdotool search --onlyvisible --name '^camview - 127' 2>/dev/null");
        window = window.substr(0, window.find('\n'));
        return !window.empty() && LinesWith(readFile(w->events), "\"frame\":").size() >= 4;
    }, 60s)) << readFile(w->events);
    pressEveryCommandKey(window, w->events);
    EXPECT_TRUE(Eventually([&] { return !viewer.running(); }));
    run("'" + w->wine.substr(0, w->wine.rfind('/') + 1) + "wineserver' -k 2>/dev/null");
}

TEST_F(WindowViewerRun, AWallOfElevenCamerasIsWalkedWithTabAndShowsOneAlone)
{
    Camsim ten({"--fps", "5", "--objects", "10"});
    Camsim one({"--fps", "5"});
    start({ten.url("/ImageViewer"), "http://127.0.0.1:" + std::to_string(one.port())});
    ASSERT_TRUE(showsThePage(11)) << readFile(events);
    EXPECT_NE(run("xdotool getwindowname " + window).find(" and 1 more"), std::string::npos);
    walkTheWall(window, events, ten, one, [&] { return readFile(config + "/camview/walls/cameras"); });
}

TEST(WindowsViewerWindow, AWallOfElevenCamerasIsWalkedWithTabAndShowsOneAlone)
{
    const auto w = windowsViewerInX();
    if (!w->skip.empty()) GTEST_SKIP() << w->skip;
    ASSERT_NE(w->x->display(), nullptr) << "Xvfb did not start";
    Camsim ten({"--fps", "5", "--objects", "10"});
    Camsim one({"--fps", "5"});
    ChildProcess viewer({w->wine, w->viewer, "--events", ten.url("/ImageViewer"), "http://127.0.0.1:" + std::to_string(one.port())},
                        w->events);
    std::string window;
    ASSERT_TRUE(Eventually([&] {
        window = run("xdotool search --onlyvisible --name '^camview - 127' 2>/dev/null");
        window = window.substr(0, window.find('\n'));
        return !window.empty() && LinesWith(readFile(w->events), "\"frame\":").size() >= 11;
    }, 60s)) << readFile(w->events);
    walkTheWall(window, w->events, ten, one, [&] {
        const std::string found = run("find '" + w->base + ".wine/drive_c/users' -path '*camview/walls/cameras' 2>/dev/null");
        return found.empty() ? std::string() : readFile(found.substr(0, found.find('\n')));
    });
    // The wall was made again: the window takes the keyboard again first.
    run("xdotool windowfocus --sync " + window + " 2>/dev/null; xdotool key q");
    EXPECT_TRUE(Eventually([&] { return !viewer.running(); }, 30s)) << readFile(w->events);
}
