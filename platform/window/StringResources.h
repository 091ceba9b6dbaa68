// String tables of modules, as a resource compiler would have linked them.
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#else

#include "platform/win/WinTypes.h"

// Copies the string into buffer (terminated, cut to fit) and returns its
// length; 0 when the table holds no such string.
int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size);

#endif
