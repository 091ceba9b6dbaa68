// camview --headless against camsim: a page's control streams through the
// module, and the viewer reports frames, events and failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include "tests/integration/Processes.h"

namespace {

struct ViewerRun {
    int exitCode = -1;
    std::string output;
};

ViewerRun camview(const std::string& arguments, const std::string& registry)
{
    const std::string out = registry + ".out";
    const std::string cmd = "VE_REGISTRY='" + registry + "' http_proxy= HTTP_PROXY= '" VE_CAMVIEW_PATH "' " + arguments +
                            " > '" + out + "' 2>&1";
    const int status = std::system(cmd.c_str());
    ViewerRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(out);
    std::stringstream s;
    s << in.rdbuf();
    run.output = s.str();
    return run;
}

std::string tempRegistry()
{
    char pattern[] = "/tmp/ve-camview-XXXXXX";
    return std::string(mkdtemp(pattern)) + "/registry";
}

TEST(HeadlessViewer, StreamsThePagesControlAndWritesASnapshot)
{
    Camsim cam({"--fps", "20", "--param", "DigitalZoom=Enable"});
    const std::string registry = tempRegistry();
    const std::string snapshot = registry + ".png";
    const ViewerRun run = camview("--headless '" + cam.url("/ImageViewer?Resolution=320x240") + "' --duration 3 --frames 5 --events"
                            " --snapshot '" + snapshot + "'", registry);
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("\"event\":\"ReadyStateChange\",\"value\":1"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("\"frame\":5,\"width\":320,\"height\":240"), std::string::npos) << run.output;
    std::ifstream png(snapshot, std::ios::binary);
    char magic[4] = {};
    png.read(magic, 4);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG");
    // The viewer registered the module it needed.
    std::ifstream reg(registry);
    std::stringstream text;
    text << reg.rdbuf();
    EXPECT_NE(text.str().find("RW-DPV20.ImageCtrl.1"), std::string::npos);
}

TEST(HeadlessViewer, AnUnreachableCameraShowsTheStatusAndFails)
{
    Camsim cam({"--refuse-stream"});
    const ViewerRun run = camview("--headless --page-url '" + cam.url("/ImageViewer") +
                            "' --param ImagePath=?Resolution=320x240 --duration 2", tempRegistry());
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_NE(run.output.find("Error Code(2000 / 10061)"), std::string::npos) << run.output;
}

TEST(HeadlessViewer, APageWithoutControlsIsAClearError)
{
    Camsim cam;
    const ViewerRun run = camview("--headless '" + cam.url("/") + "' --duration 1", tempRegistry());
    EXPECT_EQ(run.exitCode, 2) << run.output;
    EXPECT_NE(run.output.find("holds no OBJECT of a registered control"), std::string::npos) << run.output;
}

TEST(HeadlessViewer, APasswordCameraStreamsWithUserAndNotWithout)
{
    Camsim cam({"--user", "admin:secret", "--fps", "20"});
    const std::string page = "--page-url '" + cam.url("/ImageViewer") + "' --param ImagePath=?Resolution=320x240 --frames 2 --duration 3";
    EXPECT_EQ(camview("--headless " + page + " --user admin:secret", tempRegistry()).exitCode, 0);
    const ViewerRun denied = camview("--headless " + page, tempRegistry());
    EXPECT_EQ(denied.exitCode, 1) << denied.output;
    EXPECT_NE(denied.output.find("Error Code(8020"), std::string::npos) << denied.output;
}

} // namespace
