// Surfaces, device contexts, palettes, text and memory blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/gdi/linux/StandInGdi.h"
#include "platform/kernel/Memory.h"

namespace {

int inkRows(const Surface& s, int left, int right)
{
    int rows = 0;
    for (int y = 0; y < s.height(); ++y) {
        bool ink = false;
        for (int x = left; x < right && !ink; ++x) ink = (s.rgb(x, y) & 0xFF) < 128;
        rows += ink;
    }
    return rows;
}

TEST(Gdi, FillRectRespectsOriginAndClip)
{
    auto surface = std::make_shared<Surface>(20, 20);
    const RECT clip{0, 0, 15, 15};
    HDC hdc = standin::CreateSurfaceDC(surface, 5, 5, &clip);
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    const RECT r{0, 0, 100, 100};
    EXPECT_EQ(FillRect(hdc, &r, brush), 1);
    EXPECT_EQ(surface->rgb(4, 4), 0u);
    EXPECT_EQ(surface->rgb(5, 5), 0xFF0000u);
    EXPECT_EQ(surface->rgb(14, 14), 0xFF0000u);
    EXPECT_EQ(surface->rgb(15, 15), 0u);
    DeleteObject(brush);
    EXPECT_EQ(FillRect(hdc, &r, brush), 0);
    DeleteDC(hdc);
}

TEST(Gdi, TheClipBoxIsWhatTheContextCanPaintInItsOwnCoordinates)
{
    auto surface = std::make_shared<Surface>(20, 20);
    const RECT clip{2, 3, 15, 30};
    HDC hdc = standin::CreateSurfaceDC(surface, 5, 6, &clip);
    RECT box{};
    EXPECT_EQ(GetClipBox(hdc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, -3);
    EXPECT_EQ(box.top, -3);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.bottom, 14);
    DeleteDC(hdc);

    const RECT outside{30, 30, 40, 40};
    HDC none = standin::CreateSurfaceDC(surface, 0, 0, &outside);
    EXPECT_EQ(GetClipBox(none, &box), NULLREGION);
    DeleteDC(none);
    EXPECT_EQ(GetClipBox(none, &box), ERROR);
}

TEST(Gdi, ABitmapTooLargeToAllocateIsRefused)
{
    auto surface = std::make_shared<Surface>(4, 4);
    HDC hdc = standin::CreateSurfaceDC(surface);
    EXPECT_EQ(CreateCompatibleBitmap(hdc, 32767, 32767), nullptr);
    HBITMAP small = CreateCompatibleBitmap(hdc, 640, 480);
    EXPECT_NE(small, nullptr);
    DeleteObject(small);
    DeleteDC(hdc);
}

TEST(Gdi, WordBreakWrapsLongTextIntoLinesWithinTheRectangle)
{
    auto surface = std::make_shared<Surface>(200, 100);
    HDC hdc = standin::CreateSurfaceDC(surface);
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    const RECT all{0, 0, 200, 100};
    FillRect(hdc, &all, white);
    RECT narrow{0, 0, 60, 100};
    const char* text = "one two three four";
    const int height = DrawTextA(hdc, text, -1, &narrow, DT_WORDBREAK);
    EXPECT_GE(height, 3 * 13);
    EXPECT_EQ(inkRows(*surface, 60, 200), 0); // clipped to the rectangle
    RECT wide{0, 50, 200, 100};
    const int single = DrawTextA(hdc, text, -1, &wide, DT_WORDBREAK);
    EXPECT_LT(single, height);
    EXPECT_EQ(surface->texts().size(), 2u);
    DeleteObject(white);
    DeleteDC(hdc);
}

TEST(Gdi, PalettesAnswerEntriesAndNearestIndex)
{
    alignas(LOGPALETTE) unsigned char storage[8 + 3 * 4];
    auto* log = reinterpret_cast<LOGPALETTE*>(storage);
    log->palVersion = 0x300;
    log->palNumEntries = 3;
    auto* entries = reinterpret_cast<PALETTEENTRY*>(storage + 4);
    entries[0] = {0, 0, 0, 0};
    entries[1] = {255, 0, 0, 0};
    entries[2] = {0, 0, 255, 0};
    HPALETTE palette = CreatePalette(log);
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(200, 30, 30)), 1u);
    EXPECT_EQ(GetNearestPaletteIndex(palette, RGB(10, 10, 180)), 2u);
    PALETTEENTRY e{};
    EXPECT_EQ(GetPaletteEntries(palette, 2, 1, &e), 1u);
    EXPECT_EQ(e.peBlue, 255);
    EXPECT_EQ(GetPaletteEntries(palette, 3, 1, &e), 0u);
    DeleteObject(palette);
}

