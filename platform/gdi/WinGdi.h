// GDI data types and constants: bitmap headers, colour tables, palettes,
// raster operations and modes.
#pragma once

#ifdef _WIN32

// On Windows the structures and constants are Windows' own.
#include "platform/win/WinTypes.h"

#else

// The stand-in declares them with Windows' layout.
#include "platform/win/WinTypes.h"

#pragma pack(push, 1)
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
struct PALETTEENTRY {
    BYTE peRed;
    BYTE peGreen;
    BYTE peBlue;
    BYTE peFlags;
};
struct LOGPALETTE {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[1];
};
#pragma pack(pop)
using LPBITMAPINFOHEADER = BITMAPINFOHEADER*;
using LPBITMAPINFO = BITMAPINFO*;

constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
constexpr UINT GDI_ERROR = 0xFFFFFFFFu;
// What GetClipBox finds.
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;

constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int SIZEPALETTE = 104;
constexpr int RASTERCAPS = 38;
constexpr int RC_PALETTE = 0x0100;

constexpr UINT DT_TOP = 0x0;
constexpr UINT DT_LEFT = 0x0;
constexpr UINT DT_WORDBREAK = 0x10;
constexpr UINT DT_SINGLELINE = 0x20;
constexpr UINT DT_NOCLIP = 0x100;
constexpr UINT DT_END_ELLIPSIS = 0x8000;
#endif
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(LOGPALETTE) == 8);

// The bytes of one row of a bitmap's pixels: each row is padded to whole
// 32-bit words.
constexpr long long DibStride(long long bitCount, long long width) { return (bitCount * width + 31) / 32 * 4; }
// The bytes of a packed bitmap: header, a colour table of the given size and
// `height` rows of pixels.
constexpr long long DibBlockBytes(long long bitCount, long long width, long long height, long long colourTableBytes)
{
    return static_cast<long long>(sizeof(BITMAPINFOHEADER)) + colourTableBytes + DibStride(bitCount, width) * height;
}
