// AfxMessageBox: the framework's message box, owned by no window (the
// container's on Linux, see kernel/linux/StandInKernel.h; Windows' own on
// Windows).
#pragma once

#include <string>

#include "platform/win/WinUser.h"

int AfxMessageBox(const std::string& text, UINT type = MB_OK);
