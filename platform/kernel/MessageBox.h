// The message box, which the container supplies (a dialog in the viewer, a
// logged line and a scripted answer in the headless host and in tests).
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#else

#include <functional>
#include <string>

#include "platform/win/WinUser.h"

using MessageBoxHandler = std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>;

// Installs the handler; null restores the default, which writes the text to
// standard error and answers IDOK.
void SetMessageBoxHandler(MessageBoxHandler handler);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

#endif
