// The state of the physical input devices, which the container supplies:
// which mouse buttons are down, whether the buttons are swapped, the
// double-click time. GetAsyncKeyState and GetSystemMetrics read it.
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#else

#include "platform/win/WinUser.h"

// Bit 15 set while the key or physical button is down.
SHORT GetAsyncKeyState(int vk);
int GetSystemMetrics(int index);
UINT GetDoubleClickTime();

#endif
