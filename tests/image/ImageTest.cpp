// The image and palette classes, and decoding edge cases.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "image/Dib.h"
#include "image/Image.h"
#include "image/ImageImpl.h"
#ifndef _WIN32
#include "platform/kernel/linux/StandInKernel.h"
#endif
#include "platform/kernel/Memory.h"
#include "tests/support/JpegFactory.h"

namespace {

const BITMAPINFOHEADER& header(CImageImpl& impl) { return impl.imageInfo->bmiHeader; }
long offsetOfBits(CImageImpl& impl) { return impl.imageBits - reinterpret_cast<BYTE*>(impl.imageInfo); }

TEST(ImageBlock, TwentyFourBitLayout)
{
    CImageImpl impl;
    EXPECT_EQ(impl.Create(320, 240, 24, -1), 960);
    EXPECT_EQ(impl.rowBytes, 960);
    EXPECT_EQ(header(impl).biSizeImage, 230400u);
    EXPECT_EQ(GlobalSize(GlobalHandle(impl.imageInfo)), 231464u);
    EXPECT_EQ(impl.colorFlags, 2);
    EXPECT_EQ(header(impl).biClrUsed, 0u);
    EXPECT_EQ(header(impl).biSize, 40u);
    EXPECT_EQ(header(impl).biHeight, 240);
    EXPECT_EQ(header(impl).biPlanes, 1);
    EXPECT_EQ(offsetOfBits(impl), 40);
    EXPECT_EQ(impl.Create(321, 240, 24, -1), 964);
}

TEST(ImageBlock, APictureTooLargeGetsNoBlock)
{
    CImageImpl impl;
    EXPECT_EQ(impl.Create(20000, 20000, 24, -1), 0);
    EXPECT_EQ(impl.imageInfo, nullptr);
    EXPECT_EQ(impl.imageBits, nullptr);
    EXPECT_EQ(impl.imageWidth, 20000);
    EXPECT_NE(impl.Create(1920, 1080, 24, -1), 0);
}

TEST(ImageBlock, EightBitLayoutColourTableAndGreyPalette)
{
    CImageImpl impl;
    EXPECT_EQ(impl.Create(320, 240, 8, -1), 320);
    EXPECT_EQ(header(impl).biClrUsed, 256u);
    EXPECT_EQ(offsetOfBits(impl), 1064);
    EXPECT_EQ(impl.colorFlags, 0);
    const auto* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<BYTE*>(impl.imageInfo) + 40);
    for (int copy = 0; copy < 16; ++copy) {
        const RGBQUAD& dark_red = table[copy * 16 + 1];
        EXPECT_EQ(dark_red.rgbRed, 128);
        EXPECT_EQ(dark_red.rgbGreen, 0);
        EXPECT_EQ(dark_red.rgbBlue, 0);
        const RGBQUAD& silver = table[copy * 16 + 7];
        EXPECT_EQ(silver.rgbRed, 192);
        const RGBQUAD& blue = table[copy * 16 + 12];
        EXPECT_EQ(blue.rgbBlue, 255);
        EXPECT_EQ(blue.rgbRed, 0);
    }
    EXPECT_EQ(impl.CreateGrayPalette(256), 1);
    EXPECT_EQ(impl.colorFlags, 3);
    const auto* words = reinterpret_cast<const WORD*>(reinterpret_cast<BYTE*>(impl.imageInfo) + 40);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(words[i], i);
    unsigned char r = 0, g = 0, b = 0;
    impl.SetPixelIndex(5, 6, 77);
    EXPECT_EQ(impl.GetPixelRGB(5, 6, &r, &g, &b), 1);
    EXPECT_EQ(r, 77);
    EXPECT_EQ(g, 77);
    EXPECT_EQ(b, 77);
}

