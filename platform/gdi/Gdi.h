// Device contexts, GDI objects, palettes, bitmap transfers and text. The
// stand-in paints into its surfaces (StandInGdi.h).
#pragma once

#include "platform/gdi/WinGdi.h"

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#else

HDC CreateCompatibleDC(HDC hdc);
// Null for a size below zero or too large to allocate (over 1 GiB of
// 32-bit pixels).
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);
BOOL DeleteDC(HDC hdc);
BOOL DeleteObject(HGDIOBJ object);
int GetDeviceCaps(HDC hdc, int index);
// The smallest rectangle around what the context can paint, in its own
// coordinates: SIMPLEREGION, NULLREGION when it can paint nothing, ERROR for
// an unknown context.
int GetClipBox(HDC hdc, RECT* rect);

HBRUSH CreateSolidBrush(COLORREF colour);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);

COLORREF SetTextColor(HDC hdc, COLORREF colour);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF colour);
int SetBkMode(HDC hdc, int mode);
// Text with the context's font (DejaVu Sans, 13 pixels). DrawText returns
// the height of the text drawn; each text is also recorded on the surface.
int DrawTextA(HDC hdc, LPCSTR text, int count, RECT* rect, UINT format);
BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int count);

HPALETTE CreatePalette(const LOGPALETTE* palette);
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);
UINT GetNearestPaletteIndex(HPALETTE palette, COLORREF colour);
HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground);
UINT RealizePalette(HDC hdc);

int SetStretchBltMode(HDC hdc, int mode);
// Stretches a source rectangle of a bottom-up bitmap (ySrc counts rows up
// from the bottom row) onto a destination rectangle, nearest pixel.
int StretchDIBits(HDC hdc, int xDst, int yDst, int wDst, int hDst, int xSrc, int ySrc, int wSrc, int hSrc,
                  const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
int SetDIBitsToDevice(HDC hdc, int xDst, int yDst, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                      UINT scanLines, const void* bits, const BITMAPINFO* info, UINT usage);
BOOL BitBlt(HDC hdcDst, int x, int y, int width, int height, HDC hdcSrc, int xSrc, int ySrc, DWORD rop);
#endif
