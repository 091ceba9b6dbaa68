#include "platform/gdi/Gdi.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

struct DeviceContext {
    std::shared_ptr<Surface> surface;
    int originX = 0;
    int originY = 0;
    COLORREF textColour = 0;
};

struct Brush {
    COLORREF colour;
};

struct GdiTable {
    std::mutex mutex;
    std::map<HDC, std::unique_ptr<DeviceContext>> dcs;
    std::map<HBRUSH, std::unique_ptr<Brush>> brushes;
};

GdiTable& table()
{
    static GdiTable t;
    return t;
}

DeviceContext* findDC(HDC hdc)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.dcs.find(hdc);
    return it == t.dcs.end() ? nullptr : it->second.get();
}

RECT offset(const RECT& r, const DeviceContext& dc)
{
    return RECT{r.left + dc.originX, r.top + dc.originY, r.right + dc.originX, r.bottom + dc.originY};
}

// The nominal line height of the default user-interface font.
constexpr int kLineHeight = 16;

} // namespace

HDC CreateSurfaceDC(std::shared_ptr<Surface> surface, int originX, int originY)
{
    auto dc = std::make_unique<DeviceContext>();
    dc->surface = std::move(surface);
    dc->originX = originX;
    dc->originY = originY;
    HDC handle = reinterpret_cast<HDC>(dc.get());
    auto& t = table();
    std::lock_guard lock(t.mutex);
    t.dcs[handle] = std::move(dc);
    return handle;
}

BOOL DeleteDC(HDC hdc)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    return t.dcs.erase(hdc) ? TRUE : FALSE;
}

Surface* GetDCSurface(HDC hdc)
{
    DeviceContext* dc = findDC(hdc);
    return dc ? dc->surface.get() : nullptr;
}

int GetDeviceCaps(HDC hdc, int index)
{
    DeviceContext* dc = findDC(hdc);
    if (!dc || !dc->surface) return 0;
    switch (index) {
    case BITSPIXEL:
        return dc->surface->bitsPerPixel();
    case PLANES:
        return 1;
    default:
        return 0;
    }
}

HBRUSH CreateSolidBrush(COLORREF colour)
{
    auto brush = std::make_unique<Brush>(Brush{colour});
    HBRUSH handle = reinterpret_cast<HBRUSH>(brush.get());
    auto& t = table();
    std::lock_guard lock(t.mutex);
    t.brushes[handle] = std::move(brush);
    return handle;
}

BOOL DeleteObject(HGDIOBJ object)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    return t.brushes.erase(static_cast<HBRUSH>(object)) ? TRUE : FALSE;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    DeviceContext* dc = findDC(hdc);
    if (!dc || !rect || !dc->surface) return 0;
    COLORREF colour;
    {
        auto& t = table();
        std::lock_guard lock(t.mutex);
        auto it = t.brushes.find(brush);
        if (it == t.brushes.end()) return 0;
        colour = it->second->colour;
    }
    dc->surface->fill(offset(*rect, *dc), ColorRefToRgb(colour));
    return 1;
}

COLORREF SetTextColor(HDC hdc, COLORREF colour)
{
    DeviceContext* dc = findDC(hdc);
    if (!dc) return 0xFFFFFFFFu; // CLR_INVALID
    const COLORREF previous = dc->textColour;
    dc->textColour = colour;
    return previous;
}

COLORREF GetTextColor(HDC hdc)
{
    DeviceContext* dc = findDC(hdc);
    return dc ? dc->textColour : 0;
}

int DrawTextA(HDC hdc, LPCSTR text, int count, RECT* rect, UINT)
{
    DeviceContext* dc = findDC(hdc);
    if (!dc || !text || !rect || !dc->surface) return 0;
    const size_t length = count < 0 ? std::strlen(text) : static_cast<size_t>(count);
    dc->surface->recordText(DrawnText{std::string(text, length), offset(*rect, *dc), dc->textColour});
    return kLineHeight;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count)
{
    DeviceContext* dc = findDC(hdc);
    if (!dc || !text || count < 0 || !dc->surface) return FALSE;
    const RECT at{x, y, x, y};
    dc->surface->recordText(DrawnText{std::string(text, static_cast<size_t>(count)), offset(at, *dc), dc->textColour});
    return TRUE;
}
