// The window's status line, which both viewers compose the same way.
#include <gtest/gtest.h>

#include <string>

#include "host/core/StatusLine.h"

namespace {

struct LineCase {
    StatusLineInput in;
    const char* line;
};

class StatusLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(StatusLine, SaysWhatAPersonLooksFor)
{
    EXPECT_EQ(ComposeStatusLine(GetParam().in), GetParam().line);
}

StatusLineInput input(std::vector<std::string> hosts, std::vector<double> rates, int shown,
                      std::vector<std::string> statuses = {}, std::string notice = {},
                      std::vector<std::string> events = {}, bool credentials = false, std::string recording = {})
{
    std::string latest = events.empty() ? std::string() : events.back();
    return StatusLineInput{std::move(hosts), std::move(rates),   std::move(statuses), shown,
                           std::move(notice), std::move(events), std::move(latest),   credentials,
                           std::move(recording)};
}

INSTANTIATE_TEST_SUITE_P(
    Lines, StatusLine,
    ::testing::Values(
        // The only camera, whether pointed at or not.
        LineCase{input({"cam:8080"}, {14.96}, -1), "camera cam:8080   15.0 fps"},
        // Several: the one under the pointer, else each one's rate.
        // The last event of the camera under the pointer, not of another.
        LineCase{input({"a", "b"}, {10, 20}, 0, {}, {}, {"ModeChanged 0", "ModeChanged 1"}),
                 "camera 1/2 a   10.0 fps   last event: ModeChanged 0"},
        LineCase{input({"a", "b"}, {10, 20}, 1, {}, {}, {"", "ModeChanged 1"}), "camera 2/2 b   20.0 fps   last event: ModeChanged 1"},
        LineCase{input({"a", "b"}, {10, 20}, -1), "2 cameras: 10.0, 20.0 fps"},
        // A failed stream: its text and what it means; a notice wins over
        // the last event.
        LineCase{input({"cam"}, {0}, 0, {" Error Code(4000 / 0)\n"}),
                 "camera cam   0.0 fps   Error Code(4000 / 0): the camera refused the picture stream or ended it before "
                 "the first picture"},
        LineCase{input({"cam"}, {0}, 0, {" Error Code(20 / 0)\n"}, "snapshot saved to x.png", {"e"}, true),
                 "camera cam   0.0 fps   Error Code(20 / 0): the camera refused the user name and password given   "
                 "snapshot saved to x.png"},
        LineCase{input({"cam"}, {3}, 0, {"Connecting..."}), "camera cam   3.0 fps"},
        // A recording is said while it runs, before the last event.
        LineCase{input({"cam"}, {10}, 0, {}, {}, {"e"}, false, "recording 0:07 x.mkv"),
                 "camera cam   10.0 fps   recording 0:07 x.mkv   last event: e"}));

TEST(StatusLine, AControlsStatusIsTheTextsItDrewOneSpaceApart)
{
    EXPECT_EQ(StatusOfTexts({}), "");
    EXPECT_EQ(StatusOfTexts({" Error Code(4000 / 0)\n"}), " Error Code(4000 / 0)\n");
    EXPECT_EQ(StatusOfTexts({"Connecting", "...", ""}), "Connecting ... ");
}

TEST(FrameRates, CountIntervalsOfTheLastTwoSeconds)
{
    FrameRates rates;
    rates.resize(2);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 31; ++i) rates.frame(0, start + std::chrono::milliseconds(100 * i));
    EXPECT_NEAR(rates.rate(0, start + std::chrono::milliseconds(3000)), 10.0, 0.01);
    EXPECT_EQ(rates.rate(1, start), 0.0);
    EXPECT_EQ(rates.rate(5, start), 0.0);
}

} // namespace
