// The viewer page fetched over HTTP by the Linux viewer. (The Windows viewer
// fetches it through WinInet with its own password dialog:
// host/win32/container/PageFetch.h.)
#pragma once

#include <atomic>
#include <string>

#include "host/core/page/FetchedPage.h"
#include "platform/win/WinTypes.h"

// Fetches a page over HTTP with the process's cookie store and password
// prompt (the internet layer's), so that a control's preflight later finds
// the same session.
// timeoutMs: how long the whole fetch may take, the time a password dialog
// is open not counted (0: no bound but the internet layer's own), so that a
// run's duration bounds its page too. `cancel`, when set, ends the fetch
// early (the window's Esc).
FetchedPage FetchViewerPage(const std::string& url, DWORD timeoutMs = 0, const std::atomic<bool>* cancel = nullptr);
