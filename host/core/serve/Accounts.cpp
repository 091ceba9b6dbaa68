#include "host/core/serve/Accounts.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <sodium.h>

#include "host/core/UserFolders.h"
#include "platform/service/PrivateFile.h"

namespace {

constexpr std::size_t kMostUsers = 1000;

bool nameUsable(const std::string& name)
{
    if (name.empty() || name.size() > 64) return false;
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '.' && c != '_' && c != '-' && c != '@') return false;
    return true;
}

std::string randomHex(std::size_t bytes)
{
    std::string raw(bytes, '\0');
    randombytes_buf(raw.data(), raw.size());
    std::string hex(bytes * 2 + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), reinterpret_cast<const unsigned char*>(raw.data()), raw.size());
    hex.pop_back();
    return hex;
}

bool readUsers(const std::filesystem::path& file, std::map<std::string, std::string>& users, std::string& error)
{
    std::error_code missing;
    if (!std::filesystem::exists(file, missing)) {
        error = "no users file " + file.string() + ": add a user first (camview serve --add-user NAME)";
        return false;
    }
    if (OthersMayAccess(file)) {
        error = "the users file " + file.string() + " may be read or changed by others: chmod 600 it";
        return false;
    }
    std::ifstream in(file);
    if (!in) {
        error = "cannot read the users file " + file.string();
        return false;
    }
    for (std::string line; std::getline(in, line) && users.size() < kMostUsers;) {
        const auto colon = line.find(':');
        if (colon == std::string::npos || !nameUsable(line.substr(0, colon))) continue;
        users[line.substr(0, colon)] = line.substr(colon + 1);
    }
    return true;
}

} // namespace

std::filesystem::path DefaultServeUsersFile() { return RecentAddressesFile().parent_path() / "serve-users"; }

bool AddServeUser(const std::filesystem::path& file, const std::string& name, const std::string& password,
                  std::string& error)
{
    if (sodium_init() < 0) {
        error = "libsodium cannot start";
        return false;
    }
    if (!nameUsable(name)) {
        error = "a user's name is 1 to 64 letters, digits and . _ - @, not \"" + name + "\"";
        return false;
    }
    if (password.size() < 8 || password.size() > 1024) {
        error = "a password has 8 to 1024 characters";
        return false;
    }
    std::map<std::string, std::string> users;
    std::error_code exists;
    if (std::filesystem::exists(file, exists) && !readUsers(file, users, error)) return false;
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        error = "not enough memory to hash the password";
        return false;
    }
    users[name] = hash;
    std::string text;
    for (const auto& [user, userHash] : users) text += user + ':' + userHash + '\n';
    if (!WritePrivateFile(file, text)) {
        error = "cannot write the users file " + file.string();
        return false;
    }
    return true;
}

Accounts::Accounts(std::filesystem::path usersFile, Clock clock) : m_file(std::move(usersFile)), m_clock(std::move(clock)) {}

std::chrono::steady_clock::time_point Accounts::now() const { return m_clock ? m_clock() : std::chrono::steady_clock::now(); }

