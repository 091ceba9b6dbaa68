// A drawing surface: a pixel grid that device contexts paint into, and a
// record of what was drawn on it, so that a container can report the status
// text and the pictures drawn without asking the control.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

struct DrawnText {
    std::string text;
    RECT rect;       // the rectangle given to DrawText, or the point of TextOut
    COLORREF colour; // text colour at the time
};

class Surface {
public:
    // bitsPerPixel is what GetDeviceCaps reports (32, or 8 for a paletted
    // display); pixels are kept as 0x00RRGGBB either way.
    Surface(int width, int height, int bitsPerPixel = 32);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int bitsPerPixel() const { return m_bitsPerPixel; }

    std::uint32_t pixel(int x, int y) const;
    void setPixel(int x, int y, std::uint32_t rgb);
    // Fills the part of rect that lies on the surface.
    void fill(const RECT& rect, std::uint32_t rgb);

    const std::vector<DrawnText>& texts() const { return m_texts; }
    void recordText(DrawnText text) { m_texts.push_back(std::move(text)); }
    void clearRecord() { m_texts.clear(); }

private:
    int m_width;
    int m_height;
    int m_bitsPerPixel;
    std::vector<std::uint32_t> m_pixels;
    std::vector<DrawnText> m_texts;
};

constexpr std::uint32_t ColorRefToRgb(COLORREF c)
{
    return (static_cast<std::uint32_t>(c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
