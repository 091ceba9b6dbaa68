// The desktop window's own parts: the snapshot's contents and folder, and
// the address prompt. (The rules both windows share are in
// WindowCoreTest.cpp.)
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "host/linux/window/AddressDialog.h"
#include "host/linux/container/Snapshot.h"
#include "tests/support/PngFile.h"

namespace {

std::string scratchFolder(const char* name)
{
    const auto dir = std::filesystem::temp_directory_path() / (std::string("ve-window-parts-") + name + "-" +
                                                               std::to_string(std::rand()));
    std::filesystem::remove_all(dir);
    return dir.string();
}

TEST(Snapshot, NamedAfterTheCameraAndTheTimeAndHoldingTheCell)
{
    setenv("TZ", "UTC", 1);
    tzset();
    const std::time_t when = 1796705000; // 2026-12-08 04:43:20 UTC

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
