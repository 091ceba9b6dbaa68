#include "platform/gdi/Surface.h"

#include <algorithm>

Surface::Surface(int width, int height, int bitsPerPixel)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)), m_bitsPerPixel(bitsPerPixel),
      m_pixels(static_cast<size_t>(m_width) * static_cast<size_t>(m_height), 0)
{
}

std::uint32_t Surface::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    return m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
}

void Surface::setPixel(int x, int y, std::uint32_t rgb)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return;
    m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)] = rgb;
}

void Surface::fill(const RECT& rect, std::uint32_t rgb)
{
    const int left = std::max<int>(rect.left, 0);
    const int top = std::max<int>(rect.top, 0);
    const int right = std::min<int>(rect.right, m_width);
    const int bottom = std::min<int>(rect.bottom, m_height);
    for (int y = top; y < bottom; ++y)
        std::fill_n(m_pixels.begin() + static_cast<std::ptrdiff_t>(y) * m_width + left, std::max(right - left, 0), rgb);
}
