// DrawDib: the same source rectangle, nearest pixel, as StretchDIBits; on 8
// bits, dithered to the colour cube of the halftone palette.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/gdi/linux/StandInGdi.h"
#include "platform/vfw/Vfw.h"

namespace {

// A bottom-up bitmap whose every pixel has its own colour, with a header
// followed by a colour table of real colours for 8 bits.
struct TestDib {
    TestDib(int bits, int width, int height) : block(sizeof(BITMAPINFOHEADER) + 1024), pixels(DibStride(bits, width) * height)
    {
        auto* h = reinterpret_cast<BITMAPINFOHEADER*>(block.data());
        *h = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, 0, 0};
        BYTE* table = block.data() + sizeof(BITMAPINFOHEADER);
        for (int i = 0; i < 256; ++i) {
            table[4 * i] = static_cast<BYTE>(i);
            table[4 * i + 1] = static_cast<BYTE>(255 - i);
            table[4 * i + 2] = static_cast<BYTE>((i * 37) & 0xFF);
        }
        const int bytes = bits / 8;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                for (int b = 0; b < bytes; ++b)
                    pixels[static_cast<size_t>(y * DibStride(bits, width) + x * bytes + b)] =
                        static_cast<BYTE>((x * 29 + y * 53 + b * 101) & 0xFF);
    }
    BITMAPINFOHEADER* header() { return reinterpret_cast<BITMAPINFOHEADER*>(block.data()); }
    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(block.data()); }
    std::vector<BYTE> block;
    std::vector<BYTE> pixels;
};

struct Case {
    int bits;
    int xDst, yDst, wDst, hDst;
    int xSrc, ySrc, wSrc, hSrc;
};

// Enlarging, shrinking, a part of the source, destinations off the clip and
// off the surface, a source reaching beyond the bitmap.
const Case kCases[] = {
    {24, 0, 0, 20, 16, 0, 0, 10, 8},  {32, 0, 0, 20, 16, 0, 0, 10, 8},   {8, 0, 0, 20, 16, 0, 0, 10, 8},
    {24, 3, 2, 5, 4, 0, 0, 10, 8},    {8, 3, 2, 7, 3, 2, 1, 6, 5},       {24, -4, -3, 30, 25, 1, 2, 7, 5},
    {8, 10, 10, 30, 30, 0, 0, 10, 8}, {32, 2, 1, 17, 13, 4, 3, 10, 8},   {24, 0, 0, 23, 19, 3, 2, 7, 6},
};

std::vector<std::uint32_t> draw(const Case& c, int surfaceBits, bool drawDib)
{
    auto surface = std::make_shared<Surface>(24, 20, surfaceBits);
    const RECT clip{1, 1, 22, 18};
    HDC hdc = standin::CreateSurfaceDC(surface, 1, 2, &clip);
    TestDib dib(c.bits, 10, 8);
    if (drawDib) {
        HDRAWDIB hdd = DrawDibOpen();
        EXPECT_TRUE(DrawDibBegin(hdd, hdc, c.wDst, c.hDst, dib.header(), c.wSrc, c.hSrc, DDF_HALFTONE));
        EXPECT_TRUE(DrawDibDraw(hdd, hdc, c.xDst, c.yDst, c.wDst, c.hDst, dib.header(), dib.pixels.data(), c.xSrc, c.ySrc,
                                c.wSrc, c.hSrc, 0));
        DrawDibClose(hdd);
    } else {
        EXPECT_EQ(StretchDIBits(hdc, c.xDst, c.yDst, c.wDst, c.hDst, c.xSrc, c.ySrc, c.wSrc, c.hSrc, dib.pixels.data(),
                                dib.info(), DIB_RGB_COLORS, SRCCOPY),
                  c.hDst);
    }
    DeleteDC(hdc);
    std::vector<std::uint32_t> out;
    for (int y = 0; y < surface->height(); ++y) out.insert(out.end(), surface->row(y), surface->row(y) + surface->width());
    return out;
}

TEST(DrawDib, OnTrueColourDrawsWhatStretchDIBitsDraws)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, to " << c.xDst << "," << c.yDst << " " << c.wDst << "x"
                                        << c.hDst << " from " << c.xSrc << "," << c.ySrc << " " << c.wSrc << "x" << c.hSrc);
        EXPECT_EQ(draw(c, 32, true), draw(c, 32, false));
    }
}

TEST(DrawDib, OnEightBitsPaintsTheSamePixelsAsTrueColourInCubeColours)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, to " << c.xDst << "," << c.yDst);
        const auto paletted = draw(c, 8, true);
        const auto trueColour = draw(c, 32, true);
        const auto blank = std::vector<std::uint32_t>(paletted.size(), 0);
        ASSERT_EQ(paletted.size(), trueColour.size());
        for (size_t i = 0; i < paletted.size(); ++i) {
            // Every index is one of the 216 cube colours, and a drawn pixel
            // is dithered from a colour within one cube step of its own.
            ASSERT_LT(paletted[i], 216u);
            if (trueColour[i] == 0) continue;
            const std::uint32_t index = paletted[i];
            const int levels[3] = {static_cast<int>(index / 36), static_cast<int>(index / 6 % 6), static_cast<int>(index % 6)};
            for (int k = 0; k < 3; ++k) {
                const int channel = static_cast<int>((trueColour[i] >> (16 - 8 * k)) & 0xFF);
                EXPECT_LE(std::abs(levels[k] * 51 - channel), 51);
            }
        }
    }
}

} // namespace
