// Device contexts, brushes, rectangles, colours and palettes.
#include <algorithm>
#include <utility>

#include "platform/gdi/linux/StandInGdi.h"
#include "platform/gdi/linux/GdiObjects.h"
#include "platform/trace/Trace.h"

HDC standin::CreateSurfaceDC(std::shared_ptr<Surface> surface, int originX, int originY, const RECT* clip)
{
    auto dc = std::make_shared<DeviceContext>();
    dc->surface = std::move(surface);
    dc->originX = originX;
    dc->originY = originY;
    if (clip) dc->clip = *clip;
    return GdiTable::instance().addDC(std::move(dc));
}

std::shared_ptr<Surface> standin::GetDCSurface(HDC hdc)
{
    const auto dc = GdiTable::instance().dc(hdc);
    return dc ? dc->surface : nullptr;
}

HDC CreateCompatibleDC(HDC hdc)
{
    VE_TRACE(gdi, "(%p)", traceHandle(hdc));
    const auto like = GdiTable::instance().dc(hdc);
    const int bits = like && like->surface ? like->surface->bitsPerPixel() : 32;
    auto dc = std::make_shared<DeviceContext>();
    dc->memory = true;
    // A memory context starts with a one-pixel bitmap, as on Windows.
    dc->surface = std::make_shared<Surface>(1, 1, bits);
    dc->defaultBitmap = GdiTable::instance().addBitmap(dc->surface);
    dc->bitmap = dc->defaultBitmap;
    return GdiTable::instance().addDC(std::move(dc));
}

int GetClipBox(HDC hdc, RECT* rect)
{
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc || !rect) return ERROR;
    const RECT r = dc->paintable();
    *rect = RECT{r.left - dc->originX, r.top - dc->originY, r.right - dc->originX, r.bottom - dc->originY};
    if (r.right <= r.left || r.bottom <= r.top) {
        *rect = RECT{0, 0, 0, 0};
        return NULLREGION;
    }
    return SIMPLEREGION;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height)
{
    VE_TRACE(gdi, "(%p, %ld, %ld)", traceHandle(hdc), static_cast<long>(width), static_cast<long>(height));
    const auto like = GdiTable::instance().dc(hdc);
    if (!like || width < 0 || height < 0) return nullptr;
    // Windows refuses a bitmap it cannot allocate; the stand-in refuses one
    // of more than 1 GiB of 32-bit pixels instead of trying.
    constexpr long long kMaxPixels = 1LL << 28;
    if (static_cast<long long>(width) * height > kMaxPixels) return nullptr;
    const int bits = like->surface ? like->surface->bitsPerPixel() : 32;
    return GdiTable::instance().addBitmap(std::make_shared<Surface>(width, height, bits, Surface::Contents::Undefined));
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    VE_TRACE(gdi, "(%p, %p)", traceHandle(hdc), traceHandle(object));
    auto& table = GdiTable::instance();
    const auto dc = table.dc(hdc);
    if (!dc || !object) return nullptr;
    if (auto surface = table.bitmap(static_cast<HBITMAP>(object))) {
        if (!dc->memory) return nullptr;
        HBITMAP previous = dc->bitmap;
        dc->bitmap = static_cast<HBITMAP>(object);
        dc->surface = std::move(surface);
        return previous;
    }
    if (table.palette(static_cast<HPALETTE>(object))) return SelectPalette(hdc, static_cast<HPALETTE>(object), FALSE);
    // Brushes and fonts are passed to each call here; selecting one changes nothing.
    return table.brush(static_cast<HBRUSH>(object)) ? object : nullptr;
}

BOOL DeleteDC(HDC hdc)
{
    VE_TRACE(gdi, "(%p)", traceHandle(hdc));
    auto& table = GdiTable::instance();
    const auto dc = table.dc(hdc);
    if (!dc) return FALSE;
    HBITMAP own = dc->defaultBitmap;
    table.removeDC(hdc);
    if (own) table.removeObject(own);
    return TRUE;
}

BOOL DeleteObject(HGDIOBJ object) { return GdiTable::instance().removeObject(object) ? TRUE : FALSE; }

int GetDeviceCaps(HDC hdc, int index)
{
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc || !dc->surface) return 0;
    const bool paletted = dc->surface->bitsPerPixel() == 8;
    switch (index) {
    case BITSPIXEL:
        return dc->surface->bitsPerPixel();
    case PLANES:
        return 1;
    case SIZEPALETTE:
        return paletted ? 256 : 0;
    case RASTERCAPS:
        return paletted ? RC_PALETTE : 0;
    default:
        return 0;
    }
}

