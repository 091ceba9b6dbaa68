// The cursor a control sets, shown in the SDL window: system cursors by
// their SDL counterparts, module icons (the zoom icons) as colour cursors
// made from their pixels. Each is made once and kept.
#pragma once

#include <map>

#include "platform/win/WinUser.h"

struct SDL_Cursor;

class SdlCursors {
public:
    SdlCursors() = default;
    ~SdlCursors();
    SdlCursors(const SdlCursors&) = delete;
    SdlCursors& operator=(const SdlCursors&) = delete;

    // Shows `cursor` when it differs from the one shown.
    void show(HCURSOR cursor);

private:
    SDL_Cursor* make(HCURSOR cursor);

    std::map<HCURSOR, SDL_Cursor*> m_made;
    HCURSOR m_shown = nullptr;
};
