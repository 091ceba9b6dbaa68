#include "host/win32/window/WindowBars.h"

#include <algorithm>

#include "host/win32/container/Utf.h"

namespace {

void setWhenChanged(HWND control, const std::wstring& text)
{
    wchar_t shown[1024] = L"";
    GetWindowTextW(control, shown, static_cast<int>(sizeof shown / sizeof shown[0]));
    if (text != shown) SetWindowTextW(control, text.c_str());
}

} // namespace

WindowBars::~WindowBars()
{
    if (m_font) DeleteObject(m_font);
}

bool WindowBars::create(HWND parent)
{
    m_parent = parent;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    m_messageLabel = CreateWindowExW(0, L"STATIC", L"Message", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 0, 0, 0, parent,
                                     nullptr, instance, nullptr);
    m_messageText = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, 0,
                                    0, 0, parent, nullptr, instance, nullptr);
    // The status line: one line, a long text elided at its end.
    m_statusLine = CreateWindowExW(0, L"STATIC", L"",
                                   WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS | SS_NOPREFIX | SS_NOTIFY, 0,
                                   0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusLineId)),
                                   instance, nullptr);
    if (!m_messageLabel || !m_messageText || !m_statusLine) return false;
    // The bars' font is the system's message font; their height follows it.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        m_font = CreateFontIndirectW(&metrics.lfMessageFont);
    HFONT font = m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HDC dc = GetDC(parent);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW text{};
    if (GetTextMetricsW(dc, &text)) m_lineHeight = std::max<int>(12, text.tmHeight + text.tmExternalLeading + 2);
    SelectObject(dc, old);
    ReleaseDC(parent, dc);
    for (HWND child : {m_messageLabel, m_messageText, m_statusLine})
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return true;
}

int WindowBars::layout(int width, int clientHeight)
{
    const int statusHeight = m_lineHeight + 6;
    const int messageHeight = 2 * m_lineHeight + 8;
    const int areaHeight = std::max(0, clientHeight - messageHeight - statusHeight);
    const int labelWidth = 8 * m_lineHeight / 2 + 8;
    MoveWindow(m_messageLabel, 6, areaHeight + 4, labelWidth, m_lineHeight, TRUE);
    MoveWindow(m_messageText, labelWidth + 12, areaHeight + 4, std::max(0, width - labelWidth - 18), messageHeight - 6, TRUE);
    MoveWindow(m_statusLine, 6, clientHeight - statusHeight + 3, std::max(0, width - 12), m_lineHeight, TRUE);
    // The bars' background is the window's: painted again whole.
    RECT bars{0, areaHeight, width, clientHeight};
    InvalidateRect(m_parent, &bars, TRUE);
    return areaHeight;
}

void WindowBars::setStatus(const std::string& text) { setWhenChanged(m_statusLine, Widen(text)); }

void WindowBars::setMessage(const std::string& text) { setWhenChanged(m_messageText, Widen(text)); }