TEST(ImageBlock, SixteenLevelGreyPalette)
{
    CImageImpl impl;
    impl.Create(4, 4, 8, -1);
    impl.CreateGrayPalette(16);
    for (int i = 0; i < 16; ++i) {
        unsigned char r = 0;
        impl.SetPixelIndex(0, 0, static_cast<unsigned char>(i));
        impl.GetPixelRGB(0, 0, &r, nullptr, nullptr);
        EXPECT_EQ(r, i * 16);
    }
}

TEST(ImagePixels, InsideTestsAndIndexOperationsOnColourImages)
{
    CImageImpl empty;
    EXPECT_EQ(empty.IsInside(0, 0), 0);
    CImageImpl impl;
    impl.Create(10, 5, 24, -1);
    EXPECT_EQ(impl.IsInside(0, 0), 1);
    EXPECT_EQ(impl.IsInside(9, 4), 1);
    EXPECT_EQ(impl.IsInside(10, 0), 0);
    EXPECT_EQ(impl.IsInside(0, -1), 0);
    EXPECT_EQ(impl.GetPixelIndex(1, 1), -1);
    EXPECT_EQ(impl.SetPixelIndex(1, 1, 3), 0);
    EXPECT_EQ(impl.SetPixelRGB(9, 4, 10, 20, 30), 1);
    const BYTE* p = impl.imageBits + 4 * impl.rowBytes + 27;
    EXPECT_EQ(p[0], 30);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 10);
    unsigned char r = 0, g = 0, b = 0;
    EXPECT_EQ(impl.GetPixelRGB(9, 4, &r, &g, &b), 1);
    EXPECT_EQ(r, 10);
    EXPECT_EQ(b, 30);
    EXPECT_EQ(impl.GetPixelRGB(10, 4, &r, &g, &b), 0);
    EXPECT_EQ(impl.SetPixelRGB(-1, 0, 1, 2, 3), 0);
}

TEST(ImagePixels, PalettedImagesStoreTheNearestIndex)
{
    CImageImpl impl;
    impl.Create(4, 4, 8, -1);
    const unsigned char red[3] = {0, 255, 0}, green[3] = {0, 0, 255}, blue[3] = {0, 0, 0};
    EXPECT_EQ(impl.CreatePaletteFromArrays(3, red, green, blue), 1);
    EXPECT_EQ(impl.SetPixelRGB(1, 1, 240, 10, 10), 1);
    EXPECT_EQ(impl.GetPixelIndex(1, 1), 1);
    EXPECT_EQ(impl.SetPixelRGB(2, 1, 5, 200, 0), 1);
    EXPECT_EQ(impl.GetPixelIndex(2, 1), 2);
}

TEST(ImagePalette, RedArrayAloneGivesGrey)
{
    CImageImpl impl;
    impl.Create(2, 2, 8, -1);
    const unsigned char levels[2] = {10, 200};
    impl.CreatePaletteFromArrays(2, levels, nullptr, nullptr);
    impl.SetPixelIndex(0, 0, 1);
    unsigned char r = 0, g = 0, b = 0;
    impl.GetPixelRGB(0, 0, &r, &g, &b);
    EXPECT_EQ(r, 200);
    EXPECT_EQ(g, 200);
    EXPECT_EQ(b, 200);
}

// The stand-in's message box answers through a handler; Windows' own
// would wait for a click.
#ifndef _WIN32
TEST(ImagePalette, SecondPaletteFromTriplesWarnsOnceAndReplaces)
{
    int boxes = 0;
    std::string text;
    standin::SetMessageBoxHandler([&](HWND, const std::string& t, const std::string&, UINT type) {
        ++boxes;
        text = t;
        EXPECT_EQ(type, MB_OK);
        return IDOK;
    });
    CImageImpl impl;
    impl.Create(2, 2, 8, -1);
    const unsigned char first[6] = {1, 2, 3, 4, 5, 6};
    const unsigned char second[6] = {100, 110, 120, 130, 140, 150};
    EXPECT_EQ(impl.CreatePaletteFromTriples(2, first), 1);
    EXPECT_EQ(boxes, 0);
    EXPECT_EQ(impl.CreatePaletteFromTriples(2, second), 1);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(text, "CImageImpl::imagePalette already exists!");
    impl.SetPixelIndex(0, 0, 1);
    unsigned char r = 0, g = 0, b = 0;
    impl.GetPixelRGB(0, 0, &r, &g, &b);
    EXPECT_EQ(r, 130);
    EXPECT_EQ(g, 140);
    EXPECT_EQ(b, 150);
    standin::SetMessageBoxHandler(nullptr);
}
#endif

