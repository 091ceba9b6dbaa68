// Cursors and icons. System cursors are known by their identifiers (the
// container maps them to its own); module icons are images that a module
// registers under its instance handle and resource number, as a resource
// compiler would have linked them in.
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#else

#include <cstdint>
#include <vector>

#include "platform/win/WinUser.h"

struct IconImage {
    int width = 0;
    int height = 0;
    int hotspotX = 0;
    int hotspotY = 0;
    // Row-major from the top row, 0xAARRGGBB; alpha 0 is transparent.
    std::vector<std::uint32_t> argb;
};

void RegisterIconResource(HINSTANCE module, WORD id, IconImage image);
void UnregisterIconResources(HINSTANCE module);

HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name);
HICON LoadIconA(HINSTANCE module, LPCSTR name);
// Shows the cursor over the window under the pointer; returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

// For the container: what a handle stands for. A system cursor gives its
// identifier (IDC_HAND_ID, ...), a module icon its image.
bool GetSystemCursorId(HCURSOR cursor, WORD* id);
const IconImage* GetIconImage(HICON icon);
// The resource number a module icon was registered under.
bool GetIconResourceId(HICON icon, WORD* id);

#endif
