// CImageImpl: a decoded picture as a bottom-up device-independent bitmap,
// with an optional palette.
#pragma once

#include "image/Dib.h"
#include "platform/framework/Dc.h"
#include "platform/gdi/WinGdi.h"
#include "platform/vfw/Vfw.h"

class CImageImpl {
public:
    CImageImpl() = default;
    virtual ~CImageImpl();
    CImageImpl(const CImageImpl&) = delete;
    CImageImpl& operator=(const CImageImpl&) = delete;

    virtual int IsInside(int x, int y) const;
    // Gives the image a new zero-filled bitmap (dropping any palette);
    // returns the row length in bytes, or 0 when the block cannot be had.
    virtual int Create(int width, int height, int bitCount, int flags);
    virtual int GetPixelIndex(int x, int y) const;
    virtual int GetPixelRGB(int x, int y, unsigned char* red, unsigned char* green, unsigned char* blue) const;
    virtual int SetPixelIndex(int x, int y, unsigned char index);
    virtual int SetPixelRGB(int x, int y, int red, int green, int blue);
    virtual int Load(const unsigned char* data, int length);

    int CreatePaletteFromArrays(int count, const unsigned char* red, const unsigned char* green, const unsigned char* blue);
    int CreatePaletteFromTriples(int count, const unsigned char* triples);
    int SetPalette(CPalette* palette);
    int CreateGrayPalette(int count);

    // Draws the source rectangle (ySrc counted up from the bottom row)
    // stretched onto the destination; -1 sizes take the defaults.
    int StretchDraw(CDC* pdc, HDRAWDIB hDrawDib, int xDst, int yDst, int dxDst, int dyDst, int xSrc, int ySrc,
                    int dxSrc, int dySrc) const;
    int Draw(CDC* pdc, int xDst, int yDst, int width, int height, int xSrc, int ySrc) const;

    BYTE* imageBits = nullptr;
    int imageWidth = 0;
    int imageHeight = 0;
    int bitCount = 0;
    int colorFlags = 0;
    int rowBytes = 0;
    BITMAPINFO* imageInfo = nullptr;
    CPalette* imagePalette = nullptr;

protected:
    // Create, with the pixel rows of the new block zero or left for the
    // caller to write (Dib.h).
    int CreateBlock(int width, int height, int bitCount, int flags, DibRows rows);

private:
    // A bitmap header followed by a colour table of colours, as DrawDib reads it.
    struct DrawDibHeader {
        BITMAPINFOHEADER info;
        RGBQUAD colours[256];
    };
    // The header DrawDib is given: the image's own, or for a paletted image
    // a copy in header whose colour table holds the palette's colours for
    // the image's palette index words.
    const BITMAPINFOHEADER* ColourHeader(DrawDibHeader& header) const;
    BYTE* pixelAddress(int x, int y) const;
    void replacePalette(CPalette* palette);
};
