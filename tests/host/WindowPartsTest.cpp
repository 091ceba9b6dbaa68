// The desktop window's own parts: the scaling of the picture to the window
// and back, the snapshot's name and contents, the address prompt and the
// recent addresses it offers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "host/desktop/AddressDialog.h"
#include "host/desktop/RecentAddresses.h"
#include "host/desktop/Snapshot.h"
#include "host/desktop/ViewScaling.h"
#include "tests/support/PngFile.h"

namespace {

std::string scratchFolder(const char* name)
{
    const auto dir = std::filesystem::temp_directory_path() / (std::string("ve-window-parts-") + name + "-" +
                                                               std::to_string(std::rand()));
    std::filesystem::remove_all(dir);
    return dir.string();
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

TEST(Snapshot, NamedAfterTheCameraAndTheTimeAndHoldingTheCell)
{
    setenv("TZ", "UTC", 1);
    tzset();
    const std::time_t when = 1796705000; // 2026-12-08 04:43:20 UTC
    EXPECT_EQ(SnapshotName("127.0.0.1:8080", when), "camview-127.0.0.1_8080-20261208-044320.png");
    EXPECT_EQ(SnapshotName("[::1]:81", when), "camview-___1__81-20261208-044320.png");
    EXPECT_EQ(SnapshotName("", when), "camview-camera-20261208-044320.png");

    Surface grid(100, 50);
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) grid.setRgb(x, y, x < 50 ? 0xFF0000 : 0x0000FF);
    const std::string folder = scratchFolder("snapshot") + "/made/on/demand";
    const std::string first = WriteSnapshot(grid, RECT{50, 0, 100, 50}, folder, "cam", when);
    const std::string second = WriteSnapshot(grid, RECT{50, 0, 100, 50}, folder, "cam", when);
    EXPECT_EQ(first, folder + "/camview-cam-20261208-044320.png");
    EXPECT_EQ(second, folder + "/camview-cam-20261208-044320-2.png");
    const RgbPicture picture = ReadPng(first);
    ASSERT_EQ(picture.width, 50);
    ASSERT_EQ(picture.height, 50);
    EXPECT_EQ(picture.at(0, 0)[2], 0xFF); // the right half, blue
    EXPECT_EQ(picture.at(0, 0)[0], 0x00);
    EXPECT_TRUE(WriteSnapshot(grid, RECT{200, 0, 300, 50}, folder, "cam", when).empty()); // outside the grid
}

TEST(Snapshot, ThePicturesFolderComesFromTheEnvironmentOrTheUserDirs)
{
    const std::string config = scratchFolder("userdirs");
    std::filesystem::create_directories(config);
    std::ofstream(config + "/user-dirs.dirs") << "# written by xdg-user-dirs-update\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    setenv("HOME", "/home/someone", 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    unsetenv("XDG_PICTURES_DIR");
    EXPECT_EQ(PicturesFolder(), "/home/someone/Bilder");
    setenv("XDG_PICTURES_DIR", "/srv/pictures", 1);
    EXPECT_EQ(PicturesFolder(), "/srv/pictures");
    unsetenv("XDG_PICTURES_DIR");
    std::filesystem::remove(config + "/user-dirs.dirs");
    EXPECT_EQ(PicturesFolder(), "/home/someone/Pictures");
}

TEST(RecentAddresses, NewestFirstOnceEachAndKeptAcrossRuns)
{
    const std::string file = scratchFolder("recent") + "/camview/recent";
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

TEST(AddressDialog, TypedPickedCancelled)
{
    AddressDialog typed({});
    typed.key(AddressDialog::Key::Enter); // nothing typed: still asking
    EXPECT_EQ(typed.state(), AddressDialog::State::Asking);
    typed.typeText("  camera.local:8080 ");
    typed.key(AddressDialog::Key::Enter);
    EXPECT_EQ(typed.state(), AddressDialog::State::Accepted);
    EXPECT_EQ(typed.address(), "http://camera.local:8080/ImageViewer");

    AddressDialog picked({"http://a/ImageViewer", "http://b/ImageViewer?Resolution=640x480"});
    EXPECT_EQ(picked.address(), "http://a/ImageViewer"); // the newest is offered first
    picked.key(AddressDialog::Key::Down);
    picked.key(AddressDialog::Key::Down);
    EXPECT_EQ(picked.address(), "http://b/ImageViewer?Resolution=640x480");
    picked.key(AddressDialog::Key::Backspace);
    picked.typeText("2");
    EXPECT_EQ(picked.address(), "http://b/ImageViewer?Resolution=640x482");

    // The address offered at the start is selected: typing replaces it;
    // Ctrl+A selects what is there, Backspace then clears it.
    AddressDialog offered({"http://a/ImageViewer"});
    offered.typeText("cam2");
    EXPECT_EQ(offered.address(), "http://cam2/ImageViewer");
    offered.key(AddressDialog::Key::SelectAll);
    offered.key(AddressDialog::Key::Backspace);
    EXPECT_EQ(offered.address(), "");
    offered.typeText("c");
    offered.typeText("3");
    EXPECT_EQ(offered.address(), "http://c3/ImageViewer");

    // Eight recent addresses: the last row is its own, not under a button.
    std::vector<std::string> eight;
    for (int i = 0; i < 8; ++i) eight.push_back("http://cam" + std::to_string(i) + "/ImageViewer");
    AddressDialog many(eight);
    // In a 640 x 480 window: the gap below the eighth row, where Cancel
    // stood over it, presses nothing; the row itself picks its address.
    many.click(500, 345);
    EXPECT_EQ(many.state(), AddressDialog::State::Asking);
    many.click(500, 331);
    EXPECT_EQ(many.state(), AddressDialog::State::Asking);
    EXPECT_EQ(many.address(), "http://cam7/ImageViewer");

    AddressDialog cancelled({"http://a/ImageViewer"});
    cancelled.key(AddressDialog::Key::Escape);
    EXPECT_EQ(cancelled.state(), AddressDialog::State::Cancelled);
}

} // namespace
