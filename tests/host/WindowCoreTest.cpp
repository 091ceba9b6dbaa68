// The window rules both viewers share (host/core), built into the Linux
// host tests and the Windows viewer tests alike: the picture scaled to the
// window and clicks mapped back, the camera shown alone after a digit, the
// snapshot's name and notice, the recent addresses and a typed address.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "host/core/Grid.h"
#include "host/core/RecentAddresses.h"
#include "host/core/SnapshotName.h"
#include "host/core/ViewScaling.h"
#include "host/core/ViewerAddress.h"
#include "host/core/ViewerCommand.h"
#include "host/core/Wall.h"

namespace {

std::filesystem::path scratchFolder(const char* name)
{
    const auto dir = std::filesystem::temp_directory_path() / (std::string("ve-window-core-") + name + "-" +
                                                               std::to_string(std::rand()));
    std::filesystem::remove_all(dir);
    return dir;
}

void useUtc()
{
#ifdef _WIN32
    _putenv_s("TZ", "UTC0");
    _tzset();
#else
    setenv("TZ", "UTC", 1);
    tzset();
#endif
}

TEST(ViewScaling, TheViewFitsTheAreaKeepingItsShapeAndCentred)
{
    // A 480 x 306 grid in 960 x 700: twice the size, centred top to bottom.
    const ViewScaling wide(RECT{0, 0, 480, 306}, RECT{0, 0, 960, 700});
    EXPECT_EQ(wide.target().left, 0);
    EXPECT_EQ(wide.target().right, 960);
    EXPECT_EQ(wide.target().top, 44);
    EXPECT_EQ(wide.target().bottom, 656);
    // One 320 x 240 cell at (324, 0) in 720 x 393: full height, centred.
    const ViewScaling alone(RECT{324, 0, 644, 240}, RECT{0, 0, 720, 393});
    EXPECT_EQ(alone.target().left, 98);
    EXPECT_EQ(alone.target().right, 622);
    EXPECT_EQ(alone.target().bottom, 393);
}

TEST(ViewScaling, EveryPicturePixelIsReachedAndWindowPixelsMapBackToTheOneTheyShow)
{
    const struct {
        RECT view;
        RECT area;
    } cases[] = {
        {{0, 0, 320, 240}, {0, 0, 720, 393}},   // 1.6375 times
        {{324, 0, 644, 240}, {0, 0, 1000, 900}}, // a cell of the grid, 3.125 times
        {{0, 0, 640, 480}, {0, 0, 300, 200}},   // smaller: only the window pixels are checked
        {{0, 0, 480, 306}, {10, 20, 970, 632}},  // exactly twice, offset
    };
    for (const auto& c : cases) {
        const ViewScaling s(c.view, c.area);
        const bool enlarged = s.target().right - s.target().left >= c.view.right - c.view.left;
        for (LONG x = c.view.left; enlarged && x < c.view.right; ++x) {
            const POINT w = s.toWindow(POINT{x, c.view.top});
            ASSERT_EQ(s.toPicture(w).x, x) << "picture x " << x;
        }
        for (LONG y = c.view.top; enlarged && y < c.view.bottom; ++y) {
            const POINT w = s.toWindow(POINT{c.view.left, y});
            ASSERT_EQ(s.toPicture(w).y, y) << "picture y " << y;
        }
        // Window pixels inside the target stay inside the view.
        const RECT& t = s.target();
        for (LONG x = t.left; x < t.right; ++x) {
            const LONG px = s.toPicture(POINT{x, t.top}).x;
            ASSERT_GE(px, c.view.left);
            ASSERT_LT(px, c.view.right);
        }
    }
    // Beyond the target the scale goes on, for a control holding the mouse.
    const ViewScaling twice(RECT{0, 0, 100, 100}, RECT{0, 0, 200, 200});
    EXPECT_EQ(twice.toPicture(POINT{-4, 250}).x, -2);
    EXPECT_EQ(twice.toPicture(POINT{-4, 250}).y, 125);
    EXPECT_EQ(twice.toPicture(POINT{-1, 0}).x, -1);
}

// Two 320 x 240 cameras side by side, 4 pixels apart (a 644 x 240 grid),
// in a window's picture area: where a press at a window point lands, in the
// control's own coordinates, at any size, in the grid and with one alone.
TEST(PictureHit, APointOfTheWindowLandsOnThePicturePointItShows)
{
    const std::vector<RECT> cells = {RECT{0, 0, 320, 240}, RECT{324, 0, 644, 240}};
    const RECT grid{0, 0, 644, 240};
    const struct {
        const char* what;
        RECT view;
        RECT area;
        int alone;
        int captured;
        POINT window;
        int control;
        POINT local;
    } cases[] = {
        {"grid, unscaled", grid, {0, 0, 644, 400}, -1, -1, {100, 140}, 0, {100, 60}},  // 80 px band above
        {"grid, twice: second camera", grid, {0, 0, 1288, 480}, -1, -1, {848, 120}, 1, {100, 60}},
        {"grid, twice: the gap", grid, {0, 0, 1288, 480}, -1, -1, {644, 120}, -1, {0, 0}},
        {"grid, halved", grid, {0, 0, 322, 120}, -1, -1, {50, 30}, 0, {100, 60}},
        {"grid, beside the picture", grid, {0, 0, 644, 400}, -1, -1, {100, 20}, -1, {0, 0}},
        {"alone 2.25 times", cells[1], {0, 0, 720, 640}, 1, -1, {225, 50 + 135}, 1, {100, 60}},
        {"alone, the band above", cells[1], {0, 0, 720, 640}, 1, -1, {225, 10}, -1, {0, 0}},
        {"alone, height-bound", cells[0], {0, 0, 900, 480}, 0, -1, {130 + 200, 120}, 0, {100, 60}},
        {"captured, dragged above", grid, {0, 0, 1288, 480}, -1, 0, {200, -40}, 0, {100, -20}},
        {"captured, dragged onto the other", grid, {0, 0, 1288, 480}, -1, 0, {848, 120}, 0, {424, 60}},
    };
    for (const auto& c : cases) {
        const ViewScaling scaling(c.view, c.area);
        const PictureHit hit = HitPicture(scaling, cells, c.alone, c.captured, c.window);
        EXPECT_EQ(hit.control, c.control) << c.what;
        if (c.control < 0) continue;
        EXPECT_EQ(hit.local.x, c.local.x) << c.what;
        EXPECT_EQ(hit.local.y, c.local.y) << c.what;
    }
}

TEST(ViewerKeys, ADigitShowsThatCameraAloneAndZeroTheGrid)
{
    const struct {
        char digit;
        std::size_t cameras;
        int current;
        int alone;
    } cases[] = {
        {'1', 1, -1, 0}, {'4', 4, -1, 3}, {'9', 9, 2, 8}, // that camera
        {'0', 4, 2, -1},                                   // the grid again
        {'5', 4, 1, 1}, {'2', 1, -1, -1}, {'1', 0, -1, -1}, // a camera the grid has not: unchanged
        {'a', 4, 2, 2},
    };
    for (const auto& c : cases) EXPECT_EQ(AloneAfterKey(c.digit, c.cameras, c.current), c.alone) << c.digit << " of " << c.cameras;
    EXPECT_FALSE(ViewerKeyLines().empty());
}

TEST(SnapshotName, NamedAfterTheCameraAndTheTimeNumberedWhenTaken)
{
    useUtc();
    const std::time_t when = 1796705000; // 2026-12-08 04:43:20 UTC
    EXPECT_EQ(SnapshotName("127.0.0.1:8080", when), "camview-127.0.0.1_8080-20261208-044320.png");
    EXPECT_EQ(SnapshotName("[::1]:81", when), "camview-___1__81-20261208-044320.png");
    EXPECT_EQ(SnapshotName("", when), "camview-camera-20261208-044320.png");
    EXPECT_EQ(SnapshotName("cam:80", when, 1), "camview-cam_80-20261208-044320.png");
    EXPECT_EQ(SnapshotName("cam:80", when, 3), "camview-cam_80-20261208-044320-3.png");

    const struct {
        std::vector<std::string> written;
        std::size_t attempted;
        const char* notice;
    } notices[] = {
        {{"/p/a.png"}, 1, "snapshot saved to /p/a.png"},
        {{"/p/a.png", "/p/b.png"}, 2, "2 snapshots saved to /p"},
        {{"/p/a.png", "/p/b.png"}, 3, "2 snapshots saved to /p, 1 could not be written"},
        {{}, 2, "could not write a snapshot into /p"},
    };
    for (const auto& n : notices) EXPECT_EQ(SnapshotNotice(n.written, n.attempted, "/p"), n.notice);
}

TEST(RecentAddresses, NewestFirstOnceEachAndKeptAcrossRuns)
{
    const auto file = scratchFolder("recent") / "camview" / "recent";
    {
        RecentAddresses recent(file);
        EXPECT_TRUE(recent.list().empty());
        for (int i = 0; i < 10; ++i) ASSERT_TRUE(recent.remember("http://camera" + std::to_string(i) + "/ImageViewer"));
        ASSERT_TRUE(recent.remember("http://camera5/ImageViewer"));
        EXPECT_FALSE(recent.remember("http://bad\nline/"));
    }
    const RecentAddresses again(file);
    ASSERT_EQ(again.list().size(), RecentAddresses::kKept);
    EXPECT_EQ(again.list()[0], "http://camera5/ImageViewer");
    EXPECT_EQ(again.list()[1], "http://camera9/ImageViewer");
    EXPECT_EQ(std::count(again.list().begin(), again.list().end(), "http://camera5/ImageViewer"), 1);
}

TEST(RecentAddresses, AFileWrittenElsewhereIsReadWithinTheRules)
{
    // Blank lines, repeats, Windows line ends and an endless line are not
    // offered; at most eight are.
    const auto file = scratchFolder("recent-read") / "recent";
    std::filesystem::create_directories(file.parent_path());
    {
        std::ofstream out(file, std::ios::binary);
        out << "http://a/ImageViewer\r\n\nhttp://a/ImageViewer\n" << std::string(5000, 'x') << "\n";
        for (int i = 0; i < 10; ++i) out << "http://c" << i << "/\n";
    }
    const RecentAddresses recent(file);
    ASSERT_EQ(recent.list().size(), RecentAddresses::kKept);
    EXPECT_EQ(recent.list()[0], "http://a/ImageViewer");
    EXPECT_EQ(recent.list()[1], "http://c0/");
    EXPECT_EQ(recent.list()[7], "http://c6/");
}

TEST(TypedAddress, ReadAsTheCommandLineReadsAnAddress)
{
    const struct {
        const char* typed;
        const char* address;
    } cases[] = {
        {"  camera.local:8080 ", "http://camera.local:8080/ImageViewer"},
        {"\thttp://b/ImageViewer?Resolution=640x480", "http://b/ImageViewer?Resolution=640x480"},
        {"https://cam/ImageViewer", "https://cam/ImageViewer"}, // refused later, with the reason
        {"   ", ""},
        {"", ""},
        {" cam1 cam2:81 ", "cam1 cam2:81"}, // a wall: the viewer reads each
        {"wall:home", "wall:home"},
    };
    for (const auto& c : cases) EXPECT_EQ(TypedAddress(c.typed), c.address) << c.typed;
}

} // namespace

