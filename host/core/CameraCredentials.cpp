#include "host/core/CameraCredentials.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "host/core/EventLog.h"
#include "platform/secrets/SecretStore.h"

const char* const kCredentialsRefusedNotice = "the camera did not accept that user name and password";

namespace {

// Overwrites a secret before its memory is given back.
void wipe(std::string& secret)
{
    std::fill(secret.begin(), secret.end(), '\0');
    secret.clear();
}

} // namespace

std::shared_ptr<PasswordStore> SystemPasswordStore()
{
    struct SystemStore final : PasswordStore {
        bool find(const std::string& origin, std::string& user, std::string& password) override
        {
            return FindCameraPassword(origin, user, password) == SecretStoreResult::Done;
        }
        bool keep(const std::string& origin, const std::string& user, const std::string& password) override
        {
            return KeepCameraPassword(origin, user, password) == SecretStoreResult::Done;
        }
    };
    return std::make_shared<SystemStore>();
}

TellUser TellOnStderr(std::shared_ptr<std::atomic<EventLog*>> log)
{
    return [log](const std::string& line, const std::string& jsonFields) {
        std::fprintf(stderr, "camview: %s\n", line.c_str());
        if (EventLog* report = log->load(std::memory_order_acquire)) report->write(jsonFields);
    };
}

CameraCredentials::CameraCredentials(const std::string& pageUrl, std::string given, AskPerson person, TellUser tell,
                                     std::shared_ptr<PasswordStore> store)
    : CameraCredentials(std::vector<GivenUser>{{pageUrl, std::move(given)}}, std::move(person), std::move(tell),
                        std::move(store))
{
}

CameraCredentials::CameraCredentials(const std::vector<GivenUser>& given, AskPerson person, TellUser tell,
                                     std::shared_ptr<PasswordStore> store)
    : m_person(std::move(person)), m_tell(std::move(tell)), m_store(std::move(store))
{
    for (const GivenUser& g : given) {
        if (g.user.empty()) continue;
        const std::string origin = UrlOrigin(g.pageUrl);
        if (!m_given) m_origin = origin;
        m_given = true;
        if (m_givenFor.count(origin)) continue; // the first given for an origin answers it
        const std::size_t colon = g.user.find(':');
        Given& kept = m_givenFor[origin];
        kept.user = g.user.substr(0, colon);
        if (colon != std::string::npos) kept.password = g.user.substr(colon + 1);
    }
}

CameraCredentials::~CameraCredentials()
{
    for (auto& [origin, given] : m_givenFor) wipe(given.password);
}

bool CameraCredentials::withheld() const
{
    std::lock_guard lock(m_mutex);
    return !m_reported.empty();
}

bool CameraCredentials::answer(const std::string& url, std::string& user, std::string& password,
                               const std::atomic<bool>& cancelled)
{
    const std::string origin = UrlOrigin(url);
    bool askedBefore = false;
    {
        std::lock_guard lock(m_mutex);
        askedBefore = !m_asked.insert(origin).second;
    }
    if (const auto given = m_givenFor.find(origin); !askedBefore && given != m_givenFor.end()) {
        user = given->second.user;
        password = given->second.password;
        return true;
    }
    if (!askedBefore && m_store && m_store->find(origin, user, password)) return true;
    bool tellElsewhere = false;
    {
        std::lock_guard lock(m_mutex);
        tellElsewhere = m_given && !m_givenFor.count(origin) && m_reported.insert(origin).second;
    }
    if (tellElsewhere && m_tell) {
        const std::string host = OriginHost(origin);
        m_tell(host + " asked for a password: the credentials given for " + OriginHost(m_origin) +
                   " were not sent to it",
               "\"password_asked_by\":\"" + EventLog::Escape(host) + "\",\"credentials_sent\":false");
    }
    if (!m_person) return false;
    PersonAnswer a;
    a.user = user;
    if (!m_person(url, askedBefore ? kCredentialsRefusedNotice : "", a, cancelled)) return false;
    user = a.user;
    password = a.password;
    if (a.remember) {
        const bool kept = m_store && m_store->keep(origin, a.user, a.password);
        std::lock_guard lock(m_mutex);
        if (!kept && !m_noStoreTold && m_tell) {
            m_noStoreTold = true;
            m_tell("no secret store: the password is not remembered", "\"secret_store\":false");
        }
    }
    wipe(a.password);
    return true;
}
