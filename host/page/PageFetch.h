// The viewer page fetched over HTTP by the Linux viewer. (The Windows viewer
// fetches it through WinInet with its own password dialog:
// host/win32/PageFetch.h.)
#pragma once

#include <string>

#include "host/page/FetchedPage.h"
#include "platform/win/WinTypes.h"

// Fetches a page over HTTP with the process's cookie store and password
// prompt (the internet layer's), so that a control's preflight later finds
// the same session.
// timeoutMs: how long the page may take to answer (0: the internet layer's
// own limit), so that a run's duration bounds its page too.
FetchedPage FetchViewerPage(const std::string& url, DWORD timeoutMs = 0);
