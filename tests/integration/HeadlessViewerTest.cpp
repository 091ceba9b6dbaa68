// camview --headless against camsim: a page's control streams through the
// module, and the viewer reports frames, events and failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <sys/wait.h>

#include "tests/integration/Processes.h"
#include "tests/integration/Viewer.h"
#include "tests/support/PngFile.h"

namespace {

TEST(HeadlessViewer, StreamsThePagesControlAndWritesASnapshot)
{
    Camsim cam({"--fps", "20", "--param", "DigitalZoom=Enable"});
    const std::string registry = TempRegistry();
    const std::string snapshot = registry + ".png";
    const ViewerRun run = RunCamview("--headless '" + cam.url("/ImageViewer?Resolution=320x240") + "' --duration 3 --frames 5 --events"
                            " --snapshot '" + snapshot + "'", registry);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("\"event\":\"ReadyStateChange\",\"value\":1"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\"frame\":5,\"width\":320,\"height\":240"), std::string::npos) << run.output;
    std::ifstream png(snapshot, std::ios::binary);
    char magic[4] = {};
    png.read(magic, 4);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");
    // The viewer registered the module it needed.
    EXPECT_TRUE(RegistryHolds(registry, "RW-DPV20.ImageCtrl.1"));
}

TEST(HeadlessViewer, AnUnreachableCameraShowsTheStatusAndFails)
{
    if (!WindowsViewer().empty())
        GTEST_SKIP() << kPreflightSentTwice;
    Camsim cam({"--refuse-stream"});
    const ViewerRun run = RunCamview("--headless --page-url '" + cam.url("/ImageViewer") +
                            "' --param ImagePath=?Resolution=320x240 --duration 2", TempRegistry());
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("Error Code(2000 / 10061)"), std::string::npos) << run.output;
}

TEST(HeadlessViewer, APageWithoutControlsIsAClearError)
{
    Camsim cam;
    const ViewerRun run = RunCamview("--headless '" + cam.url("/") + "' --duration 1", TempRegistry());
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("holds no OBJECT of a registered control"), std::string::npos) << run.output;
}

TEST(HeadlessViewer, APasswordCameraStreamsWithUserAndNotWithout)
{
    Camsim cam({"--user", "admin:secret", "--fps", "20"});
    const std::string page = "--page-url '" + cam.url("/ImageViewer") + "' --param ImagePath=?Resolution=320x240 --frames 2 --duration 3";
    EXPECT_EQ(RunCamview("--headless " + page + " --user admin:secret", TempRegistry()).exitCode, 0);
    const ViewerRun denied = RunCamview("--headless " + page, TempRegistry());
    EXPECT_EQ(denied.exitCode, 1) << denied.output;
    EXPECT_NE(denied.output.find("Error Code(8020"), std::string::npos) << denied.output;
}

// One frame, closed by the final delimiter so that it is drawn: the picture
// camsim sent (asked for again, it is frame 0 again; only its drawn-in
// send time differs, in the top rows) and the viewer's snapshot of it.
struct SentAndShown {
    RgbPicture sent;
    RgbPicture shown;
};

SentAndShown snapshotOfOneFrame(std::vector<std::string> camsimOptions)
{
    camsimOptions.insert(camsimOptions.end(), {"--frames", "1", "--final-delimiter"});
    Camsim cam(camsimOptions);
    const std::string registry = TempRegistry();
    const std::string snapshot = registry + ".png";
    const ViewerRun run = RunCamview("--headless '" + cam.url("/ImageViewer") + "' --frames 1 --duration 4 --snapshot '" +
                                         snapshot + "'", registry);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const auto streams = cam.requests("nphContinuousServerPush");
    EXPECT_EQ(streams.size(), 1u);
    if (run.exitCode != 0 || streams.size() != 1) return {};
    const auto from = streams[0].find("/cgi-bin/");
    const std::string target = streams[0].substr(from, streams[0].find('"', from) - from);
    return {DecodeJpeg(FetchFirstJpeg(cam.port(), target)), ReadPng(snapshot)};
}

TEST(HeadlessViewer, TheSnapshotIsThePictureTheCameraSent)
{
    const SentAndShown p = snapshotOfOneFrame({});
    ASSERT_EQ(p.sent.width, 320);
    ASSERT_EQ(p.shown.width, 320);
    ASSERT_EQ(p.shown.height, 240);
    long differing = 0;
    for (int y = 48; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            if (std::memcmp(p.sent.at(x, y), p.shown.at(x, y), 3) != 0) ++differing;
    EXPECT_EQ(differing, 0);
}

TEST(HeadlessViewer, ThePictureIsScaledToThePagesSize)
{
    // The page's OBJECT is twice the stream's size: each picture element
    // is drawn as two by two.
    const SentAndShown p = snapshotOfOneFrame({"--page-size", "640x480"});
    ASSERT_EQ(p.sent.width, 320);
    ASSERT_EQ(p.shown.width, 640);
    ASSERT_EQ(p.shown.height, 480);
    long differing = 0;
    for (int y = 96; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            if (std::memcmp(p.sent.at(x / 2, y / 2), p.shown.at(x, y), 3) != 0) ++differing;
    EXPECT_EQ(differing, 0);
}

} // namespace
