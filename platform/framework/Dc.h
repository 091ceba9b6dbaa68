// Device context and brush wrappers, as a control framework gives them.
#pragma once

#include <string>

#include "platform/gdi/Gdi.h"

class CBrush {
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) : m_hBrush(::CreateSolidBrush(colour)) {}
    CBrush(const CBrush&) = delete;
    CBrush& operator=(const CBrush&) = delete;
    ~CBrush() { DeleteObject(); }

    BOOL CreateSolidBrush(COLORREF colour)
    {
        DeleteObject();
        m_hBrush = ::CreateSolidBrush(colour);
        return m_hBrush != nullptr;
    }
    BOOL DeleteObject()
    {
        if (!m_hBrush) return FALSE;
        ::DeleteObject(m_hBrush);
        m_hBrush = nullptr;
        return TRUE;
    }
    HBRUSH GetSafeHandle() const { return m_hBrush; }

private:
    HBRUSH m_hBrush = nullptr;
};

class CDC {
public:
    explicit CDC(HDC hdc) : m_hDC(hdc) {}
    HDC GetSafeHdc() const { return m_hDC; }

    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
    void FillRect(const RECT* rect, CBrush* brush) { ::FillRect(m_hDC, rect, brush ? brush->GetSafeHandle() : nullptr); }
    COLORREF SetTextColor(COLORREF colour) { return ::SetTextColor(m_hDC, colour); }
    int DrawText(const std::string& text, RECT* rect, UINT format)
    {
        return ::DrawTextA(m_hDC, text.c_str(), static_cast<int>(text.size()), rect, format);
    }
    BOOL TextOut(int x, int y, const std::string& text)
    {
        return ::TextOutA(m_hDC, x, y, text.c_str(), static_cast<int>(text.size()));
    }

private:
    HDC m_hDC;
};