namespace {

// A wall file reads back as written, and refuses what it cannot hold: a
// line that is no camera, a password in any form.
TEST(WallFile, ReadsBackAsWrittenAndRefusesPasswords)
{
    const std::vector<WallCamera> cameras = {{"Front door", "http://192.168.1.20/ImageViewer", ""},
                                             {"Garage", "192.168.1.21", "admin"},
                                             {"Yard = east", "cam3:8080/cgi-bin/x?a=b", ""}};
    std::vector<WallCamera> read;
    std::string error;
    ASSERT_TRUE(ReadWall(WallText(cameras), read, error)) << error;
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read[0], cameras[0]);
    EXPECT_EQ(read[1], cameras[1]);
    EXPECT_EQ(read[2].name, "Yard   east"); // a name holds no '=': the address starts after it
    EXPECT_EQ(read[2].address, cameras[2].address);
    ASSERT_TRUE(ReadWall("# mine\n\n  Hall = hall.local  \r\n", read, error));
    EXPECT_EQ(read, (std::vector<WallCamera>{{"Hall", "hall.local", ""}}));

    struct Bad {
        const char* text;
        const char* why;
    };
    for (const Bad& bad : {Bad{"Hall hall.local\n", "line 1: a camera is written NAME = ADDRESS [USER]"},
                           Bad{"\n = hall.local\n", "line 2: a camera is written"},
                           Bad{"Hall = a b c\n", "line 1: a camera is written"},
                           Bad{"Hall = http://admin:pw@hall/\n", "line 1: a wall holds no passwords"},
                           Bad{"Hall = hall admin:pw\n", "line 1: a wall holds no passwords"}}) {
        EXPECT_FALSE(ReadWall(bad.text, read, error)) << bad.text;
        EXPECT_EQ(error.rfind(bad.why, 0), 0u) << bad.text << " -> " << error;
    }
    for (const std::string name : {"", ".hidden", "../up", "a/b", " lead", "a\\b"})
        EXPECT_FALSE(WallNameUsable(name)) << name;
    EXPECT_FALSE(WallNameUsable(std::string(65, 'x')));
    EXPECT_TRUE(WallNameUsable("Home cameras_2.old"));
}

