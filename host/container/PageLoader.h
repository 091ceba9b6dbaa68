// What the viewer is asked to show: a viewer page fetched and read, or one
// control given its PARAMs on the command line; and the password prompt of
// a viewer that was given its credentials up front.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/page/ViewerPage.h"
#include "platform/wininet/linux/StandInWinInet.h"

struct PageLoad {
    std::vector<EmbeddedObject> objects;
    std::string name;  // the page's address, or "the parameters"
    std::string error; // set when the page could not be fetched
};

// timeoutMs: how long the whole fetch may take (0: no bound of the
// viewer's); `cancel`, when set, ends it early.
PageLoad LoadPage(const std::string& pageUrl, const std::vector<std::pair<std::string, std::string>>& params,
                  DWORD timeoutMs = 0, const std::atomic<bool>* cancel = nullptr);

// Asks the person for a camera's user name and password (the window's
// dialog); `notice` says why they are asked again, empty the first time.
using PersonPrompt = std::function<bool(const std::string& url, const std::string& notice, std::string& user,
                                        std::string& password, const std::atomic<bool>& cancelled)>;

// What the viewer answers when a camera asks for a password (its page, a
// control's preflight). The credentials given up front (NAME:PASSWORD)
// answer each camera's first request only: a camera that asks again has
// refused them, and handing them back would loop. A request they do not
// answer goes to the person, told when the camera refused what was given,
// or, with no one to ask (headless), is cancelled.
standin::PasswordPrompt ViewerPasswordPrompt(const std::string& userColonPassword, PersonPrompt person);

// The notice of a request after the camera refused an answer.
extern const char* const kCredentialsRefusedNotice;