TEST(ImagePalette, PaletteWithoutBitmapIsAttachedButReportsFailure)
{
    CImageImpl impl;
    EXPECT_EQ(impl.CreateGrayPalette(256), 0);
    EXPECT_NE(impl.imagePalette, nullptr);
}

TEST(ImageDecode, NothingToDecodeGivesNoPicture)
{
    const unsigned char notJpeg[] = "GIF89a and more bytes that are not a JPEG";
    for (int length : {0, -5, static_cast<int>(sizeof notJpeg)}) {
        CImage image(notJpeg, length);
        EXPECT_EQ(image.GetWidth(), 0) << length;
        EXPECT_EQ(image.GetHeight(), 0) << length;
        EXPECT_EQ(image.HasBitmap(), 0) << length;
        EXPECT_EQ(image.GetImpl()->Load(notJpeg, length), 0);
    }
}

TEST(ImageDecode, AHeaderDeclaringAGiantPictureGivesNoPicture)
{
    // A 300-byte progressive frame whose header declares 50678 x 62998
    // pixels: refused before anything is allocated for it.
    std::vector<std::uint8_t> jpeg = MakeJpeg(16, 16, [](int x, int) { return Rgb{static_cast<std::uint8_t>(x * 16), 0, 0}; },
                                              Sampling::S420, 90);
    for (size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) { // start of frame: height and width follow the precision
            jpeg[i + 5] = 0xF6;
            jpeg[i + 6] = 0x18;
            jpeg[i + 7] = 0xC5;
            jpeg[i + 8] = 0xF6;
            break;
        }
    }
    CImage image(jpeg.data(), static_cast<int>(jpeg.size()));
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.HasBitmap(), 0);
}

TEST(ImageDecode, HeaderCutShortGivesNoPicture)
{
    const auto jpeg = MakeSolidJpeg(16, 16, {10, 20, 30});
    CImage image(jpeg.data(), 20);
    EXPECT_EQ(image.GetWidth(), 0);
}

TEST(ImageDecode, ColourArrivesAsBlueGreenRedBottomUp)
{
    // Top half red, bottom half blue.
    const auto jpeg = MakeJpeg(16, 16, [](int, int y) { return y < 8 ? Rgb{255, 0, 0} : Rgb{0, 0, 255}; },
                               Sampling::S444, 100);
    CImage image(jpeg.data(), static_cast<int>(jpeg.size()));
    ASSERT_EQ(image.GetWidth(), 16);
    const BYTE* bottomRow = image.GetBits();
    const BYTE* topRow = image.GetBits() + 15 * image.GetRowBytes();
    EXPECT_GT(bottomRow[0], 240); // blue first
    EXPECT_LT(bottomRow[2], 15);
    EXPECT_GT(topRow[2], 240); // red third
    EXPECT_LT(topRow[0], 15);
}

TEST(ImageDecode, CmykFramesShowTheirRealColours)
{
    std::vector<std::uint8_t> cmyk;
    const auto jpeg = MakeCmykJpeg(32, 16, &cmyk);
    CImage image(jpeg.data(), static_cast<int>(jpeg.size()));
    ASSERT_EQ(image.GetWidth(), 32);
    ASSERT_EQ(image.GetBitCount(), 32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            const std::uint8_t* k = &cmyk[(static_cast<size_t>(y) * 32 + static_cast<size_t>(x)) * 4];
            const BYTE* p = image.GetBits() + (15 - y) * image.GetRowBytes() + 4 * x;
            // Adobe files store inverted inks: red = C x K / 255, and so on.
            ASSERT_NEAR(p[2], (k[0] * k[3] + 127) / 255, 1) << x << "," << y;
            ASSERT_NEAR(p[1], (k[1] * k[3] + 127) / 255, 1);
            ASSERT_NEAR(p[0], (k[2] * k[3] + 127) / 255, 1);
            ASSERT_EQ(p[3], 0);
        }
}

