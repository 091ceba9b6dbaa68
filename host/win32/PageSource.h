// What the viewer is asked to show: a viewer page fetched through WinInet
// and read for its OBJECTs, or one control given its PARAMs on the command
// line. Kept apart from the fetch's own header, whose result type shares a
// name with the page reader's.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "host/page/ViewerPage.h"


struct PageSource {
    std::vector<EmbeddedObject> objects;
    std::string name;  // the page's address, or "the parameters"
    std::string error; // set when the page could not be fetched or read
};

// user: NAME:PASSWORD for a 401; owner and interactive: where and whether
// the password dialog may be shown.
// timeoutMs: how long the page may take to answer (0: WinInet's own limits).
PageSource LoadPageSource(const std::string& pageUrl, const std::vector<std::pair<std::string, std::string>>& params,
                          const std::string& user, HWND owner, bool interactive, DWORD timeoutMs = 0);

