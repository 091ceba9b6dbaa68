// The service's logins: the users file, sessions and tokens, and failed
// logins slowed per address, on a clock the test moves.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "host/core/serve/Accounts.h"

namespace {

using namespace std::chrono_literals;

struct Folder {
    Folder() : path(std::filesystem::temp_directory_path() / ("accounts-" + std::to_string(::getpid()) + "-" + std::to_string(++n)))
    {
        std::filesystem::create_directories(path);
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::filesystem::path path;
    static inline int n = 0;
};

} // namespace

TEST(ServeAccounts, TheUsersFileTakesOnlyWhatWillDoAndOthersCannotReadIt)
{
    Folder folder;
    const auto file = folder.path / "users";
    // What a crash or someone else left where the file is written first is
    // neither written through nor kept.
    const auto elsewhere = folder.path / "elsewhere";
    std::ofstream(elsewhere) << "keep";
    std::filesystem::create_symlink(elsewhere, file.string() + ".new");
    struct Case {
        std::string name;
        const char* password;
        bool added;
    } cases[] = {
        {"anna", "correct horse", true},     {"anna", "battery staple", true}, // a new password
        {"b.o-b_1@home", "12345678", true},  {"", "correct horse", false},
        {"an na", "correct horse", false},   {"anna:x", "correct horse", false},
        {"carl", "short", false},            {std::string(65, 'a'), "correct horse", false},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(AddServeUser(file, c.name, c.password, error), c.added) << c.name << ": " << error;
    }
    struct stat info {};
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".new"));
    EXPECT_FALSE(std::filesystem::is_symlink(file));
    std::string kept;
    std::getline(std::ifstream(elsewhere), kept);
    EXPECT_EQ(kept, "keep");

    Accounts accounts(file);
    std::string error;
    ASSERT_TRUE(accounts.load(error)) << error;
    EXPECT_EQ(accounts.login("p", "anna", "correct horse").outcome, LoginResult::Outcome::Refused); // replaced
    EXPECT_EQ(accounts.login("p", "anna", "battery staple").outcome, LoginResult::Outcome::Ok);
    EXPECT_EQ(accounts.login("p", "b.o-b_1@home", "12345678").outcome, LoginResult::Outcome::Ok);

    // A file others may read is refused, as ssh refuses a key.
    chmod(file.c_str(), 0640);
    Accounts exposed(file);
    EXPECT_FALSE(exposed.load(error));
    EXPECT_NE(error.find("chmod 600"), std::string::npos) << error;
}

TEST(ServeAccounts, SessionsTokensAndSlowedFailures)
{
    Folder folder;
    const auto file = folder.path / "users";
    std::string error;
    ASSERT_TRUE(AddServeUser(file, "anna", "correct horse", error)) << error;
    auto now = std::chrono::steady_clock::now();
    Accounts accounts(file, [&now] { return now; });
    ASSERT_TRUE(accounts.load(error)) << error;

    const LoginResult ok = accounts.login("192.0.2.1", "anna", "correct horse");
    ASSERT_EQ(ok.outcome, LoginResult::Outcome::Ok);
    ASSERT_EQ(ok.session.size(), 64u);
    const auto session = accounts.session(ok.session);
    ASSERT_TRUE(session);
    EXPECT_EQ(session->user, "anna");
    EXPECT_EQ(session->token, ok.token);
    EXPECT_TRUE(accounts.tokenMatches(ok.session, session->token));
    EXPECT_FALSE(accounts.tokenMatches(ok.session, std::string(64, '0')));
    EXPECT_FALSE(accounts.tokenMatches("no such session", session->token));

    // Three failures from one address, then each try waits longer; another
    // address is not held back, and the wait ends.
    const char* guesses[] = {"a", "b", "c"};
    for (const char* guess : guesses) EXPECT_EQ(accounts.login("198.51.100.9", "anna", guess).outcome, LoginResult::Outcome::Refused);
    const LoginResult slowed = accounts.login("198.51.100.9", "anna", "correct horse");
    EXPECT_EQ(slowed.outcome, LoginResult::Outcome::Slowed);
    EXPECT_GT(slowed.retryAfterSeconds, 0u);
    EXPECT_EQ(accounts.login("192.0.2.1", "nobody", "correct horse").outcome, LoginResult::Outcome::Refused);
    now += std::chrono::seconds(slowed.retryAfterSeconds);
    EXPECT_EQ(accounts.login("198.51.100.9", "anna", "correct horse").outcome, LoginResult::Outcome::Ok);

    // Sessions end after a long idle time and on logout.
    now += Accounts::kSessionIdle - 1min;
    EXPECT_TRUE(accounts.session(ok.session)); // used: its time starts again
    now += Accounts::kSessionIdle + 1min;
    EXPECT_FALSE(accounts.session(ok.session));
    const LoginResult again = accounts.login("192.0.2.1", "anna", "correct horse");
    accounts.logout(again.session);
    EXPECT_FALSE(accounts.session(again.session));

    // Logins at once from many connections: each gets its own session.
    std::vector<std::thread> threads;
    std::vector<std::string> sessions(6);
    for (std::size_t i = 0; i < sessions.size(); ++i)
        threads.emplace_back([&, i] { sessions[i] = accounts.login("203.0.113." + std::to_string(i), "anna", "correct horse").session; });
    for (auto& t : threads) t.join();
    for (const std::string& s : sessions) EXPECT_TRUE(accounts.session(s));

    // Many guesses at once from one address: those waiting for a hash check
    // see the failures before them, so no more than the free ones and the
    // one other check under way are tried.
    std::vector<LoginResult::Outcome> outcomes(12);
    threads.clear();
    for (std::size_t i = 0; i < outcomes.size(); ++i)
        threads.emplace_back([&, i] { outcomes[i] = accounts.login("198.51.100.7", "anna", "guess " + std::to_string(i)).outcome; });
    for (auto& t : threads) t.join();
    EXPECT_LE(std::count(outcomes.begin(), outcomes.end(), LoginResult::Outcome::Refused), Accounts::kFreeFailures + 1);
    EXPECT_EQ(std::count(outcomes.begin(), outcomes.end(), LoginResult::Outcome::Ok), 0);
}