#ifndef _WIN32
// Saved, listed, opened again, and remembered as the last one opened.
TEST(WallFile, SavedListedLoadedAndRememberedAsTheLast)
{
    const auto dir = scratchFolder("walls");
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    std::string error;
    ASSERT_TRUE(SaveWall("home", {{"", "http://cam1:81/ImageViewer", ""}, {"Gate", "cam2", "me"}}, error)) << error;
    ASSERT_TRUE(SaveWall("work", {{"Desk", "desk", ""}}, error)) << error;
    EXPECT_EQ(SavedWalls(), (std::vector<std::string>{"home", "work"}));
    EXPECT_EQ(LastWall(), "work");
    std::vector<WallCamera> cameras;
    ASSERT_TRUE(LoadWall("home", cameras, error)) << error;
    EXPECT_EQ(cameras, (std::vector<WallCamera>{{"cam1:81", "http://cam1:81/ImageViewer", ""}, {"Gate", "cam2", "me"}}));
    // Shown and saved again from the window, a camera keeps its user.
    EXPECT_EQ(WallSource(cameras[1]).user, "me");
    EXPECT_FALSE(LoadWall("away", cameras, error));
    EXPECT_NE(error.find("there is no wall \"away\""), std::string::npos) << error;
    unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(dir);
}
#endif

