#include "host/core/serve/ServeLogin.h"

#ifdef VE_HAVE_SODIUM
#include "host/core/serve/Accounts.h"

namespace {

class AccountLogins final : public ServeLogins {
public:
    explicit AccountLogins(std::filesystem::path file) : m_accounts(std::move(file)) {}
    bool load(std::string& error) { return m_accounts.load(error); }
    bool empty() const { return m_accounts.empty(); }

    Login login(const std::string& peer, const std::string& name, const std::string& password) override
    {
        const LoginResult result = m_accounts.login(peer, name, password);
        Login login;
        login.session = result.session;
        login.retryAfterSeconds = result.retryAfterSeconds;
        login.outcome = result.outcome == LoginResult::Outcome::Ok       ? Outcome::Ok
                        : result.outcome == LoginResult::Outcome::Slowed ? Outcome::Slowed
                                                                         : Outcome::Refused;
        return login;
    }
    std::string token(const std::string& session) override
    {
        if (session.empty()) return {};
        const auto info = m_accounts.session(session);
        return info ? info->token : std::string();
    }
    bool tokenMatches(const std::string& session, const std::string& token) override
    {
        return m_accounts.tokenMatches(session, token);
    }
    void logout(const std::string& session) override { m_accounts.logout(session); }

private:
    Accounts m_accounts;
};

} // namespace

std::unique_ptr<ServeLogins> MakeServeLogins(const std::string& usersFile, std::string& error)
{
    auto logins = std::make_unique<AccountLogins>(usersFile.empty() ? DefaultServeUsersFile() : std::filesystem::path(usersFile));
    if (!logins->load(error)) return nullptr;
    if (logins->empty()) {
        error = "no one can log in: add a user first (camview serve --add-user NAME)";
        return nullptr;
    }
    return logins;
}

#else

std::unique_ptr<ServeLogins> MakeServeLogins(const std::string&, std::string& error)
{
    error = "this build serves this machine only (it has no logins): listen on 127.0.0.1";
    return nullptr;
}

#endif
