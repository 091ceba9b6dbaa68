// The container with its controls on one thread or spread over two UI
// threads, against camsim's page of four cameras: every control draws into
// its own cell, the reports come on the driving thread, input reaches the
// control under the pointer, Stop ends the streams, and once released
// nothing more is reported.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>

#include "host/linux/container/PageLoader.h"
#include "host/linux/container/ViewerContainer.h"
#include "tests/integration/Processes.h"

namespace {

class ThreadedContainer : public ::testing::TestWithParam<unsigned> {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/ve-threaded-XXXXXX";
        setenv("VE_REGISTRY", (std::string(mkdtemp(pattern)) + "/registry").c_str(), 1);
    }

    // What the container reported, each report checked to come on the
    // driving thread and before the release.
    struct Reports {
        std::thread::id driver = std::this_thread::get_id();
        std::atomic<bool> elsewhere{false};
        std::atomic<bool> afterRelease{false};
        bool released = false;
        std::map<int, long> frames;
        std::map<int, std::vector<std::string>> zooms;

        void check()
        {
            if (std::this_thread::get_id() != driver) elsewhere = true;
            if (released) afterRelease = true;
        }
        ContainerListener listener()
        {
            ContainerListener l;
            l.onFrame = [this](int control, int, int) {
                check();
                ++frames[control];
            };
            l.onEvent = [this](int control, const std::string& name, const std::string& value) {
                check();
                if (name == "DZoomMagChanged") zooms[control].push_back(value);
            };
            l.onStatus = [this](int, const std::string&) { check(); };
            l.onNavigate = [this](int, const std::string&) { check(); };
            return l;
        }
        bool allDrew(int count, long atLeast)
        {
            for (int i = 0; i < count; ++i)
                if (frames[i] < atLeast) return false;
            return true;
        }
    };
};

TEST_P(ThreadedContainer, EveryControlDrawsTakesItsInputStopsAndIsSilentOnceReleased)
{
    Camsim cam({"--fps", "15", "--objects", "4", "--param", "DigitalZoom=Enable"});
    const PageLoad page = LoadPage(cam.url("/ImageViewer"), {});
    ASSERT_TRUE(page.error.empty()) << page.error;
    Reports reports;
    ViewerContainer c(cam.url("/ImageViewer"), VE_MODULE_PATH, reports.listener(), GetParam());
    ASSERT_EQ(c.embed(page.objects), 4u);
    EXPECT_EQ(c.threads(), GetParam());
    auto surface = std::make_shared<Surface>(c.extent().cx, c.extent().cy);
    auto turn = [&] {
        c.pumpMessages();
        c.paint(surface);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    };

    // Every control draws, and its picture lands in its own cell.
    EXPECT_TRUE(Eventually([&] { turn(); return reports.allDrew(4, 3); }, std::chrono::seconds(20)));
    for (std::size_t i = 0; i < 4; ++i) {
        const RECT r = c.cell(i);
        long lit = 0;
        for (int y = r.top; y < r.bottom; y += 7)
            for (int x = r.left; x < r.right; x += 7) lit += surface->rgb(x, y) != 0;
        EXPECT_GT(lit, 0) << "cell " << i;
    }

    // Ten wheel notches over the third control zoom it, and only it.
    const RECT third = c.cell(2);
    const POINT centre{(third.left + third.right) / 2, (third.top + third.bottom) / 2};
    c.mouseMove(centre, 0);
    c.mouseWheel(centre, 10, 0);
    EXPECT_TRUE(Eventually([&] {
        turn();
        return reports.zooms[2].size() >= 2 && reports.zooms[2].back() == "2";
    }));
    for (int i : {0, 1, 3})
        for (const auto& value : reports.zooms[i]) EXPECT_EQ(value, "1") << "control " << i;

    // After Stop no control draws a new picture: the frame count settles.
    c.stop();
    long settled = -1;
    int still = 0;
    EXPECT_TRUE(Eventually([&] {
        turn();
        long all = 0;
        for (const auto& [control, count] : reports.frames) all += count;
        still = all == settled ? still + 1 : 0;
        settled = all;
        return still >= 40;
    }, std::chrono::seconds(20)));

    // Released, the controls and their threads end; nothing is reported
    // after, whatever was still queued.
    DestroyWithWatchdog([&] { c.release(); }, "the release");
    reports.released = true;
    c.pumpMessages();
    c.paint(surface);
    EXPECT_FALSE(reports.afterRelease);
    EXPECT_FALSE(reports.elsewhere);
}

INSTANTIATE_TEST_SUITE_P(Threads, ThreadedContainer, ::testing::Values(1u, 2u),
                         [](const auto& info) { return std::to_string(info.param) + "Threads"; });

} // namespace
