// The headless viewer's input scripts: what they say, and where a broken
// one breaks.
#include <gtest/gtest.h>

#include "host/core/InputScript.h"

namespace {

using Kind = InputAction::Kind;

TEST(InputScript, ReadsEveryActionInTimeOrder)
{
    const InputScript s = ParseInputScript("# a person at work\n"
                                           "900 wheel 160 120 -2   # two notches towards the user\n"
                                           "500 move 160 120\n"
                                           "600 down left 160 120\n"
                                           "\n"
                                           "700 up right -5 300\n"
                                           "800 click right 10 10\n"
                                           "1000 key Escape\n");
    ASSERT_TRUE(s.error.empty()) << s.error;
    ASSERT_EQ(s.actions.size(), 6u);
    EXPECT_EQ(s.actions[0].kind, Kind::Move);
    EXPECT_EQ(s.actions[0].atMs, 500u);
    EXPECT_EQ(s.actions[1].kind, Kind::Down);
    EXPECT_FALSE(s.actions[1].right);
    EXPECT_EQ(s.actions[2].kind, Kind::Up);
    EXPECT_TRUE(s.actions[2].right);
    EXPECT_EQ(s.actions[2].pt.x, -5); // outside the window: a release after capture
    EXPECT_EQ(s.actions[3].kind, Kind::Click);
    EXPECT_EQ(s.actions[4].kind, Kind::Wheel);
    EXPECT_EQ(s.actions[4].notches, -2);
    EXPECT_EQ(s.actions[5].key, "Escape");
}

TEST(InputScript, ABrokenLineIsNamedAndNothingIsKept)
{
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"100 move 1 2\nsoon move 1 2\n", "line 2: a time in milliseconds comes first"},
        {"100\n", "line 1: an action follows the time"},
        {"100 move 1\n", "line 1: move takes X Y"},
        {"100 move 1 2 3\n", "line 1: move takes X Y"},
        {"100 down middle 1 2\n", "line 1: down takes left|right X Y"},
        {"100 move 99999 2\n", "line 1: move takes X Y"},
        {"100 wheel 1 2 1000\n", "line 1: wheel takes X Y NOTCHES"},
        {"100 key F1\n", "line 1: key takes Escape, p or q"},
        {"-5 move 1 2\n", "line 1: a time in milliseconds comes first"},
        {"100 move 0x10 2\n", "line 1: move takes X Y"},
    };
    for (const auto& c : cases) {
        const InputScript s = ParseInputScript(c.text);
        EXPECT_EQ(s.error, c.error) << c.text;
        EXPECT_TRUE(s.actions.empty()) << c.text;
    }
}

TEST(InputScript, AnEmptyScriptIsNoInput)
{
    const InputScript s = ParseInputScript("# nothing\n\n   \n");
    EXPECT_TRUE(s.error.empty());
    EXPECT_TRUE(s.actions.empty());
}

} // namespace
