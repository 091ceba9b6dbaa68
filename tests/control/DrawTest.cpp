// The control's painting, checked as pixels of the painted surface.
#include <gtest/gtest.h>

#include <cstdlib>

#include "image/Image.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamClient.h"
#include "tests/support/JpegFactory.h"
#include "tests/support/TestContainer.h"
#include "platform/gdi/linux/StandInGdi.h"

namespace {

// A frame in four solid quadrants: red top left, green top right, blue
// bottom left, white bottom right.
std::vector<std::uint8_t> quadrants(int width, int height)
{
    return MakeJpeg(width, height, [=](int x, int y) {
        if (y < height / 2) return x < width / 2 ? Rgb{255, 0, 0} : Rgb{0, 255, 0};
        return x < width / 2 ? Rgb{0, 0, 255} : Rgb{255, 255, 255};
    }, Sampling::S444, 100);
}

bool near(std::uint32_t rgb, COLORREF expected, int tolerance = 24)
{
    const std::uint32_t e = ColorRefToRgb(expected);
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(static_cast<int>((rgb >> shift) & 0xFF) - static_cast<int>((e >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

class Drawing : public ::testing::Test {
protected:
    void SetUp() override { c.embed({{"ImagePath", "/x?Resolution=320x240"}}); }
    std::uint32_t px(int x, int y) { return c.surface().rgb(x, y); }
    TestContainer c;
};

TEST_F(Drawing, ConnectingBeforeAnyFrame)
{
    const auto texts = c.paint();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Connecting...");
    EXPECT_TRUE(near(px(300, 200), RGB(255, 255, 255), 0));
    // The text itself: dark pixels in the first line at the top left.
    int ink = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 90; ++x) ink += (px(x, y) & 0xFF) < 128;
    EXPECT_GT(ink, 40);
    EXPECT_EQ(c.ctrl()->m_bPainted, 0);
}

TEST_F(Drawing, ErrorTextWrapsInsideTheControl)
{
    c.ctrl()->m_pStreamClient->PublishError(ERR_STATUS, 0);
    const auto texts = c.paint();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, " Error Code(4000 / 0)\n");
    EXPECT_EQ(c.ctrl()->m_lShownError, 0x4000);
}

TEST_F(Drawing, FirstFrameIsDecodedDrawnAndFixesTheStreamSize)
{
    c.putFrame(quadrants(640, 480));
    const auto texts = c.paint();
    EXPECT_TRUE(texts.empty());
    EXPECT_EQ(c.ctrl()->m_pStreamBuffer->GetFlag(SB_FRAME_READY), 0);
    EXPECT_EQ(c.ctrl()->m_nViewPhase, PHASE_STREAMING);
    EXPECT_EQ(c.ctrl()->m_nStreamWidth, 640);
    EXPECT_EQ(c.ctrl()->m_nStreamHeight, 480);
    EXPECT_EQ(c.ctrl()->m_bPainted, 1);
    // The whole frame, shrunk to 320 x 240 at the top left.
    EXPECT_TRUE(near(px(10, 10), RGB(255, 0, 0)));
    EXPECT_TRUE(near(px(310, 10), RGB(0, 255, 0)));
    EXPECT_TRUE(near(px(10, 230), RGB(0, 0, 255)));
    EXPECT_TRUE(near(px(310, 230), RGB(255, 255, 255)));
    EXPECT_EQ(px(330, 10), 0u);
    ASSERT_EQ(c.surface().pictures().size(), 1u);
    EXPECT_EQ(c.surface().pictures()[0].rect.right, 320);
    EXPECT_EQ(c.surface().pictures()[0].rect.bottom, 240);
}

TEST_F(Drawing, RepaintWithoutANewFrameDoesNotDecodeAgain)
{
    c.putFrame(quadrants(320, 240));
    c.paint();
    CImage* first = c.ctrl()->m_pImage;
    c.paint();
    EXPECT_EQ(c.ctrl()->m_pImage, first);
}

TEST_F(Drawing, ZoomWindowFollowsTheViewCentreAndIsClamped)
{
    c.putFrame(quadrants(640, 480));
    c.ctrl()->m_dZoomMag = 4.0;
    c.ctrl()->m_ptViewCenter = POINT{300, 20};
    c.paint();
    // x = 2 * 300 - 160 clamped to 320, y = 220 * 2 - 120 clamped to 240:
    // the window is the frame's top-right quarter, all green.
    EXPECT_TRUE(near(px(0, 0), RGB(0, 255, 0)));
    EXPECT_TRUE(near(px(319, 239), RGB(0, 255, 0)));
    EXPECT_TRUE(near(px(160, 120), RGB(0, 255, 0)));
}

TEST(DrawingWindow, FramesSmallerThanThePageArePannedOverWhole)
{
    // A 640 x 480 page over 320 x 240 frames, at x4.0: the window is a
    // quarter of the frame, placed by the view centre scaled by one half.
    TestContainer c;
    c.embed({{"ImageWidth", "640"}, {"ImageHeight", "480"}, {"ImagePath", "/x?Resolution=640x480"}});
    c.putFrame(quadrants(320, 240));
    c.ctrl()->m_dZoomMag = 4.0;
    c.paint();
    auto px = [&](int x, int y) { return c.surface().rgb(x, y); };
    // Centred: the frame's centre, all four quadrants meeting in the middle.
    EXPECT_TRUE(near(px(20, 20), RGB(255, 0, 0)));
    EXPECT_TRUE(near(px(620, 20), RGB(0, 255, 0)));
    EXPECT_TRUE(near(px(20, 460), RGB(0, 0, 255)));
    EXPECT_TRUE(near(px(620, 460), RGB(255, 255, 255)));
    // Panned to (480, 120): the frame's top-right quarter, all green.
    c.ctrl()->m_ptViewCenter = POINT{480, 120};
    c.paint();
    EXPECT_TRUE(near(px(20, 20), RGB(0, 255, 0)));
    EXPECT_TRUE(near(px(620, 460), RGB(0, 255, 0)));
}

TEST(DrawingWindow, APageThatIsNoWholeDivisorOfTheFrameReachesTheFrameEdge)
{
    // 480 x 360 over 640 x 480 frames: the ratio is 4/3, not 1. At x4.0
    // with the centre at the page's bottom-right limit the window is the
    // frame's bottom-right quarter, all white.
    TestContainer c;
    c.embed({{"ImageWidth", "480"}, {"ImageHeight", "360"}});
    c.putFrame(quadrants(640, 480));
    c.ctrl()->m_dZoomMag = 4.0;
    c.ctrl()->m_ptViewCenter = POINT{360, 270};
    c.paint();
    EXPECT_TRUE(near(c.surface().rgb(10, 10), RGB(255, 255, 255)));
    EXPECT_TRUE(near(c.surface().rgb(470, 350), RGB(255, 255, 255)));
}

TEST_F(Drawing, EndedStreamDrawsTheWholeFrameWhateverTheZoom)
{
    c.putFrame(quadrants(640, 480));
    c.paint();
    c.ctrl()->m_dZoomMag = 4.0;
    c.ctrl()->m_ptViewCenter = POINT{300, 20};
    c.ctrl()->m_nViewPhase = PHASE_ENDED;
    c.paint();
    EXPECT_TRUE(near(px(10, 10), RGB(255, 0, 0)));
    EXPECT_TRUE(near(px(310, 230), RGB(255, 255, 255)));
}

TEST_F(Drawing, MagnificationLabel)
{
    c.putFrame(quadrants(320, 240));
    c.ctrl()->m_nLabelTicks = 10;
    c.ctrl()->m_dZoomMag = 2.5;
    auto texts = c.paint();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "x2.5");
    EXPECT_EQ(texts[0].rect.left, 20);
    EXPECT_EQ(texts[0].rect.top, 20);
    EXPECT_EQ(texts[0].colour, RGB(255, 0, 0));
    int red = 0;
    for (int y = 20; y < 36; ++y)
        for (int x = 20; x < 50; ++x) red += near(px(x, y), RGB(255, 0, 0), 60);
    EXPECT_GT(red, 10);

    c.ctrl()->m_dZoomMag = 10.0;
    texts = c.paint();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "x10.0");
    c.ctrl()->m_nLabelTicks = 0;
    EXPECT_TRUE(c.paint().empty());
}

TEST_F(Drawing, MotionBarColoursAndSteps)
{
    c.putFrame(quadrants(320, 240));
    c.ctrl()->m_chMotionBar1 = 5;
    c.ctrl()->m_chMotionBar2 = 12;
    c.paint();
    const int x0 = 40;
    EXPECT_TRUE(near(px(x0, 210), RGB(0, 160, 126), 0));
    EXPECT_TRUE(near(px(x0 + 59, 210), RGB(0, 160, 126), 0));
    EXPECT_TRUE(near(px(x0 + 60, 210), RGB(255, 0, 0), 0));
    EXPECT_TRUE(near(px(x0 + 143, 210), RGB(255, 0, 0), 0));
    EXPECT_TRUE(near(px(x0 + 144, 210), RGB(237, 167, 159), 0));
    EXPECT_TRUE(near(px(x0 + 239, 219), RGB(237, 167, 159), 0));
    EXPECT_FALSE(near(px(x0 + 240, 210), RGB(237, 167, 159), 0));
    EXPECT_FALSE(near(px(x0 + 10, 220), RGB(0, 160, 126), 0));

    c.ctrl()->m_chMotionBar1 = 20; // values above 20 arrive capped
    c.ctrl()->m_chMotionBar2 = 20;
    c.paint();
    EXPECT_TRUE(near(px(x0 + 239, 210), RGB(0, 160, 126), 0));

    c.ctrl()->m_chMotionBar1 = 12;
    c.ctrl()->m_chMotionBar2 = 5;
    c.paint();
    EXPECT_TRUE(near(px(x0 + 70, 210), RGB(45, 255, 60), 0));
}

TEST_F(Drawing, NegativeMotionValueHidesTheBar)
{
    c.putFrame(MakeSolidJpeg(320, 240, {0, 0, 0}));
    c.ctrl()->m_chMotionBar1 = -1;
    c.ctrl()->m_chMotionBar2 = 12;
    c.paint();
    EXPECT_TRUE(near(px(50, 210), RGB(0, 0, 0), 8));
}

TEST_F(Drawing, UndecodableFrameReleasesTheSlotAndKeepsThePicture)
{
    c.putFrame(quadrants(320, 240));
    c.paint();
    CImage* good = c.ctrl()->m_pImage;
    c.putFrame({0xFF, 0xD8, 0x00, 0x01, 0x02});
    c.paint();
    EXPECT_EQ(c.ctrl()->m_pStreamBuffer->GetFlag(SB_FRAME_READY), 0);
    EXPECT_EQ(c.ctrl()->m_pImage, good);
    EXPECT_TRUE(near(px(10, 10), RGB(255, 0, 0)));
}

TEST_F(Drawing, UndecodableFirstFrameShowsTheStatusOnce)
{
    c.putFrame({0x00, 0x01, 0x02});
    auto texts = c.paint();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Connecting...");
    EXPECT_EQ(c.ctrl()->m_bPainted, 1);
    EXPECT_EQ(c.ctrl()->m_pStreamBuffer->GetFlag(SB_FRAME_READY), 0);
    EXPECT_EQ(c.ctrl()->m_nViewPhase, PHASE_NOTHING_RECEIVED);
    c.putFrame({0x00, 0x01, 0x02});
    EXPECT_TRUE(c.paint().empty());
}

TEST_F(Drawing, EightBitDisplayUsesOneDrawDibHandleUntilTheDisplayDeepens)
{
    c.useSurface(std::make_shared<Surface>(640, 480, 8));
    c.putFrame(quadrants(320, 240));
    c.paint();
    const HDRAWDIB first = c.ctrl()->m_hDrawDib;
    ASSERT_NE(first, nullptr);
    c.paint();
    EXPECT_EQ(c.ctrl()->m_hDrawDib, first);
    EXPECT_TRUE(near(px(10, 10), RGB(255, 0, 0), 60));
    c.useSurface(std::make_shared<Surface>(640, 480, 32));
    c.paint();
    EXPECT_EQ(c.ctrl()->m_hDrawDib, nullptr);
}

TEST_F(Drawing, PaintedControlAsPng)
{
    c.putFrame(MakeJpeg(640, 480, [](int x, int y) {
        return Rgb{static_cast<std::uint8_t>(x * 255 / 639), static_cast<std::uint8_t>(y * 255 / 479), 160};
    }, Sampling::S420, 90));
    c.ctrl()->m_nLabelTicks = 5;
    c.ctrl()->m_dZoomMag = 2.5;
    c.ctrl()->m_chMotionBar1 = 14;
    c.ctrl()->m_chMotionBar2 = 6;
    c.paint();
    const std::string file = ::testing::TempDir() + "/painted-control.png";
    ASSERT_TRUE(standin::WriteSurfacePng(c.surface(), file));
    std::printf("painted control: %s\n", file.c_str());
}

TEST(FirstFrameCheck, PhaseRulesAfterASwitch)
{
    struct Case {
        ViewPhase phase;
        int direction;
        int streamWidth;
        int frameWidth;
        int expectWidth;
        BYTE expectArmed;
    } cases[] = {
        {PHASE_NOTHING_RECEIVED, 0, 320, 320, 320, 1},
        {PHASE_NOTHING_RECEIVED, 0, 320, 640, 640, 0},
        {PHASE_WAITING_FIRST_FRAME, 1, 320, 640, 640, 1},
        {PHASE_WAITING_FIRST_FRAME, 1, 320, 320, 320, 0},
        {PHASE_WAITING_FIRST_FRAME, 2, 640, 320, 320, 1},
        {PHASE_WAITING_FIRST_FRAME, 2, 640, 640, 640, 0},
        {PHASE_WAITING_FIRST_FRAME, 1, 640, 160, 640, 1}, // any other case leaves all alone
    };
    for (const auto& k : cases) {
        TestContainer c;
        c.embed({{"UseChangeResolution", "Enable"}});
        ASSERT_EQ(c.ctrl()->m_bResolutionSwitch, 1);
        c.ctrl()->m_nViewPhase = k.phase;
        c.ctrl()->m_nSwitchDirection = k.direction;
        c.ctrl()->m_nStreamWidth = k.streamWidth;
        c.putFrame(MakeSolidJpeg(k.frameWidth, k.frameWidth * 3 / 4, {9, 9, 9}));
        c.paint();
        EXPECT_EQ(c.ctrl()->m_nStreamWidth, k.expectWidth) << static_cast<int>(k.phase) << "/" << k.direction << "/"
            << k.frameWidth;
        EXPECT_EQ(c.ctrl()->m_bResolutionSwitch, k.expectArmed) << static_cast<int>(k.phase) << "/" << k.direction
            << "/" << k.frameWidth;
        EXPECT_EQ(c.ctrl()->m_nViewPhase, PHASE_STREAMING);
    }
}

TEST(MotionComment, LevelsComeFromPayloadBytes12And13)
{
    TestContainer c;
    std::vector<std::uint8_t> payload(14, 0);
    payload[12] = 7;
    payload[13] = 30;
    const auto jpeg = WithComment(MakeSolidJpeg(16, 16, {1, 1, 1}), payload);
    EXPECT_EQ(c.ctrl()->InspectMotionComment(jpeg.data(), jpeg.data() + jpeg.size()), 0);
    EXPECT_EQ(c.ctrl()->m_chMotionBar1, 7);
    EXPECT_EQ(c.ctrl()->m_chMotionBar2, 20);

    payload[12] = 0x80;
    const auto negative = WithComment(MakeSolidJpeg(16, 16, {1, 1, 1}), payload);
    EXPECT_EQ(c.ctrl()->InspectMotionComment(negative.data(), negative.data() + negative.size()), 0);
    EXPECT_LT(c.ctrl()->m_chMotionBar1, 0);
}

TEST(MotionComment, ShortOrMissingSegmentsLeaveTheValues)
{
    TestContainer c;
    c.ctrl()->m_chMotionBar1 = 3;
    c.ctrl()->m_chMotionBar2 = 4;
    const auto plain = MakeSolidJpeg(16, 16, {1, 1, 1});
    EXPECT_EQ(c.ctrl()->InspectMotionComment(plain.data(), plain.data() + plain.size()), -1);
    const auto shortSegment = WithComment(plain, std::vector<std::uint8_t>(11, 5));
    EXPECT_EQ(c.ctrl()->InspectMotionComment(shortSegment.data(), shortSegment.data() + shortSegment.size()), -1);
    // A frame that ends inside the segment: nothing is read past its end.
    const std::vector<std::uint8_t> cut = {0xFF, 0xD8, 0xFF, 0xFE, 0x00, 0x10, 1, 2, 3};
    EXPECT_EQ(c.ctrl()->InspectMotionComment(cut.data(), cut.data() + cut.size()), -1);
    const std::vector<std::uint8_t> markerAtEnd = {0x00, 0xFF};
    EXPECT_EQ(c.ctrl()->InspectMotionComment(markerAtEnd.data(), markerAtEnd.data() + markerAtEnd.size()), -1);
    EXPECT_EQ(c.ctrl()->m_chMotionBar1, 3);
    EXPECT_EQ(c.ctrl()->m_chMotionBar2, 4);
}

} // namespace
