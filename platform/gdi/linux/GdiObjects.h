// The Linux stand-in's objects behind GDI handles.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/linux/Surface.h"
#include "platform/kernel/linux/HandleTable.h"
#include "platform/gdi/WinGdi.h"

struct PaletteObject {
    std::vector<PALETTEENTRY> entries;
};

struct DeviceContext {
    std::shared_ptr<Surface> surface;
    bool memory = false;
    int originX = 0;
    int originY = 0;
    std::optional<RECT> clip; // surface coordinates
    COLORREF textColour = 0;
    COLORREF bkColour = 0xFFFFFF;
    int bkMode = OPAQUE;
    int stretchMode = BLACKONWHITE;
    HPALETTE palette = nullptr;
    HBITMAP bitmap = nullptr;
    HBITMAP defaultBitmap = nullptr;

    // The area it may paint, in surface coordinates.
    RECT paintable() const;
    // A rectangle given in the context's coordinates, moved onto the surface.
    RECT toSurface(const RECT& r) const
    {
        return RECT{r.left + originX, r.top + originY, r.right + originX, r.bottom + originY};
    }
};

// Every GDI object lives here. Looking one up hands out a reference, so an
// object deleted on another thread meanwhile lives until the call using it
// has returned. The kinds' handles never meet, so a handle of one kind is
// never taken for another.
class GdiTable {
public:
    static GdiTable& instance();

    HDC addDC(std::shared_ptr<DeviceContext> dc) { return m_dcs.insert(std::move(dc)); }
    std::shared_ptr<DeviceContext> dc(HDC hdc) const { return m_dcs.find(hdc); }
    bool removeDC(HDC hdc) { return m_dcs.remove(hdc) != nullptr; }

    HBRUSH addBrush(COLORREF colour);
    std::optional<COLORREF> brush(HBRUSH h) const;
    HPALETTE addPalette(PaletteObject palette);
    std::shared_ptr<PaletteObject> palette(HPALETTE h) const { return m_palettes.find(h); }
    HBITMAP addBitmap(std::shared_ptr<Surface> surface) { return m_bitmaps.insert(std::move(surface)); }
    std::shared_ptr<Surface> bitmap(HBITMAP h) const { return m_bitmaps.find(h); }
    // Removes a brush, palette or bitmap.
    bool removeObject(void* h);

private:
    static constexpr std::uintptr_t kFirst = 0x40000;
    static constexpr std::uintptr_t kStep = 16;
    HandleTable<HDC, DeviceContext> m_dcs{kFirst, kStep};
    HandleTable<HBRUSH, const COLORREF> m_brushes{kFirst + 4, kStep};
    HandleTable<HPALETTE, PaletteObject> m_palettes{kFirst + 8, kStep};
    HandleTable<HBITMAP, Surface> m_bitmaps{kFirst + 12, kStep};
};

// The colour of entry `index` of the palette selected into dc (the halftone
// palette when none is), as 0x00RRGGBB.
std::uint32_t PaletteColour(DeviceContext& dc, unsigned index);
