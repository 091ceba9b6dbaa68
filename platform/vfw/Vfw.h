// DrawDib: draws a bitmap onto a display surface, halftoned to the standard
// halftone palette when the display has 8 bits per pixel.
#pragma once

#include "platform/gdi/WinGdi.h"

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"
#include <vfw.h>

#else

using HDRAWDIB = HANDLE;

constexpr UINT DDF_SAME_HDC = 0x0004;
constexpr UINT DDF_HALFTONE = 0x1000;

HDRAWDIB DrawDibOpen();
BOOL DrawDibClose(HDRAWDIB hdd);
BOOL DrawDibBegin(HDRAWDIB hdd, HDC hdc, int dxDst, int dyDst, LPBITMAPINFOHEADER lpbi, int dxSrc, int dySrc,
                  UINT flags);
// A source size of -1 by -1 means the bitmap from (xSrc, ySrc) to its far
// edges. The colour table of an 8-bit bitmap is read as colours.
BOOL DrawDibDraw(HDRAWDIB hdd, HDC hdc, int xDst, int yDst, int dxDst, int dyDst, LPBITMAPINFOHEADER lpbi,
                 LPVOID bits, int xSrc, int ySrc, int dxSrc, int dySrc, UINT flags);
#endif
