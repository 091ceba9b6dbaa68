// The Linux stand-in's own internet calls: the container supplies the
// password prompt, and tests forget the session's cookies and credentials.
// Not Windows calls, so they live in namespace standin; only the stand-in's
// own side calls them.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "platform/wininet/WinInet.h"

namespace standin {

// The password prompt, which the container supplies: given the address
// asked for, it fills in a user name and password and answers true, or
// answers false when the person cancels. It should give up when `cancelled`
// becomes true (the request was closed meanwhile).
using PasswordPrompt = std::function<bool(HWND owner, const std::string& url, std::string& user,
                                          std::string& password, const std::atomic<bool>& cancelled)>;
void SetPasswordPrompt(PasswordPrompt prompt);
// Forgets the process's cookies and cached credentials (for tests).
void InternetResetSessionState();

} // namespace standin