TEST(Gdi, EightBitSurfacesStoreHalftoneIndices)
{
    Surface s(2, 1, 8);
    s.setRgb(0, 0, 0xFF0000);
    EXPECT_EQ(s.raw(0, 0), 36u * 5);
    EXPECT_EQ(s.rgb(0, 0), 0xFF0000u);
}

TEST(Memory, GlobalBlocksAreZeroedAndFoundFromTheirPointer)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 100);
    ASSERT_NE(block, nullptr);
    auto* p = static_cast<unsigned char*>(GlobalLock(block));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(p[i], 0);
    EXPECT_EQ(GlobalHandle(p), block);
    EXPECT_EQ(GlobalSize(block), 100u);
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalFree(block), block); // a second free is refused, not a crash
    EXPECT_EQ(GlobalHandle(p), nullptr);
}

} // namespace

namespace {

TEST(Gdi, DibRowsArePaddedToWholeWordsAndBlocksCountHeaderTableAndRows)
{
    EXPECT_EQ(DibStride(8, 1), 4);
    EXPECT_EQ(DibStride(8, 4), 4);
    EXPECT_EQ(DibStride(8, 5), 8);
    EXPECT_EQ(DibStride(24, 1), 4);
    EXPECT_EQ(DibStride(24, 3), 12);
    EXPECT_EQ(DibStride(24, 5), 16);
    EXPECT_EQ(DibStride(32, 7), 28);
    EXPECT_EQ(DibStride(24, 0), 0);
    // Widths whose row exceeds 32 bits of bytes are counted, not wrapped.
    EXPECT_EQ(DibStride(32, 1ll << 31), 1ll << 33);
    EXPECT_EQ(DibBlockBytes(24, 5, 3, 1024), 40 + 1024 + 16 * 3);
    EXPECT_EQ(DibBlockBytes(8, 4, 0, 0), 40);
}

} // namespace

namespace {

TEST(GdiSurface, TheSurfaceOfAContextOutlivesTheContextWhileHeld)
{
    HDC hdc = standin::CreateSurfaceDC(std::make_shared<Surface>(7, 5));
    const std::shared_ptr<Surface> held = standin::GetDCSurface(hdc);
    ASSERT_NE(held, nullptr);
    DeleteDC(hdc);
    EXPECT_EQ(held->width(), 7); // still there: the caller holds it
    EXPECT_EQ(standin::GetDCSurface(hdc), nullptr);
}

} // namespace

namespace {

// An off-screen bitmap copied to a target, as a frame is drawn: whatever
// the geometry (the whole of a same-sized surface, which may share the
// pixels instead of copying them, or part of one, or another depth), the
// target shows the source's pixels, and drawing on either afterwards, or
// deleting the source, leaves the other as it was.
struct BlitCase {
    const char* name;
    int targetWidth, targetHeight, targetBits;
    int x, y; // where the off-screen bitmap lands
};

class OffscreenCopy : public ::testing::TestWithParam<BlitCase> {};

TEST_P(OffscreenCopy, TargetAndSourceStayIndependent)
{
    const BlitCase c = GetParam();
    constexpr int kWidth = 160, kHeight = 120; // large enough for pixel buffers to be kept between surfaces
    auto target = std::make_shared<Surface>(c.targetWidth, c.targetHeight, c.targetBits);
    HDC screen = standin::CreateSurfaceDC(target);
    HDC offscreen = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    SelectObject(offscreen, bitmap);
    std::shared_ptr<Surface> source = standin::GetDCSurface(offscreen);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) source->setRgb(x, y, (y % 2 ? 0xFF0000u : 0x0000FFu) | (x % 3 ? 0xFF00u : 0));
    const auto expected = [&](int x, int y) { return source->rgb(x - c.x, y - c.y); };

    ASSERT_TRUE(BitBlt(screen, c.x, c.y, kWidth, kHeight, offscreen, 0, 0, SRCCOPY));
    for (int y = c.y; y < std::min(c.targetHeight, c.y + kHeight); ++y)
        for (int x = c.x; x < std::min(c.targetWidth, c.x + kWidth); ++x)
            ASSERT_EQ(target->rgb(x, y), expected(x, y)) << c.name << " at " << x << "," << y;
    const std::uint32_t expectedCorner = target->rgb(c.x, c.y);
    ASSERT_NE(expectedCorner, 0xFFFFFFu);

    // Drawing on the source after the copy does not reach the target.
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    const RECT all{0, 0, kWidth, kHeight};
    FillRect(offscreen, &all, white);
    EXPECT_EQ(target->rgb(c.x, c.y), expectedCorner) << c.name;
    // Drawing on the target does not reach the source.
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    const RECT screenAll{0, 0, c.targetWidth, c.targetHeight};
    FillRect(screen, &screenAll, black);
    EXPECT_EQ(source->rgb(0, 0), 0xFFFFFFu) << c.name;
    EXPECT_EQ(target->rgb(c.x, c.y), 0u) << c.name;

