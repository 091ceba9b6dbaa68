#include "platform/gdi/linux/GdiObjects.h"

#include <algorithm>

GdiTable& GdiTable::instance()
{
    // Never destroyed: threads still running at exit may use it.
    static GdiTable* table = new GdiTable;
    return *table;
}

HBRUSH GdiTable::addBrush(COLORREF colour) { return m_brushes.insert(std::make_shared<const COLORREF>(colour)); }

std::optional<COLORREF> GdiTable::brush(HBRUSH h) const
{
    if (auto colour = m_brushes.find(h)) return *colour;
    return std::nullopt;
}

HPALETTE GdiTable::addPalette(PaletteObject palette)
{
    return m_palettes.insert(std::make_shared<PaletteObject>(std::move(palette)));
}

bool GdiTable::removeObject(void* h)
{
    return m_brushes.remove(static_cast<HBRUSH>(h)) || m_palettes.remove(static_cast<HPALETTE>(h)) ||
           m_bitmaps.remove(static_cast<HBITMAP>(h));
}

RECT DeviceContext::paintable() const
{
    RECT r{0, 0, surface ? surface->width() : 0, surface ? surface->height() : 0};
    if (clip) {
        r.left = std::max(r.left, clip->left);
        r.top = std::max(r.top, clip->top);
        r.right = std::min(r.right, clip->right);
        r.bottom = std::min(r.bottom, clip->bottom);
    }
    return r;
}

std::uint32_t PaletteColour(DeviceContext& dc, unsigned index)
{
    if (auto p = GdiTable::instance().palette(dc.palette)) {
        if (index < p->entries.size()) {
            const PALETTEENTRY& e = p->entries[index];
            return static_cast<std::uint32_t>(e.peRed) << 16 | static_cast<std::uint32_t>(e.peGreen) << 8 | e.peBlue;
        }
        return 0;
    }
    return HalftonePalette()[index & 0xFF];
}
