// CImage: the handle the control holds for one decoded frame. It makes its
// implementation object and forwards every operation to it.
#pragma once

#include "image/ImageImpl.h"
#include "platform/framework/Object.h"

class CImage : public CObject {
public:
    CImage() = default;
    // Decodes the frame; an image whose width or height is below 1 holds no
    // picture.
    CImage(const unsigned char* data, int length);
    // Decodes the frame at 1/scaleDenom of its size (1, 2, 4 or 8).
    CImage(const unsigned char* data, int length, int scaleDenom);
    ~CImage() override;
    CImage(const CImage&) = delete;
    CImage& operator=(const CImage&) = delete;

    const char* GetRuntimeClassName() const override { return "CImage"; }
    virtual int GetRowBytes() const { return m_pImpl ? m_pImpl->rowBytes : 0; }
    virtual int GetWidth() const { return m_pImpl ? m_pImpl->imageWidth : 0; }
    virtual int GetHeight() const { return m_pImpl ? m_pImpl->imageHeight : 0; }
    virtual int GetBitCount() const { return m_pImpl ? m_pImpl->bitCount : 0; }
    virtual int GetColorFlags() const { return m_pImpl ? m_pImpl->colorFlags : 0; }
    virtual int IsInside(int x, int y) const { return m_pImpl ? m_pImpl->IsInside(x, y) : 0; }
    virtual int Create(int width, int height, int bitCount, int flags);
    virtual int CreateImpl();
    virtual int Draw(CDC* pdc, int xDst, int yDst, int width = -1, int height = -1, int xSrc = 0, int ySrc = 0) const;
    virtual int StretchDraw(CDC* pdc, HDRAWDIB hDrawDib, int xDst, int yDst, int dxDst = -1, int dyDst = -1, int xSrc = 0,
                            int ySrc = 0, int dxSrc = -1, int dySrc = -1) const;
    virtual int GetPixelIndex(int x, int y) const { return m_pImpl ? m_pImpl->GetPixelIndex(x, y) : -1; }
    virtual int GetPixelRGB(int x, int y, unsigned char* red, unsigned char* green, unsigned char* blue) const;
    virtual int SetPixelIndex(int x, int y, int index);
    virtual int SetPixelRGB(int x, int y, int red, int green, int blue);
    virtual int CreatePaletteFromArrays(int count, const unsigned char* red, const unsigned char* green,
                                        const unsigned char* blue);
    virtual int CreatePaletteFromTriples(int count, const unsigned char* triples);
    virtual int SetPalette(CPalette* palette);
    virtual CPalette* GetPalette() const { return m_pImpl ? m_pImpl->imagePalette : nullptr; }
    virtual int HasBitmap() const { return m_pImpl && m_pImpl->imageInfo ? 1 : 0; }
    virtual CImageImpl* GetImpl() const { return m_pImpl; }
    virtual BYTE* GetBits() const { return m_pImpl ? m_pImpl->imageBits : nullptr; }
    // The frame's own size, also when it was decoded smaller.
    int GetSourceWidth() const;
    int GetSourceHeight() const;

private:
    CImageImpl* m_pImpl = nullptr;
};
