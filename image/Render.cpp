// Drawing of a picture: through DrawDib on 8-bit displays, otherwise
// stretched into an off-screen bitmap and copied to the target in one
// block transfer.
#include "image/ImageImpl.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/vfw/Vfw.h"

const BITMAPINFOHEADER* CImageImpl::ColourHeader(DrawDibHeader& header) const
{
    const BITMAPINFOHEADER& own = imageInfo->bmiHeader;
    if (own.biBitCount > 8 || !imagePalette || !imagePalette->GetPalette()) return &own;
    header.info = own;
    DWORD count = own.biClrUsed ? own.biClrUsed : 1u << own.biBitCount;
    if (count > 256) count = 256;
    header.info.biClrUsed = count;
    PALETTEENTRY entries[256] = {};
    const UINT known = GetPaletteEntries(imagePalette->GetPalette(), 0, 256, entries);
    const auto* words = reinterpret_cast<const BYTE*>(imageInfo) + sizeof(BITMAPINFOHEADER);
    for (DWORD i = 0; i < count; ++i) {
        const UINT index = words[2 * i] | static_cast<UINT>(words[2 * i + 1]) << 8;
        const PALETTEENTRY e = index < known ? entries[index] : PALETTEENTRY{};
        header.colours[i] = RGBQUAD{e.peBlue, e.peGreen, e.peRed, 0};
    }
    return &header.info;
}

int CImageImpl::StretchDraw(CDC* pdc, HDRAWDIB hDrawDib, int xDst, int yDst, int dxDst, int dyDst, int xSrc, int ySrc,
                            int dxSrc, int dySrc) const
{
    if (!imageInfo) return 0;
    if (!pdc || !pdc->GetSafeHdc()) return 1;
    HDC target = pdc->GetSafeHdc();

    if (dxDst == -1) dxDst = imageWidth;
    if (dyDst == -1) dyDst = imageHeight;
    if (dxSrc == -1) dxSrc = imageWidth - xSrc;
    if (dySrc == -1) dySrc = imageHeight - ySrc;

    if (hDrawDib) {
        // DrawDib gets the source rectangle itself, so that the zoom window
        // shows as on the off-screen path, and a header whose colour table
        // holds colours: it reads no palette index words.
        DrawDibHeader header;
        // DrawDib takes the header as writable but only reads it.
        auto* info = const_cast<BITMAPINFOHEADER*>(ColourHeader(header));
        DrawDibBegin(hDrawDib, target, dxDst, dyDst, info, dxSrc, dySrc, DDF_HALFTONE);
        DrawDibDraw(hDrawDib, target, xDst, yDst, dxDst, dyDst, info, imageBits, xSrc, ySrc, dxSrc, dySrc, DDF_SAME_HDC);
        return 1;
    }

    // Only the part of the destination that the target can show is composed
    // off-screen. The destination is the picture size a page asks for (up to
    // 32767 x 32767: gigabytes as one bitmap, at every paint); the target is
    // a window or the container's surface.
    int left = 0; // of the composed part, within the destination
    int top = 0;
    int width = dxDst;
    int height = dyDst;
    RECT clip;
    if (dxDst > 0 && dyDst > 0 && GetClipBox(target, &clip) != ERROR) {
        const long long l = std::max<long long>(xDst, clip.left);
        const long long t = std::max<long long>(yDst, clip.top);
        const long long r = std::min<long long>(static_cast<long long>(xDst) + dxDst, clip.right);
        const long long b = std::min<long long>(static_cast<long long>(yDst) + dyDst, clip.bottom);
        if (r <= l || b <= t) return 1; // none of it shows
        left = static_cast<int>(l - xDst);
        top = static_cast<int>(t - yDst);
        width = static_cast<int>(r - l);
        height = static_cast<int>(b - t);
    }

    RealizePalette(target);
    SetStretchBltMode(target, COLORONCOLOR);
    HDC offscreen = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, width, height);
    SelectObject(offscreen, bitmap);
    if (imagePalette) {
        SelectPalette(offscreen, imagePalette->GetPalette(), FALSE);
        RealizePalette(offscreen);
    }
    SetStretchBltMode(offscreen, COLORONCOLOR);
    // The whole destination, placed so that its composed part lands on the
    // bitmap: every pixel samples the source as it would in a whole bitmap.
    StretchDIBits(offscreen, -left, -top, dxDst, dyDst, xSrc, ySrc, dxSrc, dySrc, imageBits, imageInfo, DIB_PAL_COLORS,
                  SRCCOPY);
    BitBlt(target, xDst + left, yDst + top, width, height, offscreen, 0, 0, SRCCOPY);
    DeleteDC(offscreen);
    DeleteObject(bitmap);
    return 1;
}

int CImageImpl::Draw(CDC* pdc, int xDst, int yDst, int width, int height, int xSrc, int ySrc) const
{
    if (!imageInfo) return 0;
    if (!pdc || !pdc->GetSafeHdc()) return 1;
    HDC target = pdc->GetSafeHdc();
    RealizePalette(target);
    if (width == -1) width = imageWidth;
    if (height == -1) height = imageHeight;
    SetDIBitsToDevice(target, xDst, yDst, static_cast<DWORD>(width), static_cast<DWORD>(height), xSrc, ySrc, 0,
                      static_cast<UINT>(imageHeight), imageBits, imageInfo, DIB_PAL_COLORS);
    return 1;
}
