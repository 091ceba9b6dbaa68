// A 32-bit top-down bitmap the controls are drawn into: the headless run's
// picture, the window's composed grid before it is scaled to the window,
// and a snapshot's camera.
#pragma once

#include <windows.h>

#include <string>

class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Null when the bitmap could not be made.
    HDC dc() const { return m_bitmap ? m_dc : nullptr; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    // The pixels, rows from the top, B G R and an unused byte each; null
    // when the bitmap could not be made.
    const void* bits() const { return m_bitmap ? m_bits : nullptr; }
    // The pixel at (x, y) as 0xRRGGBB; 0 outside.
    DWORD rgb(int x, int y) const;
    // Writes the picture as a PNG; false when it could not be written.
    bool write(const std::string& path) const;

private:
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    void* m_bits = nullptr;
};
