// The Linux stand-in's drawing surface: a pixel grid that device contexts
// paint into, and a record of what was drawn on it (texts and pictures), so
// that a container can report the status text and the frames drawn without
// asking the control.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

struct DrawnText {
    std::string text;
    RECT rect;       // the rectangle given to DrawText, or the point of TextOut
    COLORREF colour; // text colour at the time
};

struct DrawnPicture {
    RECT rect; // where the picture landed on this surface
};

// Pixels are 0x00RRGGBB on a 32-bit surface; on an 8-bit surface (standing
// for a paletted display) they are indices into the surface's palette.
class Surface {
public:
    // A surface whose contents start undefined (an off-screen bitmap, which
    // is drawn over whole before use) may take the pixels of a destroyed
    // surface of the same size instead of allocating and clearing new ones.
    enum class Contents { Cleared, Undefined };

    Surface(int width, int height, int bitsPerPixel = 32, Contents contents = Contents::Cleared);
    ~Surface();
    Surface(const Surface&) = default;
    Surface& operator=(const Surface&) = default;

    int width() const { return m_width; }
    int height() const { return m_height; }
    int bitsPerPixel() const { return m_bitsPerPixel; }

    std::uint32_t raw(int x, int y) const;
    void setRaw(int x, int y, std::uint32_t value);
    // The colour at a pixel, 0x00RRGGBB, through the palette on 8 bits.
    std::uint32_t rgb(int x, int y) const;
    // Stores a colour, as the nearest palette index on 8 bits.
    void setRgb(int x, int y, std::uint32_t rgb);
    void fillRgb(const RECT& rect, std::uint32_t rgb);
    // A row to draw on: pixels shared with another surface are made this
    // surface's own first.
    std::uint32_t* row(int y) { return ownPixels() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width); }
    const std::uint32_t* row(int y) const
    {
        return m_pixels->data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width);
    }

    // Takes the pixels of a surface of the same size and depth, as copying
    // the whole of it would, without copying them: the two share them until
    // either is drawn on (row() above). False, and nothing changed, for a
    // surface of another size or depth.
    bool sharePixelsOf(const Surface& from);
    // True while this surface shares its pixels with another one.
    bool sharesPixels() const { return m_pixels.use_count() > 1; }

    // The palette of an 8-bit surface: the standard halftone palette.
    const std::array<std::uint32_t, 256>& palette() const { return m_palette; }
    std::uint8_t nearestIndex(std::uint32_t rgb) const;

    const std::vector<DrawnText>& texts() const { return m_texts; }
    const std::vector<DrawnPicture>& pictures() const { return m_pictures; }
    void recordText(DrawnText text) { m_texts.push_back(std::move(text)); }
    void recordPicture(const RECT& rect) { m_pictures.push_back(DrawnPicture{rect}); }
    void clearRecord()
    {
        m_texts.clear();
        m_pictures.clear();
    }

private:
    int m_width;
    int m_height;
    int m_bitsPerPixel;
    // Never null; shared by surfaces that took it whole (sharePixelsOf)
    // until one of them draws.
    std::shared_ptr<std::vector<std::uint32_t>> m_pixels;
    std::uint32_t* ownPixels();
    std::array<std::uint32_t, 256> m_palette{};
    std::vector<DrawnText> m_texts;
    std::vector<DrawnPicture> m_pictures;
};

constexpr std::uint32_t ColorRefToRgb(COLORREF c)
{
    return (static_cast<std::uint32_t>(c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF RgbToColorRef(std::uint32_t rgb)
{
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

// The standard halftone palette: a 6 x 6 x 6 colour cube (index
// 36 r + 6 g + b, levels 0, 51, ..., 255) followed by 40 grey levels.
const std::array<std::uint32_t, 256>& HalftonePalette();
