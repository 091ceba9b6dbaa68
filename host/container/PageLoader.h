// What the viewer is asked to show: a viewer page fetched and read, or one
// control given its PARAMs on the command line; and the password prompt of
// a viewer that was given its credentials up front.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/page/ViewerPage.h"
#include "platform/wininet/WinInet.h"

struct PageLoad {
    std::vector<EmbeddedObject> objects;
    std::string name;  // the page's address, or "the parameters"
    std::string error; // set when the page could not be fetched
};

PageLoad LoadPage(const std::string& pageUrl, const std::vector<std::pair<std::string, std::string>>& params);

// Answers every prompt with NAME:PASSWORD; an empty text cancels every
// prompt.
PasswordPrompt CredentialsPrompt(const std::string& userColonPassword);
