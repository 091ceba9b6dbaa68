// The logins of camview serve: the users file (a name and a salted,
// memory-hard hash of the password per line, readable by its owner only),
// the sessions a login opens with their operation tokens, and failed
// logins slowed per address. Safe to call from many connections at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

// The users file in camview's folder.
std::filesystem::path DefaultServeUsersFile();

// Adds `name` with `password`, or gives it a new one; false, saying why in
// `error`, for a name or password that will not do or a file that cannot
// be written. The file is written whole beside it and renamed over it,
// readable by its owner only from the first byte.
bool AddServeUser(const std::filesystem::path& file, const std::string& name, const std::string& password,
                  std::string& error);

struct LoginResult {
    enum class Outcome { Ok, Refused, Slowed };
    Outcome outcome = Outcome::Refused;
    std::string session; // for the cookie
    std::string token;   // the session's operation token
    unsigned retryAfterSeconds = 0;
};

struct SessionInfo {
    std::string user;
    std::string token;
};

class Accounts {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr int kFreeFailures = 3;             // before logins from an address are slowed
    static constexpr unsigned kMostDelaySeconds = 60;   // the longest wait after failures
    static constexpr std::size_t kMostPeers = 4096;     // addresses remembered
    static constexpr std::size_t kMostSessions = 1024;
    static constexpr auto kSessionIdle = std::chrono::hours(12);

    explicit Accounts(std::filesystem::path usersFile, Clock clock = {});
    // Reads the users file; false, saying why, when it cannot be read or
    // others may read or write it.
    bool load(std::string& error);
    bool empty() const;

    LoginResult login(const std::string& peer, const std::string& name, const std::string& password);
    // The session (its idle time starts again), or none.
    std::optional<SessionInfo> session(const std::string& id);
    bool tokenMatches(const std::string& id, const std::string& token);
    void logout(const std::string& id);

private:
    struct Peer {
        int failures = 0;
        std::chrono::steady_clock::time_point until{}; // no try before this
        std::chrono::steady_clock::time_point last{};
    };
    struct Session {
        SessionInfo info;
        std::chrono::steady_clock::time_point used;
    };
    std::chrono::steady_clock::time_point now() const;
    // A slot for one hash check, at most two at once (each takes its
    // memory); false when none came free in time.
    bool takeVerifySlot();
    void giveVerifySlot();
    // Whether `peer` must wait (how long in `result`); under m_mutex.
    bool slowed(const std::string& peer, LoginResult& result);

    std::filesystem::path m_file;
    Clock m_clock;
    mutable std::mutex m_mutex;
    std::map<std::string, std::string> m_users; // name: hash
    std::map<std::string, Peer> m_peers;
    std::map<std::string, Session> m_sessions;
    std::string m_dummyHash; // checked for unknown names, so they cost the same
    std::mutex m_verifyMutex;
    std::condition_variable m_verifyFree;
    int m_verifying = 0;
};
