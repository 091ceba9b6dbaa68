// Remembered passwords through the system's secret store, as the viewers
// use it. Where a store runs (the "keyring" test runs this under a session
// bus of its own with GNOME Keyring), a password remembered for one camera
// answers that camera's next first request, in a later run too, and no
// other camera's; where none runs, the viewer says so once and goes on.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/core/CameraCredentials.h"

namespace {

const std::atomic<bool> kNever{false};

TEST(SecretStore, ARememberedPasswordAnswersItsOwnCameraOnly)
{
    // Origins of this run only: a store that runs may hold earlier runs'.
    const auto run = std::chrono::steady_clock::now().time_since_epoch().count() % 20000;
    const std::string camera = "http://127.0.0.1:" + std::to_string(20000 + run);
    const std::string other = "http://127.0.0.1:" + std::to_string(40001 + run);
    std::vector<std::string> told;
    const TellUser tell = [&](const std::string& line, const std::string&) { told.push_back(line); };
    int asked = 0;
    const AskPerson person = [&](const std::string&, const std::string&, PersonAnswer& a, const std::atomic<bool>&) {
        ++asked;
        a.user = "admin";
        a.password = "pass word";
        a.remember = true;
        return true;
    };
    std::string user, password;
    CameraCredentials first("", "", person, tell, SystemPasswordStore());
    ASSERT_TRUE(first.answer(camera + "/", user, password, kNever));
    ASSERT_TRUE(first.answer(other + "/", user, password, kNever));
    EXPECT_EQ(asked, 2);
    if (std::getenv("VE_SECRET_STORE_RUNS")) {
        ASSERT_TRUE(told.empty()) << told.front();
    }
    if (!told.empty()) {
        // No store: said once, and the answers still went out.
        EXPECT_EQ(told, std::vector<std::string>{"no secret store: the password is not remembered"});
        EXPECT_EQ(password, "pass word");
        return;
    }
    // A later run with no one to ask: the camera's own password answers its
    // first request only (a second means the camera refused it).
    CameraCredentials later("", "", AskPerson(), tell, SystemPasswordStore());
    user.clear();
    password.clear();
    EXPECT_TRUE(later.answer(camera + "/ImageViewer", user, password, kNever));
    EXPECT_EQ(user, "admin");
    EXPECT_EQ(password, "pass word");
    EXPECT_FALSE(later.answer(camera + "/", user, password, kNever));
    EXPECT_FALSE(later.answer("http://127.0.0.1:1/", user, password, kNever));
    // Remembered for `other` too, but as another origin's, never this one's.
    EXPECT_TRUE(later.answer(other + "/", user, password, kNever));
    EXPECT_TRUE(told.empty());
}

} // namespace
