#include "image/ImageImpl.h"

#include <algorithm>
#include <new>

#include "image/Dib.h"
#include "image/Palette.h"
#include "platform/framework/AfxMessageBox.h"

CImageImpl::~CImageImpl()
{
    FreeDib(imageInfo);
    delete imagePalette;
}

int CImageImpl::IsInside(int x, int y) const { return x >= 0 && x < imageWidth && y >= 0 && y < imageHeight ? 1 : 0; }

int CImageImpl::Create(int width, int height, int bits, int flags) { return CreateBlock(width, height, bits, flags, DibRows::Zero); }

int CImageImpl::CreateBlock(int width, int height, int bits, int flags, DibRows rows)
{
    imageWidth = width;
    imageHeight = height;
    bitCount = bits;
    colorFlags = flags >= 0 ? flags : (bits > 8 ? 2 : 0);
    FreeDib(imageInfo);
    imageInfo = nullptr;
    imageBits = nullptr;
    delete imagePalette;
    imagePalette = nullptr;
    imageInfo = AllocateDib(bits, width, height, rows);
    if (!imageInfo) return 0;
    imageBits = DibBits(imageInfo);
    rowBytes = DibRowBytes(bits, width);
    return rowBytes;
}

BYTE* CImageImpl::pixelAddress(int x, int y) const
{
    return imageBits + static_cast<long long>(y) * rowBytes + (static_cast<long long>(x) * bitCount) / 8;
}

int CImageImpl::GetPixelIndex(int x, int y) const
{
    if (!imageBits || !IsInside(x, y) || bitCount > 8) return -1;
    return *pixelAddress(x, y);
}

int CImageImpl::SetPixelIndex(int x, int y, unsigned char index)
{
    if (!imageBits || !IsInside(x, y) || bitCount > 8) return 0;
    *pixelAddress(x, y) = index;
    return 1;
}

int CImageImpl::GetPixelRGB(int x, int y, unsigned char* red, unsigned char* green, unsigned char* blue) const
{
    if (!imageBits || !IsInside(x, y)) return 0;
    if (imagePalette) return GetPaletteEntryRGB(imagePalette, GetPixelIndex(x, y), red, green, blue);
    if (bitCount < 24) {
        // A pixel of fewer than three bytes is an index: its colour is the
        // colour table's (reading three bytes could leave the block).
        const int index = GetPixelIndex(x, y);
        const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(imageInfo) + sizeof(BITMAPINFOHEADER));
        const RGBQUAD entry = static_cast<DWORD>(index) < imageInfo->bmiHeader.biClrUsed ? table[index] : RGBQUAD{0, 0, 0, 0};
        if (red) *red = entry.rgbRed;
        if (green) *green = entry.rgbGreen;
        if (blue) *blue = entry.rgbBlue;
        return 1;
    }
    const BYTE* p = pixelAddress(x, y);
    if (blue) *blue = p[0];
    if (green) *green = p[1];
    if (red) *red = p[2];
    return 1;
}

int CImageImpl::SetPixelRGB(int x, int y, int red, int green, int blue)
{
    if (!imageBits || !IsInside(x, y)) return 0;
    if (colorFlags & 1) {
        if (!imagePalette) return 0;
        SetPixelIndex(x, y, static_cast<unsigned char>(NearestPaletteIndex(imagePalette, red, green, blue)));
        return 1;
    }
    if (bitCount < 24) return 0;
    BYTE* p = pixelAddress(x, y);
    p[0] = static_cast<BYTE>(blue);
    p[1] = static_cast<BYTE>(green);
    p[2] = static_cast<BYTE>(red);
    return 1;
}

int CImageImpl::Load(const unsigned char*, int) { return 0; }

void CImageImpl::replacePalette(CPalette* palette)
{
    // A displaced palette object is released, so that no handle leaks.
    if (imagePalette != palette) delete imagePalette;
    imagePalette = palette;
}

int CImageImpl::CreatePaletteFromArrays(int count, const unsigned char* red, const unsigned char* green,
                                        const unsigned char* blue)
{
    replacePalette(new (std::nothrow) CPalette);
    if (!imagePalette || !red) return 0;
    if (!green) green = red;
    if (!blue) blue = green;
    CreatePaletteFromRGB(imagePalette, count, red, green, blue);
    colorFlags |= 3;
    return SetColorTableIndices(imageInfo);
}

int CImageImpl::CreatePaletteFromTriples(int count, const unsigned char* triples)
{
    if (imagePalette) AfxMessageBox("CImageImpl::imagePalette already exists!", MB_OK);
    replacePalette(new (std::nothrow) CPalette);
    if (!imagePalette || !triples) return 0;
    count = std::clamp(count, 0, 256);
    unsigned char red[256], green[256], blue[256];
    for (int i = 0; i < count; ++i) {
        red[i] = triples[3 * i];
        green[i] = triples[3 * i + 1];
        blue[i] = triples[3 * i + 2];
    }
    CreatePaletteFromRGB(imagePalette, count, red, green, blue);
    colorFlags |= 3;
    return SetColorTableIndices(imageInfo);
}

int CImageImpl::SetPalette(CPalette* palette)
{
    if (!palette) return 0;
    replacePalette(palette);
    colorFlags |= 3;
    return SetColorTableIndices(imageInfo);
}

int CImageImpl::CreateGrayPalette(int count)
{
    count = std::clamp(count, 0, 256);
    unsigned char grey[256];
    for (int i = 0; i < count; ++i) grey[i] = static_cast<unsigned char>((i * 256) / count);
    return CreatePaletteFromArrays(count, grey, nullptr, nullptr);
}