// A decoded frame's block is not cleared before the decoder writes its
// rows; everything the decoder does not write must still be zero, as in a
// block made by Create: header, colour table, each row's padding, the
// spare bytes after the rows. Memory of the same size is dirtied and freed
// first, so that leftovers would show.
struct UnwrittenCase {
    int width, height;
    Sampling sampling;
};

class DecodedBlock : public ::testing::TestWithParam<UnwrittenCase> {};

TEST_P(DecodedBlock, BytesOutsideThePixelsAreThoseOfAZeroFilledBlock)
{
    const auto [width, height, sampling] = GetParam();
    const bool grey = sampling == Sampling::Grey;
    const auto jpeg = MakeJpeg(width, height, [](int x, int y) {
        return Rgb{static_cast<std::uint8_t>(x * 7 + 1), static_cast<std::uint8_t>(y * 5 + 1), 200};
    }, sampling, 90);
    CImageImpl reference;
    ASSERT_GT(reference.Create(width, height, grey ? 8 : 24, -1), 0);
    if (grey) reference.CreateGrayPalette(256);
    const std::size_t blockBytes = GlobalSize(GlobalHandle(reference.imageInfo));
    for (int round = 0; round < 3; ++round) {
        HGLOBAL dirty = GlobalAlloc(GMEM_MOVEABLE, blockBytes);
        std::memset(GlobalLock(dirty), 0xA5, blockBytes);
        GlobalUnlock(dirty);
        GlobalFree(dirty);

        CImage image(jpeg.data(), static_cast<int>(jpeg.size()));
        ASSERT_EQ(image.GetWidth(), width);
        CImageImpl& impl = *image.GetImpl();
        ASSERT_EQ(GlobalSize(GlobalHandle(impl.imageInfo)), blockBytes);
        const auto* ours = reinterpret_cast<const BYTE*>(impl.imageInfo);
        const auto* zeroed = reinterpret_cast<const BYTE*>(reference.imageInfo);
        const std::size_t bitsAt = static_cast<std::size_t>(impl.imageBits - ours);
        const std::size_t used = static_cast<std::size_t>(grey ? width : 3 * width);
        for (std::size_t i = 0; i < blockBytes; ++i) {
            const bool pixel = i >= bitsAt && i < bitsAt + static_cast<std::size_t>(impl.rowBytes) * height &&
                               (i - bitsAt) % static_cast<std::size_t>(impl.rowBytes) < used;
            if (!pixel) {
                ASSERT_EQ(ours[i], zeroed[i]) << "byte " << i << " of " << blockBytes;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, DecodedBlock,
                         ::testing::Values(UnwrittenCase{16, 16, Sampling::S420}, UnwrittenCase{33, 17, Sampling::S420},
                                           UnwrittenCase{35, 9, Sampling::S444}, UnwrittenCase{21, 30, Sampling::Grey},
                                           UnwrittenCase{640, 48, Sampling::S422}));

TEST(ImageDecode, ConsecutiveFramesKeepTheirOwnSizes)
{
    const auto small = MakeSolidJpeg(16, 8, {1, 2, 3});
    const auto large = MakeSolidJpeg(48, 32, {1, 2, 3});
    CImage a(small.data(), static_cast<int>(small.size()));
    CImage b(large.data(), static_cast<int>(large.size()));
    EXPECT_EQ(a.GetWidth(), 16);
    EXPECT_EQ(b.GetWidth(), 48);
    EXPECT_EQ(b.GetHeight(), 32);
}

} // namespace
