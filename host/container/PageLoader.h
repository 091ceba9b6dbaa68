// What the viewer is asked to show: a viewer page fetched and read, or one
// control given its PARAMs on the command line; and the password prompt.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/core/CameraCredentials.h"
#include "host/core/PageLoad.h"
#include "host/page/ViewerPage.h"
#include "platform/wininet/linux/StandInWinInet.h"


// timeoutMs: how long the whole fetch may take (0: no bound of the
// viewer's); `cancel`, when set, ends it early.
PageLoad LoadPage(const std::string& pageUrl, const std::vector<std::pair<std::string, std::string>>& params,
                  DWORD timeoutMs = 0, const std::atomic<bool>* cancel = nullptr);

// What the viewer answers when a camera asks for a password (its page, a
// control's preflight): what `credentials` decides.
standin::PasswordPrompt ViewerPasswordPrompt(std::shared_ptr<CameraCredentials> credentials);
