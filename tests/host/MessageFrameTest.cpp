// The "Message" frame's loads, which both viewers make through one loader:
// in turn, the newest waiting request winning, and a shut-down that does
// not hang on a fetch that never ends nor reports after it returned.
#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/core/MessageFrame.h"

namespace {

// Loads that wait until the test lets them go, and the reports made.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    std::vector<std::string> started;
    std::vector<std::string> reported;

    void release()
    {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
    bool waitFor(std::size_t started_, std::size_t reported_)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10),
                                [&] { return started.size() >= started_ && reported.size() >= reported_; });
    }
};

MessageFrameLoader::Load gatedLoad(const std::shared_ptr<Gate>& gate)
{
    return [gate](const std::string& url) {
        std::unique_lock lock(gate->mutex);
        gate->started.push_back(url);
        gate->changed.notify_all();
        gate->changed.wait(lock, [&] { return gate->open; });
        return "text of " + url;
    };
}

MessageFrameLoader::Report recorder(const std::shared_ptr<Gate>& gate)
{
    return [gate](const std::string& text) {
        std::lock_guard lock(gate->mutex);
        gate->reported.push_back(text);
        gate->changed.notify_all();
    };
}

TEST(MessageFrame, LoadsInTurnAndTheNewestWaitingRequestWins)
{
    auto gate = std::make_shared<Gate>();
    MessageFrameLoader loader(gatedLoad(gate), recorder(gate));
    loader.navigate("a");
    ASSERT_TRUE(gate->waitFor(1, 0));
    // While "a" loads, "b" is replaced by "c" before it started.
    loader.navigate("b");
    loader.navigate("c");
    gate->release();
    ASSERT_TRUE(gate->waitFor(2, 2));
    loader.shutdown();
    EXPECT_EQ(gate->started, (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(gate->reported, (std::vector<std::string>{"text of a", "text of c"}));
}

TEST(MessageFrame, ShutDownDoesNotWaitForAFetchThatHangsAndNothingIsReportedAfter)
{
    auto gate = std::make_shared<Gate>();
    {
        MessageFrameLoader loader(gatedLoad(gate), recorder(gate));
        loader.navigate("stalled");
        ASSERT_TRUE(gate->waitFor(1, 0));
        loader.shutdown(std::chrono::milliseconds(50));
        loader.navigate("after"); // ignored once shut down
    }
    gate->release(); // the fetch ends now, on its own thread
    std::unique_lock lock(gate->mutex);
    gate->changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return !gate->reported.empty(); });
    EXPECT_TRUE(gate->reported.empty());
    EXPECT_EQ(gate->started, std::vector<std::string>{"stalled"});
}

} // namespace
