// Cursors and icons. System cursors are known by their identifiers (the
// container maps them to its own); module icons are images that a module
// registers under its instance handle and resource number, as a resource
// compiler would have linked them in.
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#else

#include "platform/win/WinUser.h"

HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name);
HICON LoadIconA(HINSTANCE module, LPCSTR name);
// Shows the cursor over the window under the pointer; returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

#endif
