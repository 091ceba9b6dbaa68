// The viewer page fetched through WinInet, as a browser fetches it: a 401
// is answered with the user's NAME:PASSWORD or, when there is none and the
// viewer may ask, with the viewer's own password dialog. The credentials
// that succeeded stay in WinInet's cache for the process, where the
// controls' own requests find them.
#pragma once

#include <windows.h>

#include <string>

#include "host/core/page/FetchedPage.h"

// owner: the window a password dialog belongs to; interactive: whether
// the dialog may be shown (false headless: a 401 without --user fails).
// timeoutMs: how long the page may take to answer (0: WinInet's own limits).
FetchedPage FetchViewerPage(const std::string& url, const std::string& user, HWND owner, bool interactive,
                            DWORD timeoutMs = 0);
