// camview --headless with replayed input against camsim: what a person does
// with the mouse and keys reaches the control, and through it the camera.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "tests/integration/Processes.h"
#include "tests/integration/Viewer.h"
#include "tests/support/PngFile.h"

namespace {

std::string inputFile(const std::string& registry, const std::string& script)
{
    const std::string path = registry + ".input";
    std::ofstream(path) << script;
    return path;
}

TEST(HeadlessInput, AClickInRealModeReachesTheCameraWithTheClickedPoint)
{
    Camsim cam({"--fps", "15", "--param", "ClickAndCenter=Real"});
    const std::string registry = TempRegistry();
    const std::string input = inputFile(registry, "800 move 100 60\n1000 click left 100 60\n");
    const ViewerRun run = RunCamview("--headless '" + cam.url("/ImageViewer") + "' --duration 3 --events --input '" + input + "'",
                                     registry);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    // The click goes after the double-click time, into the "Message" frame,
    // whose answer the viewer shows.
    EXPECT_EQ(cam.requests("NewPosition.x=100&NewPosition.y=60").size(), 1u) << run.output;
    const auto navigations = LinesWith(run.output, "\"navigate\"");
    ASSERT_EQ(navigations.size(), 1u) << run.output;
    // The report's clock and the control's tick count are truncated to
    // milliseconds separately, so the two may disagree by one.
    EXPECT_GE(TimeOf(navigations[0]), 1000 + 500 - 1);
    EXPECT_NE(navigations[0].find("\"frame\":\"Message\""), std::string::npos);
    EXPECT_EQ(LinesWith(run.output, "\"message\"").size(), 1u) << run.output;
    // Over the picture in Real mode the cursor is the hand.
    EXPECT_FALSE(LinesWith(run.output, "\"cursor\":\"hand\"").empty()) << run.output;
}

TEST(HeadlessInput, HoldingTheRightButtonZoomsWithTheZoomCursor)
{
    Camsim cam({"--fps", "15", "--param", "DigitalZoom=Enable"});
    const std::string registry = TempRegistry();
    // Held near the top edge: a fast zoom in, for one second.
    const std::string input = inputFile(registry, "800 move 160 10\n1000 down right 160 10\n2000 up right 160 10\n");
    const ViewerRun run = RunCamview("--headless '" + cam.url("/ImageViewer") + "' --duration 2.5 --events --input '" + input + "'",
                                     registry);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    std::set<std::string> magnifications;
    for (const auto& line : LinesWith(run.output, "\"event\":\"DZoomMagChanged\""))
        if (TimeOf(line) >= 1000) magnifications.insert(line.substr(line.find("\"value\":")));
    EXPECT_GE(magnifications.size(), 2u) << run.output;
    EXPECT_FALSE(LinesWith(run.output, "\"cursor\":\"icon 20").empty()) << run.output;
}

// A page of two controls side by side (the first at x 0 to 319, the second
// from x 324), the focus given to the second by a click on it before the
// first is used: the wheel and the held right button act on the control
// under the pointer, not on the one with the focus. The Windows viewer
// gives this input through the system, as a mouse does, and reports the
// control with the keyboard focus whenever that changes; the Linux viewer
// hands the input to the controls itself and reports no focus.
struct TwoControls {
    static constexpr const char* kFocusOnTheSecond = "600 move 480 120\n700 click left 480 120\n";
    std::vector<std::string> eventsOf(const ViewerRun& run, int control, const std::string& event) const
    {
        return LinesWith(run.output, "\"control\":" + std::to_string(control) + ",\"event\":\"" + event + "\"");
    }
    // The values those events carried, as written.
    std::vector<std::string> valuesOf(const ViewerRun& run, int control, const std::string& event) const
    {
        std::vector<std::string> values;
        for (const auto& line : eventsOf(run, control, event)) {
            const auto at = line.find("\"value\":") + 8;
            values.push_back(line.substr(at, line.find('}', at) - at));
        }
        return values;
    }
    // The controls that had the focus, in turn.
    std::vector<std::string> focusOf(const ViewerRun& run) const
    {
        std::vector<std::string> focus;
        for (const auto& line : LinesWith(run.output, "\"focus\":")) {
            const auto at = line.find("\"focus\":") + 8;
            focus.push_back(line.substr(at, line.find('}', at) - at));
        }
        return focus;
    }
};

TEST(HeadlessInput, TheWheelZoomsTheControlUnderThePointerWhileAnotherHasTheFocus)
{
    Camsim cam({"--fps", "15", "--objects", "2", "--param", "DigitalZoom=Enable"});
    const std::string registry = TempRegistry();
    // Ten notches away from the user: the target goes from 1.0 to 2.0.
    const std::string input =
        inputFile(registry, std::string(TwoControls::kFocusOnTheSecond) + "1000 move 160 120\n1100 wheel 160 120 10\n");
    const ViewerRun run = RunCamview("--headless '" + cam.url("/ImageViewer") + "' --duration 2.5 --events --input '" + input + "'",
                                     registry);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const TwoControls page;
    EXPECT_EQ(page.valuesOf(run, 0, "DZoomMagChanged"), (std::vector<std::string>{"1", "2"})) << run.output;
    // The second control tells only the magnification its stream starts with.
    EXPECT_EQ(page.valuesOf(run, 1, "DZoomMagChanged"), std::vector<std::string>{"1"}) << run.output;
    // The click gave the second control the focus, and it kept it: the
    // pointer over the first does not take it, nor does the wheel.
    if (!WindowsViewer().empty()) {
        EXPECT_EQ(page.focusOf(run), std::vector<std::string>{"1"}) << run.output;
    }
}

TEST(HeadlessInput, TheHeldRightButtonDrivesTheCameraZoomWhileAnotherControlHasTheFocus)
{
    Camsim cam({"--fps", "15", "--objects", "2", "--param", "ControlZoom=Enable"});
    const std::string registry = TempRegistry();
    // Held at y 48 of 240 on the first control for half a second, the mouse
    // still: one command towards the largest magnification, then the stop.
    const std::string input = inputFile(registry, std::string(TwoControls::kFocusOnTheSecond) +
                                                      "1000 move 160 48\n1100 down right 160 48\n1600 up right 160 48\n"
                                                      "1800 move 170 60\n");
    const ViewerRun run = RunCamview("--headless '" + cam.url("/ImageViewer") + "' --duration 2.5 --events --input '" + input + "'",
                                     registry);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const auto sent = cam.requests("nphPtzf");
    ASSERT_EQ(sent.size(), 2u) << run.output;
    EXPECT_NE(sent[0].find("ZoomMag=4200&ZoomSpeed=217&Sync=0"), std::string::npos) << sent[0];
    EXPECT_NE(sent[1].find("ZoomMag=32768&ZoomSpeed=0&Sync=0"), std::string::npos) << sent[1];
    // The gesture is the first control's: it starts with the press and ends
    // at the first move after the release.
    const TwoControls page;
    EXPECT_EQ(page.valuesOf(run, 0, "ModeChanged"), (std::vector<std::string>{"1", "0"})) << run.output;
    EXPECT_TRUE(page.eventsOf(run, 1, "ModeChanged").empty()) << run.output;
    // The press on the first control gave it the focus.
    if (!WindowsViewer().empty()) {
        EXPECT_EQ(page.focusOf(run), (std::vector<std::string>{"1", "0"})) << run.output;
    }
}

TEST(HeadlessInput, EscapeStopsTheStreamAndKeepsTheLastFrame)
{
    Camsim cam({"--fps", "20"});
    const std::string registry = TempRegistry();
    const std::string snapshot = registry + ".png";
    const std::string input = inputFile(registry, "1000 key p\n2000 key Escape\n");
    const ViewerRun run = RunCamview("--headless '" + cam.url("/ImageViewer") + "' --duration 3.5 --events --snapshot '" +
                                         snapshot + "' --input '" + input + "'",
                                     registry);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const auto frames = LinesWith(run.output, "\"frame\":");
    ASSERT_FALSE(frames.empty()) << run.output;
    const auto escape = LinesWith(run.output, "\"key\":\"Escape\"");
    ASSERT_EQ(escape.size(), 1u) << run.output;
    // The tick that follows the key ends the stream: at most the frame
    // already cut when the key came is drawn after it.
    int after = 0;
    for (const auto& f : frames) after += TimeOf(f) > TimeOf(escape[0]);
    EXPECT_LE(after, 1) << run.output;
    // The property page came up through the Properties verb.
    EXPECT_EQ(LinesWith(run.output, "\"property_page\"").size(), 1u) << run.output;
    // The last picture stays: the snapshot is a camera picture (sky at the
    // top, ground at the bottom), not a status text on white.
    const RgbPicture shown = ReadPng(snapshot);
    ASSERT_EQ(shown.height, 240);
    EXPECT_GT(shown.at(300, 60)[2], 200);   // sky blue
    EXPECT_LT(shown.at(10, 230)[2], 120);   // not white
}

TEST(HeadlessInput, AScriptThatIsNotOneIsRefusedWithItsLine)
{
    const std::string registry = TempRegistry();
    const std::string input = inputFile(registry, "100 move 1 2\n200 jump 3 4\n");
    const ViewerRun run = RunCamview("--headless --page-url http://127.0.0.1:9/ImageViewer --input '" + input + "'", registry);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.output.find("line 2: unknown action \"jump\""), std::string::npos) << run.output;
}

} // namespace