HBRUSH CreateSolidBrush(COLORREF colour) { return GdiTable::instance().addBrush(colour & 0xFFFFFF); }

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush)
{
    auto& table = GdiTable::instance();
    const auto dc = table.dc(hdc);
    const auto colour = table.brush(brush);
    if (!dc || !rect || !colour || !dc->surface) return 0;
    RECT r = dc->toSurface(*rect);
    const RECT p = dc->paintable();
    r.left = std::max(r.left, p.left);
    r.top = std::max(r.top, p.top);
    r.right = std::min(r.right, p.right);
    r.bottom = std::min(r.bottom, p.bottom);
    dc->surface->fillRgb(r, ColorRefToRgb(*colour));
    return 1;
}

COLORREF SetTextColor(HDC hdc, COLORREF colour)
{
    VE_TRACE(gdi, "(%p, 0x%lx)", traceHandle(hdc), static_cast<unsigned long>(colour));
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->textColour, colour & 0xFFFFFF);
}

COLORREF GetTextColor(HDC hdc)
{
    const auto dc = GdiTable::instance().dc(hdc);
    return dc ? dc->textColour : CLR_INVALID;
}

COLORREF SetBkColor(HDC hdc, COLORREF colour)
{
    VE_TRACE(gdi, "(%p, 0x%lx)", traceHandle(hdc), static_cast<unsigned long>(colour));
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc) return CLR_INVALID;
    return std::exchange(dc->bkColour, colour & 0xFFFFFF);
}

int SetBkMode(HDC hdc, int mode)
{
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc || (mode != OPAQUE && mode != TRANSPARENT)) return 0;
    return std::exchange(dc->bkMode, mode);
}

int SetStretchBltMode(HDC hdc, int mode)
{
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    return std::exchange(dc->stretchMode, mode);
}

HPALETTE CreatePalette(const LOGPALETTE* palette)
{
    VE_TRACE(gdi, "(%p)", traceHandle(palette));
    if (!palette || palette->palVersion != 0x300) return nullptr;
    PaletteObject object;
    const auto* entries = reinterpret_cast<const PALETTEENTRY*>(reinterpret_cast<const BYTE*>(palette) + 4);
    object.entries.assign(entries, entries + palette->palNumEntries);
    return GdiTable::instance().addPalette(std::move(object));
}

UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries)
{
    VE_TRACE(gdi, "(%p, 0x%lx, 0x%lx, %p)", traceHandle(palette), static_cast<unsigned long>(start),
             static_cast<unsigned long>(count), traceHandle(entries));
    const auto p = GdiTable::instance().palette(palette);
    if (!p) return 0;
    const auto size = static_cast<UINT>(p->entries.size());
    if (!entries) return size;
    if (start >= size) return 0;
    const UINT n = std::min(count, size - start);
    std::copy_n(p->entries.begin() + start, n, entries);
    return n;
}

UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF colour)
{
    VE_TRACE(gdi, "(%p, 0x%lx)", traceHandle(palette), static_cast<unsigned long>(colour));
    const auto p = GdiTable::instance().palette(palette);
    if (!p || p->entries.empty()) return CLR_INVALID;
    const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    UINT best = 0;
    int bestDistance = 1 << 30;
    for (UINT i = 0; i < p->entries.size(); ++i) {
        const PALETTEENTRY& e = p->entries[i];
        const int d = (r - e.peRed) * (r - e.peRed) + (g - e.peGreen) * (g - e.peGreen) + (b - e.peBlue) * (b - e.peBlue);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL)
{
    VE_TRACE(gdi, "(%p, %p)", traceHandle(hdc), traceHandle(palette));
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc || !GdiTable::instance().palette(palette)) return nullptr;
    return std::exchange(dc->palette, palette);
}

UINT RealizePalette(HDC hdc)
{
    VE_TRACE(gdi, "(%p)", traceHandle(hdc));
    const auto dc = GdiTable::instance().dc(hdc);
    if (!dc) return GDI_ERROR;
    const auto p = GdiTable::instance().palette(dc->palette);
    // Colours reach a true-colour surface as they are; an 8-bit surface maps
    // them to its own palette when pixels are written.
    return p ? static_cast<UINT>(p->entries.size()) : 0;
}
