#include "host/win32/window/Canvas.h"

#include "host/win32/container/PngWriter.h"

Canvas::Canvas(int width, int height) : m_width(width), m_height(height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    m_dc = CreateCompatibleDC(nullptr);
    m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
    if (m_bitmap) m_old = SelectObject(m_dc, m_bitmap);
}

Canvas::~Canvas()
{
    if (m_old) SelectObject(m_dc, m_old);
    if (m_bitmap) DeleteObject(m_bitmap);
    if (m_dc) DeleteDC(m_dc);
}

DWORD Canvas::rgb(int x, int y) const
{
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    GdiFlush();
    return static_cast<const DWORD*>(m_bits)[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
                                            static_cast<std::size_t>(x)] & 0xFFFFFF;
}

bool Canvas::write(const std::string& path) const
{
    if (!m_bits) return false;
    GdiFlush();
    return WritePng(path, m_bits, m_width, m_height);
}
