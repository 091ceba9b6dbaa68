// Internal: the objects behind GDI handles.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/gdi/Surface.h"
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

// Every GDI object lives here; handles are the objects' addresses, checked
// against the table before use.
class GdiTable {
public:
    static GdiTable& instance();

    HDC addDC(std::unique_ptr<DeviceContext> dc);
    DeviceContext* dc(HDC hdc);
    bool removeDC(HDC hdc);

    HBRUSH addBrush(COLORREF colour);
    std::optional<COLORREF> brush(HBRUSH h);
    HPALETTE addPalette(PaletteObject palette);
    PaletteObject* palette(HPALETTE h);
    HBITMAP addBitmap(std::shared_ptr<Surface> surface);
    std::shared_ptr<Surface> bitmap(HBITMAP h);
    // Removes a brush, palette or bitmap.
    bool removeObject(void* h);

    std::recursive_mutex& mutex() { return m_mutex; }

private:
    std::recursive_mutex m_mutex;
    std::vector<std::unique_ptr<DeviceContext>> m_dcs;
    std::vector<std::pair<std::unique_ptr<COLORREF>, int>> m_brushes;
    std::vector<std::unique_ptr<PaletteObject>> m_palettes;
    std::vector<std::pair<std::unique_ptr<char>, std::shared_ptr<Surface>>> m_bitmaps;
};

// The colour of entry `index` of the palette selected into dc (the halftone
// palette when none is), as 0x00RRGGBB.
std::uint32_t PaletteColour(DeviceContext& dc, unsigned index);
