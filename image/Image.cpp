#include "image/Image.h"

#include <new>

#include "image/JpegImageImpl.h"

CImage::CImage(const unsigned char* data, int length) : CImage(data, length, 1) {}

CImage::CImage(const unsigned char* data, int length, int scaleDenom)
{
    CreateImpl();
    if (auto* jpeg = dynamic_cast<CJpegImageImpl*>(m_pImpl)) jpeg->SetScale(scaleDenom);
    if (m_pImpl) m_pImpl->Load(data, length);
}

int CImage::GetSourceWidth() const
{
    const auto* jpeg = dynamic_cast<const CJpegImageImpl*>(m_pImpl);
    return jpeg && jpeg->sourceWidth > 0 ? jpeg->sourceWidth : GetWidth();
}

int CImage::GetSourceHeight() const
{
    const auto* jpeg = dynamic_cast<const CJpegImageImpl*>(m_pImpl);
    return jpeg && jpeg->sourceHeight > 0 ? jpeg->sourceHeight : GetHeight();
}

CImage::~CImage() { delete m_pImpl; }

int CImage::CreateImpl()
{
    delete m_pImpl;
    m_pImpl = new (std::nothrow) CJpegImageImpl;
    return m_pImpl ? 1 : 0;
}

int CImage::Create(int width, int height, int bitCount, int flags)
{
    return m_pImpl ? m_pImpl->Create(width, height, bitCount, flags) : 0;
}

int CImage::Draw(CDC* pdc, int xDst, int yDst, int width, int height, int xSrc, int ySrc) const
{
    return m_pImpl ? m_pImpl->Draw(pdc, xDst, yDst, width, height, xSrc, ySrc) : 0;
}

int CImage::StretchDraw(CDC* pdc, HDRAWDIB hDrawDib, int xDst, int yDst, int dxDst, int dyDst, int xSrc, int ySrc,
                        int dxSrc, int dySrc) const
{
    return m_pImpl ? m_pImpl->StretchDraw(pdc, hDrawDib, xDst, yDst, dxDst, dyDst, xSrc, ySrc, dxSrc, dySrc) : 0;
}

int CImage::GetPixelRGB(int x, int y, unsigned char* red, unsigned char* green, unsigned char* blue) const
{
    return m_pImpl ? m_pImpl->GetPixelRGB(x, y, red, green, blue) : 0;
}

int CImage::SetPixelIndex(int x, int y, int index)
{
    return m_pImpl ? m_pImpl->SetPixelIndex(x, y, static_cast<unsigned char>(index)) : 0;
}

int CImage::SetPixelRGB(int x, int y, int red, int green, int blue)
{
    return m_pImpl ? m_pImpl->SetPixelRGB(x, y, red, green, blue) : 0;
}

int CImage::CreatePaletteFromArrays(int count, const unsigned char* red, const unsigned char* green,
                                    const unsigned char* blue)
{
    return m_pImpl ? m_pImpl->CreatePaletteFromArrays(count, red, green, blue) : 0;
}

int CImage::CreatePaletteFromTriples(int count, const unsigned char* triples)
{
    return m_pImpl ? m_pImpl->CreatePaletteFromTriples(count, triples) : 0;
}

int CImage::SetPalette(CPalette* palette) { return m_pImpl ? m_pImpl->SetPalette(palette) : 0; }
