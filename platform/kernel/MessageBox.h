// The message box, which the container supplies (a dialog in the viewer, a
// logged line and a scripted answer in the headless host and in tests).
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#else

#include "platform/win/WinUser.h"

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

#endif
