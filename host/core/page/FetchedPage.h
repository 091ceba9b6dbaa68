// A viewer page as a viewer fetched it: the Linux viewer over the stand-in's
// internet layer (host/linux/container/PageFetch.h), the Windows viewer through WinInet
// with its password dialog (host/win32/container/PageFetch.h).
#pragma once

#include <string>

struct FetchedPage {
    long status = 0;   // the HTTP status, when the page answered
    std::string body;  // the page's body when fetched
    std::string error; // the sentence the viewer prints when it could not be fetched
    bool ok() const { return error.empty(); }
};