    // A second copy, then the source deleted, as after every frame: the
    // target keeps the picture.
    source->setRgb(1, 1, 0x00FF00u);
    ASSERT_TRUE(BitBlt(screen, c.x, c.y, kWidth, kHeight, offscreen, 0, 0, SRCCOPY));
    DeleteDC(offscreen);
    DeleteObject(bitmap);
    source.reset();
    EXPECT_EQ(target->rgb(c.x + 1, c.y + 1), 0x00FF00u) << c.name;
    EXPECT_EQ(target->rgb(c.x, c.y), 0xFFFFFFu) << c.name;
    // New off-screen bitmaps of the same size may get recycled pixels; the
    // target's are not among them.
    HDC again[2];
    HBITMAP next[2];
    for (int i = 0; i < 2; ++i) {
        again[i] = CreateCompatibleDC(screen);
        next[i] = CreateCompatibleBitmap(screen, kWidth, kHeight);
        SelectObject(again[i], next[i]);
        FillRect(again[i], &all, black);
    }
    EXPECT_EQ(target->rgb(c.x + 1, c.y + 1), 0x00FF00u) << c.name;
    for (int i = 0; i < 2; ++i) {
        DeleteDC(again[i]);
        DeleteObject(next[i]);
    }
    DeleteObject(white);
    DeleteObject(black);
    DeleteDC(screen);
}

INSTANTIATE_TEST_SUITE_P(Geometries, OffscreenCopy,
                         ::testing::Values(BlitCase{"whole", 160, 120, 32, 0, 0}, BlitCase{"offset", 160, 120, 32, 3, 2},
                                           BlitCase{"larger target", 200, 150, 32, 10, 5},
                                           BlitCase{"paletted target", 160, 120, 8, 0, 0}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (ch == ' ') ch = '_';
                             return name;
                         });

} // namespace

namespace {

// StretchDIBits of a 24-bit bitmap onto a 32-bit surface, nearest pixel,
// against the same sampling worked out here, pixel by pixel: shrinking,
// enlarging, a source window, odd widths (rows with padding), the last
// column of a row included.
struct StretchCase {
    int width, height;                    // bitmap
    int xSrc, ySrc, wSrc, hSrc;            // source rectangle, rows from the bottom
    int wDst, hDst;                        // destination at (0, 0)
};

class StretchRows : public ::testing::TestWithParam<StretchCase> {};

TEST_P(StretchRows, EveryPixelIsItsNearestSourcePixel)
{
    const StretchCase c = GetParam();
    const int stride = static_cast<int>(DibStride(24, c.width));
    // Exactly the bitmap's bytes, so that a read past its end is caught by
    // the address sanitizer.
    std::vector<BYTE> bits(static_cast<size_t>(stride) * c.height);
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<BYTE>(i * 37 + 11);
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), c.width, c.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    auto surface = std::make_shared<Surface>(c.wDst, c.hDst);
    HDC hdc = standin::CreateSurfaceDC(surface);
    ASSERT_EQ(StretchDIBits(hdc, 0, 0, c.wDst, c.hDst, c.xSrc, c.ySrc, c.wSrc, c.hSrc, bits.data(), &info,
                            DIB_RGB_COLORS, SRCCOPY),
              c.hDst);
    for (int y = 0; y < c.hDst; ++y)
        for (int x = 0; x < c.wDst; ++x) {
            const int sx = c.xSrc + x * c.wSrc / c.wDst;
            const int r = c.ySrc + c.hSrc - 1 - y * c.hSrc / c.hDst;
            const BYTE* p = bits.data() + static_cast<size_t>(r) * stride + 3 * sx;
            ASSERT_EQ(surface->rgb(x, y), static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]))
                << x << "," << y;
        }
    DeleteDC(hdc);
}

INSTANTIATE_TEST_SUITE_P(Geometries, StretchRows,
                         ::testing::Values(StretchCase{64, 48, 0, 0, 64, 48, 32, 24},  // half size
                                           StretchCase{33, 17, 0, 0, 33, 17, 20, 9},   // odd, shrunk
                                           StretchCase{33, 17, 0, 0, 33, 17, 70, 40},  // odd, enlarged
                                           StretchCase{35, 20, 5, 3, 30, 17, 13, 11},  // window reaching the last column
                                           StretchCase{7, 5, 0, 0, 7, 5, 7, 5}));      // own size

} // namespace
