// GDI object and device-context wrappers, as a control framework gives them.
#pragma once

#include <string>
#include <utility>

#include "platform/gdi/Gdi.h"

class CGdiObject {
public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    virtual ~CGdiObject() { DeleteObject(); }

    BOOL Attach(HGDIOBJ object)
    {
        if (m_hObject || !object) return FALSE;
        m_hObject = object;
        return TRUE;
    }
    HGDIOBJ Detach() { return std::exchange(m_hObject, nullptr); }
    BOOL DeleteObject()
    {
        if (!m_hObject) return FALSE;
        ::DeleteObject(std::exchange(m_hObject, nullptr));
        return TRUE;
    }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

protected:
    HGDIOBJ m_hObject = nullptr;
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) { Attach(::CreateSolidBrush(colour)); }
    BOOL CreateSolidBrush(COLORREF colour)
    {
        DeleteObject();
        return Attach(::CreateSolidBrush(colour));
    }
    HBRUSH GetBrush() const { return static_cast<HBRUSH>(m_hObject); }
};

class CPalette : public CGdiObject {
public:
    HPALETTE GetPalette() const { return static_cast<HPALETTE>(m_hObject); }
    operator HPALETTE() const { return GetPalette(); }
};

class CDC {
public:
    explicit CDC(HDC hdc) : m_hDC(hdc) {}
    HDC GetSafeHdc() const { return m_hDC; }

    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
    void FillRect(const RECT* rect, CBrush* brush) { ::FillRect(m_hDC, rect, brush ? brush->GetBrush() : nullptr); }
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