bool Accounts::load(std::string& error)
{
    if (sodium_init() < 0) {
        error = "libsodium cannot start";
        return false;
    }
    std::map<std::string, std::string> users;
    if (!readUsers(m_file, users, error)) return false;
    char dummy[crypto_pwhash_STRBYTES];
    const std::string random = randomHex(16);
    if (crypto_pwhash_str(dummy, random.data(), random.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        error = "not enough memory to check passwords";
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_users = std::move(users);
    m_dummyHash = dummy;
    return true;
}

bool Accounts::empty() const
{
    std::lock_guard lock(m_mutex);
    return m_users.empty();
}

bool Accounts::takeVerifySlot()
{
    std::unique_lock lock(m_verifyMutex);
    if (!m_verifyFree.wait_for(lock, std::chrono::seconds(10), [this] { return m_verifying < 2; })) return false;
    ++m_verifying;
    return true;
}

void Accounts::giveVerifySlot()
{
    {
        std::lock_guard lock(m_verifyMutex);
        --m_verifying;
    }
    m_verifyFree.notify_one();
}

bool Accounts::slowed(const std::string& peer, LoginResult& result)
{
    const auto t = now();
    const auto p = m_peers.find(peer);
    if (p == m_peers.end() || t >= p->second.until) return false;
    result.outcome = LoginResult::Outcome::Slowed;
    result.retryAfterSeconds = static_cast<unsigned>(std::chrono::ceil<std::chrono::seconds>(p->second.until - t).count());
    return true;
}

LoginResult Accounts::login(const std::string& peer, const std::string& name, const std::string& password)
{
    LoginResult result;
    {
        std::lock_guard lock(m_mutex);
        if (slowed(peer, result)) return result;
    }
    // A busy service is no wrong password: the address is asked to come
    // back, and no failure is counted against it.
    if (!takeVerifySlot()) {
        result.outcome = LoginResult::Outcome::Slowed;
        result.retryAfterSeconds = 1;
        return result;
    }
    // The slot is given back once the outcome is counted, so the next in
    // line sees it.
    struct SlotHeld {
        Accounts* accounts;
        ~SlotHeld() { accounts->giveVerifySlot(); }
    } held{this};
    std::string hash;
    bool known = false;
    {
        // Tries from one address waiting together for a slot would all
        // pass the check above before the first of them failed: look again.
        std::lock_guard lock(m_mutex);
        if (slowed(peer, result)) return result;
        const auto user = m_users.find(name);
        known = user != m_users.end();
        hash = known ? user->second : m_dummyHash;
    }
    // An unknown name costs the same check as a known one.
    const bool ok = crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0 && known &&
                    password.size() <= 1024;
    std::lock_guard lock(m_mutex);
    const auto t = now();
    if (!ok) {
        if (m_peers.size() >= kMostPeers && !m_peers.count(peer)) {
            auto oldest = std::min_element(m_peers.begin(), m_peers.end(),
                                           [](const auto& a, const auto& b) { return a.second.last < b.second.last; });
            m_peers.erase(oldest);
        }
        Peer& p = m_peers[peer];
        // Failures long ago are forgiven.
        if (t - p.last > std::chrono::minutes(10)) p.failures = 0;
        p.last = t;
        if (++p.failures > kFreeFailures - 1) {
            const unsigned delay = std::min<unsigned>(kMostDelaySeconds, 1u << std::min(p.failures - kFreeFailures + 1, 6));
            p.until = t + std::chrono::seconds(delay);
        }
        result.outcome = LoginResult::Outcome::Refused;
        return result;
    }
    m_peers.erase(peer);
    if (m_sessions.size() >= kMostSessions) {
        auto oldest = std::min_element(m_sessions.begin(), m_sessions.end(),
                                       [](const auto& a, const auto& b) { return a.second.used < b.second.used; });
        m_sessions.erase(oldest);
    }
    result.outcome = LoginResult::Outcome::Ok;
    result.session = randomHex(32);
    result.token = randomHex(32);
    m_sessions[result.session] = Session{SessionInfo{name, result.token}, t};
    return result;
}

std::optional<SessionInfo> Accounts::session(const std::string& id)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_sessions.find(id);
    if (it == m_sessions.end()) return std::nullopt;
    const auto t = now();
    if (t - it->second.used > kSessionIdle) {
        m_sessions.erase(it);
        return std::nullopt;
    }
    it->second.used = t;
    return it->second.info;
}

bool Accounts::tokenMatches(const std::string& id, const std::string& token)
{
    const auto info = session(id);
    return info && info->token.size() == token.size() &&
           sodium_memcmp(info->token.data(), token.data(), token.size()) == 0;
}

void Accounts::logout(const std::string& id)
{
    std::lock_guard lock(m_mutex);
    m_sessions.erase(id);
}
