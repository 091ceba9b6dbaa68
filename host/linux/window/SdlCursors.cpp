#include "host/linux/window/SdlCursors.h"

#include <SDL.h>

#include "platform/window/Cursor.h"
#include "platform/window/linux/StandInWindow.h"

SdlCursors::~SdlCursors()
{
    for (auto& [handle, cursor] : m_made)
        if (cursor) SDL_FreeCursor(cursor);
}

SDL_Cursor* SdlCursors::make(HCURSOR cursor)
{
    WORD id = 0;
    if (standin::GetSystemCursorId(cursor, &id)) {
        const SDL_SystemCursor which = id == IDC_HAND_ID   ? SDL_SYSTEM_CURSOR_HAND
                                       : id == IDC_WAIT_ID ? SDL_SYSTEM_CURSOR_WAIT
                                                           : SDL_SYSTEM_CURSOR_ARROW;
        return SDL_CreateSystemCursor(which);
    }
    const IconImage* icon = standin::GetIconImage(cursor);
    if (!icon || icon->width <= 0 || icon->height <= 0 ||
        icon->argb.size() < static_cast<std::size_t>(icon->width) * static_cast<std::size_t>(icon->height))
        return nullptr;
    SDL_Surface* pixels = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(icon->argb.data()), icon->width,
                                                             icon->height, 32, icon->width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!pixels) return nullptr;
    SDL_Cursor* made = SDL_CreateColorCursor(pixels, icon->hotspotX, icon->hotspotY);
    SDL_FreeSurface(pixels);
    return made;
}

void SdlCursors::show(HCURSOR cursor)
{
    if (!cursor || cursor == m_shown) return;
    m_shown = cursor;
    auto it = m_made.find(cursor);
    if (it == m_made.end()) it = m_made.emplace(cursor, make(cursor)).first;
    if (it->second) SDL_SetCursor(it->second);
}
