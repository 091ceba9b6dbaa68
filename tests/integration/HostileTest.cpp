// Hostile pages and a viewer's own limits: what a page or a reader of the
// report can do to a run, against what the viewer must do (end on time,
// say what it left out, lose no recording). Each case runs the viewer as
// a user would, against a server that misbehaves on purpose.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "tests/integration/Processes.h"
#include "tests/integration/Viewer.h"
#include "tests/support/HostileServer.h"
#include "tests/support/Loopback.h"
#include "tests/support/RecordedFile.h"

namespace {

struct Hostile {
    const char* name;
    // Starts what the run needs (kept alive by the returned object) and
    // gives the viewer's arguments; `dir` is a fresh folder.
    std::function<std::shared_ptr<void>(const std::string& dir, std::string& arguments, std::string& proxy)> setUp;
    int exitCode;
    const char* says;        // text the viewer's output must hold
    int mostSeconds;         // the run ends within this (a generous bound, not a speed)
    std::function<void(const std::string& dir, const std::string& output)> check = nullptr;
};

std::ostream& operator<<(std::ostream& out, const Hostile& h) { return out << h.name; }

std::string page(int objects)
{
    return HostileServer::Ok(HostileServer::ViewerPage(objects, {{"ImagePath", "?Resolution=160x120"}}));
}

const Hostile kCases[] = {
    // A page that trickles a byte every 200 ms: the whole fetch has one
    // deadline, the run's duration, not one per byte.
    {"TricklingPage",
     [](const std::string&, std::string& args, std::string&) {
         auto server = std::make_shared<HostileServer>(std::vector<HostileServer::Route>{
             {"/", HostileServer::Behaviour::Trickle, page(1), std::chrono::milliseconds(200)}});
         args = "--headless '" + server->url("/ImageViewer") + "' --duration 3";
         return server;
     },
     1, "did not answer in time", 20},
    // Two hundred OBJECTs: the first 64 are made, the rest named, and the
    // run (threads, shutdown) stays bounded.
    {"HugeObjectCount",
     [](const std::string&, std::string& args, std::string&) {
         auto server = std::make_shared<HostileServer>(std::vector<HostileServer::Route>{
             {"/ImageViewer", HostileServer::Behaviour::Answer, page(200)}});
         args = "--headless '" + server->url("/ImageViewer") + "' --duration 2";
         return server;
     },
     1, "the page embeds 200 objects; the first 64 are shown, 136 left out", 40},
    // The report's reader goes away after a dozen lines while the camera is
    // recorded: the run ends by itself and the file is whole.
    {"ReportReaderGoesAway",
     [](const std::string& dir, std::string& args, std::string&) {
         auto cam = std::make_shared<Camsim>(std::vector<std::string>{"--fps", "20"});
         args = "--headless '" + cam->url("/ImageViewer") + "' --events --record '" + dir + "/a.mkv' --duration 20 2>" + dir +
                "/err | head -12"; // unquoted: the folder is a Linux path under Wine too
         return cam;
     },
     0, "", 20,
     [](const std::string& dir, const std::string&) {
         const RecordedFile file = ReadRecordedFile(dir + "/a.mkv");
         EXPECT_TRUE(file.opened);
         EXPECT_FALSE(file.packets.empty());
         EXPECT_GE(file.durationMs, 0) << "the file was not finished";
     }},
    // A recording's name that is taken gets "-2": the first file stays.
    {"RecordingNameTaken",
     [](const std::string& dir, std::string& args, std::string&) {
         auto cam = std::make_shared<Camsim>(std::vector<std::string>{"--fps", "20"});
         std::filesystem::create_directories(dir);
         { std::ofstream(dir + "/two.mkv") << "an earlier recording"; }
         args = "--headless '" + cam->url("/ImageViewer") + "' --record '" + dir + "/two.mkv' --frames 3";
         return cam;
     },
     0, "two-2.mkv", 20,
     [](const std::string& dir, const std::string&) {
         std::ifstream first(dir + "/two.mkv");
         EXPECT_EQ(std::string(std::istreambuf_iterator<char>(first), {}), "an earlier recording");
         EXPECT_TRUE(ReadRecordedFile(dir + "/two-2.mkv").opened);
     }},
    // A stream that ends after its pictures is reported without
    // --reconnect too, with no wait to come.
    {"StreamEndReportedWithoutReconnect",
     [](const std::string&, std::string& args, std::string&) {
         auto cam = std::make_shared<Camsim>(std::vector<std::string>{"--fps", "20", "--close-after", "3"});
         args = "--headless '" + cam->url("/ImageViewer") + "' --events --duration 2";
         return cam;
     },
     0, "\"stream_ended\":\"the stream ended\"}", 20},
    // A proxy that refuses is named as the proxy, not the camera.
    {"ProxyRefuses",
     [](const std::string&, std::string& args, std::string& proxy) {
         auto server = std::make_shared<HostileServer>(std::vector<HostileServer::Route>{
             {"/ImageViewer", HostileServer::Behaviour::Answer, page(1)}});
         auto refusing = std::make_shared<RefusingPort>();
         proxy = "http://127.0.0.1:" + std::to_string(refusing->port());
         args = "--headless '" + server->url("/ImageViewer") + "' --duration 2";
         return std::make_shared<std::pair<std::shared_ptr<HostileServer>, std::shared_ptr<RefusingPort>>>(server, refusing);
     },
     1, "the proxy 127.0.0.1:", 20},
};

class HostileRun : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileRun, EndsInTimeAndSaysWhy)
{
    const Hostile& c = GetParam();
    const std::string dir = TempRegistry() + ".d";
    std::filesystem::create_directories(dir);
    std::string arguments;
    std::string proxy;
    const std::shared_ptr<void> servers = c.setUp(dir, arguments, proxy);
    const auto start = std::chrono::steady_clock::now();
    const ViewerRun run = RunCamview(arguments, TempRegistry(), proxy);
    const auto took = std::chrono::steady_clock::now() - start;
    std::ifstream err(dir + "/err");
    const std::string output = run.output + std::string(std::istreambuf_iterator<char>(err), {});
    EXPECT_EQ(run.exitCode, c.exitCode) << output;
    EXPECT_NE(output.find(c.says), std::string::npos) << output;
    EXPECT_LT(took, std::chrono::seconds(c.mostSeconds)) << output;
    if (c.check) c.check(dir, output);
}

INSTANTIATE_TEST_SUITE_P(Page, HostileRun, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Hostile>& info) { return std::string(info.param.name); });

} // namespace
