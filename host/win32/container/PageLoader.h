// The Windows viewer's page fetch through WinInet: a page's body, and what
// the viewer is asked to show (a viewer page read for its OBJECTs, or one
// control given its PARAMs).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "host/core/page/FetchedPage.h"
#include "host/core/page/PageLoad.h"

// user: NAME:PASSWORD for a 401; owner and interactive: where and whether
// the password dialog may be shown. True with the body, else false with
// the reason the Linux viewer gives for the same failure.
bool FetchPageBody(const std::string& url, const std::string& user, HWND owner, bool interactive, std::string& body,
                   std::string& error, DWORD timeoutMs = 0, FetchedPage* answer = nullptr); // answer: its type, a stream

// user: NAME:PASSWORD for a 401; owner and interactive: where and whether
// the password dialog may be shown.
// timeoutMs: how long the page may take to answer (0: WinInet's own limits).
PageLoad LoadPageSource(const std::string& pageUrl, const std::vector<std::pair<std::string, std::string>>& params,
                        const std::string& user, HWND owner, bool interactive, DWORD timeoutMs = 0);

