// Drawing a picture: the off-screen path and the DrawDib path.
#include <gtest/gtest.h>

#include "image/Image.h"
#include "platform/vfw/Vfw.h"
#include "tests/support/JpegFactory.h"
#include "platform/gdi/linux/StandInGdi.h"

namespace {

// A 32 x 24 picture in four solid quadrants: red top left, green top
// right, blue bottom left, white bottom right.
Rgb quadrant(int x, int y)
{
    if (y < 12) return x < 16 ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
    return x < 16 ? Rgb{0, 0, 255} : Rgb{255, 255, 255};
}

class Render : public ::testing::Test {
protected:
    void SetUp() override
    {
        jpeg = MakeJpeg(32, 24, quadrant, Sampling::S444, 100);
        image = std::make_unique<CImage>(jpeg.data(), static_cast<int>(jpeg.size()));
        ASSERT_EQ(image->GetWidth(), 32);
    }
    // Which quadrant colour a surface pixel is closest to: 'R', 'G', 'B', 'W' or '?'.
    static char at(const Surface& s, int x, int y)
    {
        const std::uint32_t c = s.rgb(x, y);
        const int r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        if (r > 200 && g > 200 && b > 200) return 'W';
        if (r > 200 && g < 60 && b < 60) return 'R';
        if (g > 200 && r < 60 && b < 60) return 'G';
        if (b > 200 && r < 60 && g < 60) return 'B';
        return '?';
    }

    std::vector<std::uint8_t> jpeg;
    std::unique_ptr<CImage> image;
};

TEST_F(Render, WholePictureAtItsOwnSize)
{
    auto surface = std::make_shared<Surface>(100, 100);
    HDC hdc = standin::CreateSurfaceDC(surface);
    CDC dc(hdc);
    EXPECT_EQ(image->StretchDraw(&dc, nullptr, 10, 20, -1, -1, 0, 0, -1, -1), 1);
    EXPECT_EQ(at(*surface, 10, 20), 'R');
    EXPECT_EQ(at(*surface, 41, 20), 'G');
    EXPECT_EQ(at(*surface, 10, 43), 'B');
    EXPECT_EQ(at(*surface, 41, 43), 'W');
    EXPECT_EQ(surface->rgb(42, 20), 0u); // nothing beyond the picture
    ASSERT_EQ(surface->pictures().size(), 1u);
    EXPECT_EQ(surface->pictures()[0].rect.left, 10);
    EXPECT_EQ(surface->pictures()[0].rect.right, 42);
    DeleteDC(hdc);
}

TEST_F(Render, DoubledPicture)
{
    auto surface = std::make_shared<Surface>(64, 48);
    HDC hdc = standin::CreateSurfaceDC(surface);
    CDC dc(hdc);
    image->StretchDraw(&dc, nullptr, 0, 0, 64, 48, 0, 0, -1, -1);
    EXPECT_EQ(at(*surface, 31, 23), 'R');
    EXPECT_EQ(at(*surface, 32, 23), 'G');
    EXPECT_EQ(at(*surface, 31, 24), 'B');
    EXPECT_EQ(at(*surface, 63, 47), 'W');
    DeleteDC(hdc);
}

TEST_F(Render, SourceRowsCountFromTheBottom)
{
    auto surface = std::make_shared<Surface>(64, 48);
    HDC hdc = standin::CreateSurfaceDC(surface);
    CDC dc(hdc);
    // ySrc 0 with half the height is the bottom half: blue and white.
    image->StretchDraw(&dc, nullptr, 0, 0, 64, 48, 0, 0, 16, 12);
    EXPECT_EQ(at(*surface, 0, 0), 'B');
    EXPECT_EQ(at(*surface, 63, 47), 'B');
    image->StretchDraw(&dc, nullptr, 0, 0, 64, 48, 16, 12, 16, 12);
    EXPECT_EQ(at(*surface, 0, 0), 'G');
    EXPECT_EQ(at(*surface, 63, 47), 'G');
    DeleteDC(hdc);
}

TEST_F(Render, OnlyWhatTheTargetShowsIsComposedAndItsPixelsAreTheWholePicturesOwn)
{
    // A destination of 32767 x 32767 (a page's largest picture size) on a
    // small target: composing all of it off-screen would take 4 GiB.
    auto small = std::make_shared<Surface>(64, 48);
    HDC hdc = standin::CreateSurfaceDC(small);
    CDC dc(hdc);
    EXPECT_EQ(image->StretchDraw(&dc, nullptr, 0, 0, 32767, 32767, 0, 0, -1, -1), 1);
    EXPECT_EQ(at(*small, 0, 0), 'R');
    EXPECT_EQ(at(*small, 63, 47), 'R');
    ASSERT_EQ(small->pictures().size(), 1u);
    EXPECT_EQ(small->pictures()[0].rect.right, 32767);
    DeleteDC(hdc);

    // A clipped, shifted target paints inside its clip exactly the pixels
    // of an unclipped one.
    auto whole = std::make_shared<Surface>(100, 80);
    HDC wholeDc = standin::CreateSurfaceDC(whole);
    CDC wholeCdc(wholeDc);
    image->StretchDraw(&wholeCdc, nullptr, 3, 2, 90, 70, 0, 0, -1, -1);
    auto part = std::make_shared<Surface>(100, 80);
    const RECT clip{37, 21, 71, 58};
    HDC partDc = standin::CreateSurfaceDC(part, 0, 0, &clip);
    CDC partCdc(partDc);
    image->StretchDraw(&partCdc, nullptr, 3, 2, 90, 70, 0, 0, -1, -1);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
            ASSERT_EQ(part->rgb(x, y), inside ? whole->rgb(x, y) : 0u) << x << "," << y;
        }
    DeleteDC(wholeDc);
    DeleteDC(partDc);
}

