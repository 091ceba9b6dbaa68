// Surfaces, device contexts, palettes, text and memory blocks.
#include <gtest/gtest.h>

#include "platform/gdi/Gdi.h"
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
    HDC hdc = CreateSurfaceDC(surface, 5, 5, &clip);
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
    HDC hdc = CreateSurfaceDC(surface, 5, 6, &clip);
    RECT box{};
    EXPECT_EQ(GetClipBox(hdc, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, -3);
    EXPECT_EQ(box.top, -3);
    EXPECT_EQ(box.right, 10);
    EXPECT_EQ(box.bottom, 14);
    DeleteDC(hdc);

    const RECT outside{30, 30, 40, 40};
    HDC none = CreateSurfaceDC(surface, 0, 0, &outside);
    EXPECT_EQ(GetClipBox(none, &box), NULLREGION);
    DeleteDC(none);
    EXPECT_EQ(GetClipBox(none, &box), ERROR);
}

TEST(Gdi, ABitmapTooLargeToAllocateIsRefused)
{
    auto surface = std::make_shared<Surface>(4, 4);
    HDC hdc = CreateSurfaceDC(surface);
    EXPECT_EQ(CreateCompatibleBitmap(hdc, 32767, 32767), nullptr);
    HBITMAP small = CreateCompatibleBitmap(hdc, 640, 480);
    EXPECT_NE(small, nullptr);
    DeleteObject(small);
    DeleteDC(hdc);
}

TEST(Gdi, WordBreakWrapsLongTextIntoLinesWithinTheRectangle)
{
    auto surface = std::make_shared<Surface>(200, 100);
    HDC hdc = CreateSurfaceDC(surface);
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
    HDC hdc = CreateSurfaceDC(std::make_shared<Surface>(7, 5));
    const std::shared_ptr<Surface> held = GetDCSurface(hdc);
    ASSERT_NE(held, nullptr);
    DeleteDC(hdc);
    EXPECT_EQ(held->width(), 7); // still there: the caller holds it
    EXPECT_EQ(GetDCSurface(hdc), nullptr);
}

} // namespace
