// The Windows viewer's own password dialog: which camera asks, a user name
// and a password, "Remember this password" when the secret store may keep
// it, OK and Cancel. Shown for the page fetch and for a control's
// preflight, from whichever thread asks.
#pragma once

#include <windows.h>

#include <string>

#include "host/core/CameraCredentials.h"

// Control identifiers, for a test that answers the dialog.
constexpr int kPasswordUserId = 101;
constexpr int kPasswordPasswordId = 102;
constexpr int kPasswordRememberId = 103;

struct PasswordQuestion {
    std::string prompt;        // which camera asks, and why again
    std::string user;          // filled in before, and the answer
    std::string password;      // the answer
    bool offerRemember = false;
    bool remember = false;     // the answer
};

// True with the answer filled in after OK.
bool AskPasswordDialog(HWND owner, PasswordQuestion& question);

// The person, asked in this dialog over `owner` for a control's camera.
AskPerson PersonAskedInDialog(HWND owner);