// Tab walks every cell and wraps; the arrows move in the grid's rows of
// `columns` and stop at its edges; the first key selects the first cell.
TEST(ViewerCommand, TabAndTheArrowsMoveTheSelection)
{
    struct Move {
        ViewerKey key;
        int from;
        int to;
    };
    // 20 cameras in rows of 5 (the grid's ceil(sqrt(20))).
    for (const Move& m : {Move{ViewerKey::Tab, -1, 0}, Move{ViewerKey::Down, -1, 0}, Move{ViewerKey::Tab, 18, 19},
                          Move{ViewerKey::Tab, 19, 0}, Move{ViewerKey::Right, 3, 4}, Move{ViewerKey::Right, 4, 4},
                          Move{ViewerKey::Left, 5, 5}, Move{ViewerKey::Left, 6, 5}, Move{ViewerKey::Down, 12, 17},
                          Move{ViewerKey::Down, 17, 17}, Move{ViewerKey::Up, 2, 2}, Move{ViewerKey::Up, 12, 7}})
        EXPECT_EQ(SelectionAfterKey(m.key, m.from, 20, 5), m.to) << KeyName(m.key, 0) << " from " << m.from;
    EXPECT_EQ(SelectionAfterKey(ViewerKey::Tab, -1, 0, 1), -1);
    EXPECT_EQ(CommandForKey(ViewerKey::Tab, 0, false), ViewerCommand::Select);
}

// A wall's grid leaves a caption strip above every row, outside the cells.
TEST(Grid, AWallLeavesACaptionStripAboveEachRow)
{
    std::vector<RECT> cells(3, RECT{0, 0, 100, 50});
    const SIZE extent = LayOutGrid(cells, kCaptionHeight);
    EXPECT_EQ(cells[0].top, kCaptionHeight);
    EXPECT_EQ(cells[2].top, kCaptionHeight + 50 + 4 + kCaptionHeight);
    EXPECT_EQ(extent.cy, cells[2].bottom);
    EXPECT_EQ(CaptionOf(cells[2]).bottom, cells[2].top);
    EXPECT_GE(CaptionOf(cells[2]).top, cells[0].bottom);
}

} // namespace