TEST_F(Render, NoBitmapDrawsNothing)
{
    CImage empty;
    empty.CreateImpl();
    auto surface = std::make_shared<Surface>(8, 8);
    HDC hdc = standin::CreateSurfaceDC(surface);
    CDC dc(hdc);
    EXPECT_EQ(empty.StretchDraw(&dc, nullptr, 0, 0), 0);
    EXPECT_EQ(empty.Draw(&dc, 0, 0), 0);
    EXPECT_TRUE(surface->pictures().empty());
    CDC none(nullptr);
    EXPECT_EQ(image->StretchDraw(&none, nullptr, 0, 0), 1);
    EXPECT_EQ(image->StretchDraw(nullptr, nullptr, 0, 0), 1);
    DeleteDC(hdc);
}

TEST_F(Render, UnscaledDraw)
{
    auto surface = std::make_shared<Surface>(40, 40);
    HDC hdc = standin::CreateSurfaceDC(surface);
    CDC dc(hdc);
    EXPECT_EQ(image->Draw(&dc, 2, 3), 1);
    EXPECT_EQ(at(*surface, 2, 3), 'R');
    EXPECT_EQ(at(*surface, 33, 26), 'W');
    DeleteDC(hdc);
}

TEST_F(Render, DrawDibOnEightBitsShowsTheSameSourceRectangleAsTheTrueColourPath)
{
    // Whole picture, a quarter (the bottom left, rows count from the
    // bottom), a window off-centre as a zoom gives, and one clipped at the
    // picture's edge.
    const int sources[][4] = {{0, 0, -1, -1}, {0, 0, 16, 12}, {10, 5, 16, 12}, {16, 12, -1, -1}};
    for (const auto& src : sources) {
        auto deep = std::make_shared<Surface>(64, 48);
        auto shallow = std::make_shared<Surface>(64, 48, 8);
        HDC deepDc = standin::CreateSurfaceDC(deep);
        HDC shallowDc = standin::CreateSurfaceDC(shallow);
        CDC deepCdc(deepDc);
        CDC shallowCdc(shallowDc);
        HDRAWDIB hdd = DrawDibOpen();
        image->StretchDraw(&deepCdc, nullptr, 0, 0, 64, 48, src[0], src[1], src[2], src[3]);
        image->StretchDraw(&shallowCdc, hdd, 0, 0, 64, 48, src[0], src[1], src[2], src[3]);
        int differing = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) differing += at(*deep, x, y) != at(*shallow, x, y);
        EXPECT_EQ(differing, 0) << "source " << src[0] << "," << src[1] << " " << src[2] << "x" << src[3];
        DrawDibClose(hdd);
        DeleteDC(deepDc);
        DeleteDC(shallowDc);
    }
}

TEST(RenderGrey, GreyFramesDrawThroughTheirPalette)
{
    const auto jpeg = MakeJpeg(16, 16, [](int x, int) { return x < 8 ? Rgb{40, 40, 40} : Rgb{200, 200, 200}; },
                               Sampling::Grey, 100);
    CImage image(jpeg.data(), static_cast<int>(jpeg.size()));
    ASSERT_EQ(image.GetBitCount(), 8);
    auto surface = std::make_shared<Surface>(16, 16);
    HDC hdc = standin::CreateSurfaceDC(surface);
    CDC dc(hdc);
    image.StretchDraw(&dc, nullptr, 0, 0);
    const std::uint32_t dark = surface->rgb(2, 2);
    const std::uint32_t light = surface->rgb(13, 2);
    EXPECT_NEAR(static_cast<int>(dark & 0xFF), 40, 3);
    EXPECT_EQ(dark >> 16, dark & 0xFF);
    EXPECT_NEAR(static_cast<int>(light & 0xFF), 200, 3);
    DeleteDC(hdc);
}

TEST(RenderGrey, GreyFramesThroughDrawDibStayGrey)
{
    // Two grey levels; on an 8-bit display every channel is dithered with
    // the same threshold, so each pixel stays grey, and the dither averages
    // to the level over a 4 x 4 cell.
    const auto jpeg = MakeJpeg(16, 16, [](int x, int) { return x < 8 ? Rgb{40, 40, 40} : Rgb{200, 200, 200}; },
                               Sampling::Grey, 100);
    CImage image(jpeg.data(), static_cast<int>(jpeg.size()));
    ASSERT_EQ(image.GetBitCount(), 8);
    auto surface = std::make_shared<Surface>(32, 32, 8);
    HDC hdc = standin::CreateSurfaceDC(surface);
    CDC dc(hdc);
    HDRAWDIB hdd = DrawDibOpen();
    image.StretchDraw(&dc, hdd, 0, 0, 32, 32, 0, 0, -1, -1);
    auto cellAverage = [&](int left) {
        int sum = 0;
        for (int y = 8; y < 12; ++y)
            for (int x = left; x < left + 4; ++x) {
                const std::uint32_t c = surface->rgb(x, y);
                EXPECT_EQ((c >> 16) & 0xFF, c & 0xFF) << x << "," << y;
                EXPECT_EQ((c >> 8) & 0xFF, c & 0xFF) << x << "," << y;
                sum += static_cast<int>(c & 0xFF);
            }
        return sum / 16;
    };
    EXPECT_NEAR(cellAverage(4), 40, 16);
    EXPECT_NEAR(cellAverage(24), 200, 16);
    DrawDibClose(hdd);
    DeleteDC(hdc);
}

} // namespace
