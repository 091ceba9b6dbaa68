// Who answers a camera that asks for a password, the same in both viewers.
// Credentials given with an address (--user NAME:PASSWORD, or written in
// the address) belong to that address's origin (scheme, host and port) and
// answer its first request only; a camera that asks again has refused
// them. A password the person chose to remember answers its own origin's
// first request. Anything else goes to the person (the window's dialog)
// or, with no one to ask (headless), gets nothing; a request from another
// origin is reported, naming the host that asked.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <map>
#include <set>
#include <vector>
#include <string>

#include "host/core/ViewerAddress.h"

// Where remembered passwords live: the system's secret store.
class PasswordStore {
public:
    virtual ~PasswordStore() = default;
    // The user name and password kept for `origin`; false when none is.
    virtual bool find(const std::string& origin, std::string& user, std::string& password) = 0;
    // Keeps them; false when there is no store to keep them in.
    virtual bool keep(const std::string& origin, const std::string& user, const std::string& password) = 0;
};

// The system's secret store (platform/secrets).
std::shared_ptr<PasswordStore> SystemPasswordStore();

// What the person answers in the password dialog.
struct PersonAnswer {
    std::string user;     // filled in with the name the request carried, if any
    std::string password;
    bool remember = false;
};

// Asks the person for `url`'s user name and password; `notice` says why
// they are asked again (empty the first time). False when cancelled.
using AskPerson = std::function<bool(const std::string& url, const std::string& notice, PersonAnswer& answer,
                                     const std::atomic<bool>& cancelled)>;
// Tells the user something: a line for standard error (without
// "camview: ") and the same as the JSON fields of a report line.
using TellUser = std::function<void(const std::string& line, const std::string& jsonFields)>;

class EventLog;
// Tells on standard error and, once `log` points at one, in that report.
TellUser TellOnStderr(std::shared_ptr<std::atomic<EventLog*>> log);

class CameraCredentials {
public:
    // pageUrl: the address the credentials were given with; given:
    // NAME:PASSWORD or empty. person may be empty (headless), store null.
    CameraCredentials(const std::string& pageUrl, std::string given, AskPerson person, TellUser tell,
                      std::shared_ptr<PasswordStore> store);
    // Credentials given for several addresses (a wall), each for its own
    // origin; the first named in what is told of a camera that asked.
    CameraCredentials(const std::vector<GivenUser>& given, AskPerson person, TellUser tell,
                      std::shared_ptr<PasswordStore> store);
    ~CameraCredentials();

    // Answers a request for `url` that was refused without credentials:
    // true with the user name and password to send, false for none.
    bool answer(const std::string& url, std::string& user, std::string& password, const std::atomic<bool>& cancelled);
    // Whether the credentials given were kept from a camera that asked
    // (so a camera without a picture need not have refused them).
    bool withheld() const;

private:
    struct Given {
        std::string user;
        std::string password;
    };
    std::map<std::string, Given> m_givenFor; // by origin
    std::string m_origin;                     // the first origin given for
    bool m_given = false;
    AskPerson m_person;
    TellUser m_tell;
    std::shared_ptr<PasswordStore> m_store;
    mutable std::mutex m_mutex;
    std::set<std::string> m_asked;    // origins answered once
    std::set<std::string> m_reported; // origins told about, once each
    bool m_noStoreTold = false;
};

// The notice of a request after the camera refused an answer.
extern const char* const kCredentialsRefusedNotice;
