// camview.exe's bars below the picture: the "Message" frame's text and the
// status line, static controls in the system's message font, as high as
// that font needs and the window's width at any size.
#pragma once

#include <windows.h>

#include <string>

class WindowBars {
public:
    static constexpr int kStatusLineId = 10; // its WM_COMMAND's id (a double click: STN_DBLCLK)

    WindowBars() = default;
    ~WindowBars();
    WindowBars(const WindowBars&) = delete;
    WindowBars& operator=(const WindowBars&) = delete;

    // Makes the bars in `parent`; false when they cannot be made.
    bool create(HWND parent);
    int height() const { return 3 * m_lineHeight + 14; }
    int lineHeight() const { return m_lineHeight; }
    // Lays them out at the bottom of a client area of this size; the height
    // left above them for the picture.
    int layout(int width, int clientHeight);
    // Set only when changed: a static control repaints on each set.
    void setStatus(const std::string& text);
    void setMessage(const std::string& text);

private:
    HWND m_parent = nullptr;
    HWND m_messageLabel = nullptr;
    HWND m_messageText = nullptr;
    HWND m_statusLine = nullptr;
    HFONT m_font = nullptr;
    int m_lineHeight = 16; // of the bars' font
};
