// A control's message map: an ordered table of the window messages it
// handles. The first entry for a message wins; a message without an entry
// goes to the framework's own handling.
#pragma once

#include <cstddef>

#include "platform/com/Guid.h"
#include "platform/win/WinTypes.h"

#ifdef _WIN32
// The coordinates of a mouse message, signed, as windowsx.h gives them
// (that header's other macros are not wanted here).
#ifndef GET_X_LPARAM
#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))
#endif
#endif

class COleControl;

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    LRESULT (*pfn)(COleControl* self, WPARAM wParam, LPARAM lParam);
};

struct IUnknown;

// A control's interface map: the interfaces it adds to the framework's, each
// found by its identifier. The pointer returned is not AddRef'ed.
struct AFX_INTERFACEMAP_ENTRY {
    const IID* piid;
    IUnknown* (*pfnGet)(COleControl* self);
};

struct AFX_INTERFACEMAP {
    const AFX_INTERFACEMAP_ENTRY* lpEntries;
    std::size_t nCount;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP_ENTRY* lpEntries;
    std::size_t nCount;
};
