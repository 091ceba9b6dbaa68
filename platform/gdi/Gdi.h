// Device contexts, brushes and text over Surface.
#pragma once

#include <memory>

#include "platform/gdi/Surface.h"
#include "platform/win/WinTypes.h"

// A device context that paints into `surface` with the given origin (the
// container's position of the control on it).
HDC CreateSurfaceDC(std::shared_ptr<Surface> surface, int originX = 0, int originY = 0);
BOOL DeleteDC(HDC hdc);
Surface* GetDCSurface(HDC hdc);

constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
int GetDeviceCaps(HDC hdc, int index);

HBRUSH CreateSolidBrush(COLORREF colour);
BOOL DeleteObject(HGDIOBJ object);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);

COLORREF SetTextColor(HDC hdc, COLORREF colour);
COLORREF GetTextColor(HDC hdc);

constexpr UINT DT_TOP = 0x0;
constexpr UINT DT_LEFT = 0x0;
constexpr UINT DT_WORDBREAK = 0x10;
// Returns the height of the text drawn; the text is recorded on the surface.
int DrawTextA(HDC hdc, LPCSTR text, int count, RECT* rect, UINT format);
BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count);
