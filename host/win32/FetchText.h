// A page's body fetched through WinInet for the viewer, in the viewer's
// own terms: the page fetch's header and the page reader's both name a
// FetchedPage, so no unit includes both.
#pragma once

#include <windows.h>

#include <string>

// user: NAME:PASSWORD for a 401; owner and interactive: where and whether
// the password dialog may be shown. True with the body, else false with
// the reason the Linux viewer gives for the same failure.
bool FetchPageBody(const std::string& url, const std::string& user, HWND owner, bool interactive, std::string& body,
                   std::string& error, DWORD timeoutMs = 0);
