// The Windows viewer's page fetch: a viewer page fetched through WinInet
// and read for its OBJECTs, or one control given its PARAMs.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "host/core/PageLoad.h"



// user: NAME:PASSWORD for a 401; owner and interactive: where and whether
// the password dialog may be shown.
// timeoutMs: how long the page may take to answer (0: WinInet's own limits).
PageLoad LoadPageSource(const std::string& pageUrl, const std::vector<std::pair<std::string, std::string>>& params,
                          const std::string& user, HWND owner, bool interactive, DWORD timeoutMs = 0);

