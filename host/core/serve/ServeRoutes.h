// What the service answers to each request: its page, the cameras' list,
// their pictures, report lines and operations, and the login. Every value
// a request carries is checked here before anything acts on it.
#pragma once

#include <functional>
#include <string>

#include "host/core/serve/CameraService.h"
#include "host/core/serve/ServeRequest.h"

// The logins off loopback (over the users file); the routes ask it about
// sessions and never see a password's hash.
class ServeLogins {
public:
    virtual ~ServeLogins() = default;
    enum class Outcome { Ok, Refused, Slowed };
    struct Login {
        Outcome outcome = Outcome::Refused;
        std::string session;
        unsigned retryAfterSeconds = 0;
    };
    virtual Login login(const std::string& peer, const std::string& name, const std::string& password) = 0;
    // The session's operation token, or empty when there is no such session.
    virtual std::string token(const std::string& session) = 0;
    virtual bool tokenMatches(const std::string& session, const std::string& token) = 0;
    virtual void logout(const std::string& session) = 0;
};

struct ServeRoutesSetup {
    ServeLogins* logins = nullptr; // null: no login (loopback)
    // The PNG of a cursor the controls use, by name, and its hot spot; false for none.
    std::function<bool(const std::string& name, std::string& png, int& hotX, int& hotY)> cursor;
};

ServeReply RouteServeRequest(const ServeRequest& request, CameraService& service, const ServeRoutesSetup& setup);

// The fields of an application/x-www-form-urlencoded body (at most 16).
std::vector<std::pair<std::string, std::string>> ReadFormFields(const std::string& body);
