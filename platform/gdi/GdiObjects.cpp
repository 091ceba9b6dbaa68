#include "platform/gdi/GdiObjects.h"

#include <algorithm>

GdiTable& GdiTable::instance()
{
    // Never destroyed: threads still running at exit may use it.
    static GdiTable* table = new GdiTable;
    return *table;
}

HDC GdiTable::addDC(std::unique_ptr<DeviceContext> dc)
{
    std::lock_guard lock(m_mutex);
    HDC h = reinterpret_cast<HDC>(dc.get());
    m_dcs.push_back(std::move(dc));
    return h;
}

DeviceContext* GdiTable::dc(HDC hdc)
{
    std::lock_guard lock(m_mutex);
    for (auto& d : m_dcs)
        if (reinterpret_cast<HDC>(d.get()) == hdc) return d.get();
    return nullptr;
}

bool GdiTable::removeDC(HDC hdc)
{
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_dcs.begin(), m_dcs.end(), [hdc](auto& d) { return reinterpret_cast<HDC>(d.get()) == hdc; });
    if (it == m_dcs.end()) return false;
    m_dcs.erase(it);
    return true;
}

HBRUSH GdiTable::addBrush(COLORREF colour)
{
    std::lock_guard lock(m_mutex);
    m_brushes.emplace_back(std::make_unique<COLORREF>(colour), 0);
    return reinterpret_cast<HBRUSH>(m_brushes.back().first.get());
}

std::optional<COLORREF> GdiTable::brush(HBRUSH h)
{
    std::lock_guard lock(m_mutex);
    for (auto& b : m_brushes)
        if (reinterpret_cast<HBRUSH>(b.first.get()) == h) return *b.first;
    return std::nullopt;
}

HPALETTE GdiTable::addPalette(PaletteObject palette)
{
    std::lock_guard lock(m_mutex);
    m_palettes.push_back(std::make_unique<PaletteObject>(std::move(palette)));
    return reinterpret_cast<HPALETTE>(m_palettes.back().get());
}

PaletteObject* GdiTable::palette(HPALETTE h)
{
    std::lock_guard lock(m_mutex);
    for (auto& p : m_palettes)
        if (reinterpret_cast<HPALETTE>(p.get()) == h) return p.get();
    return nullptr;
}

HBITMAP GdiTable::addBitmap(std::shared_ptr<Surface> surface)
{
    std::lock_guard lock(m_mutex);
    m_bitmaps.emplace_back(std::make_unique<char>(0), std::move(surface));
    return reinterpret_cast<HBITMAP>(m_bitmaps.back().first.get());
}

std::shared_ptr<Surface> GdiTable::bitmap(HBITMAP h)
{
    std::lock_guard lock(m_mutex);
    for (auto& b : m_bitmaps)
        if (reinterpret_cast<HBITMAP>(b.first.get()) == h) return b.second;
    return nullptr;
}

bool GdiTable::removeObject(void* h)
{
    std::lock_guard lock(m_mutex);
    auto b = std::find_if(m_brushes.begin(), m_brushes.end(), [h](auto& x) { return x.first.get() == h; });
    if (b != m_brushes.end()) {
        m_brushes.erase(b);
        return true;
    }
    auto p = std::find_if(m_palettes.begin(), m_palettes.end(), [h](auto& x) { return x.get() == h; });
    if (p != m_palettes.end()) {
        m_palettes.erase(p);
        return true;
    }
    auto m = std::find_if(m_bitmaps.begin(), m_bitmaps.end(), [h](auto& x) { return x.first.get() == h; });
    if (m != m_bitmaps.end()) {
        m_bitmaps.erase(m);
        return true;
    }
    return false;
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
    if (PaletteObject* p = GdiTable::instance().palette(dc.palette)) {
        if (index < p->entries.size()) {
            const PALETTEENTRY& e = p->entries[index];
            return static_cast<std::uint32_t>(e.peRed) << 16 | static_cast<std::uint32_t>(e.peGreen) << 8 | e.peBlue;
        }
        return 0;
    }
    return HalftonePalette()[index & 0xFF];
}
