// Drawing of a picture: through DrawDib on 8-bit displays, otherwise
// stretched into an off-screen bitmap and copied to the target in one
// block transfer.
#include "image/ImageImpl.h"
#include "platform/vfw/Vfw.h"

int CImageImpl::StretchDraw(CDC* pdc, HDRAWDIB hDrawDib, int xDst, int yDst, int dxDst, int dyDst, int xSrc, int ySrc,
                            int dxSrc, int dySrc) const
{
    if (!imageInfo) return 0;
    if (!pdc || !pdc->GetSafeHdc()) return 1;
    HDC target = pdc->GetSafeHdc();

    if (hDrawDib) {
        DrawDibBegin(hDrawDib, target, dxDst, dyDst, &imageInfo->bmiHeader, -1, -1, DDF_HALFTONE);
        DrawDibDraw(hDrawDib, target, xDst, yDst, dxDst, dyDst, &imageInfo->bmiHeader, imageBits, xSrc, ySrc, -1, -1,
                    DDF_SAME_HDC);
        return 1;
    }

    if (dxDst == -1) dxDst = imageWidth;
    if (dyDst == -1) dyDst = imageHeight;
    if (dxSrc == -1) dxSrc = imageWidth - xSrc;
    if (dySrc == -1) dySrc = imageHeight - ySrc;

    RealizePalette(target);
    SetStretchBltMode(target, COLORONCOLOR);
    HDC offscreen = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, dxDst, dyDst);
    SelectObject(offscreen, bitmap);
    if (imagePalette) {
        SelectPalette(offscreen, imagePalette->GetPalette(), FALSE);
        RealizePalette(offscreen);
    }
    SetStretchBltMode(offscreen, COLORONCOLOR);
    StretchDIBits(offscreen, 0, 0, dxDst, dyDst, xSrc, ySrc, dxSrc, dySrc, imageBits, imageInfo, DIB_PAL_COLORS, SRCCOPY);
    BitBlt(target, xDst, yDst, dxDst, dyDst, offscreen, 0, 0, SRCCOPY);
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
