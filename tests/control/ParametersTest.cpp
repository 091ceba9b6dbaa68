// The page's parameters: defaults, decoding, derived values, and what a
// save writes back.
#include <gtest/gtest.h>

#include <cstring>

#include "operation/ZoomController.h"
#include "platform/framework/PropertyStream.h"
#include "stream/StreamBuffer.h"
#include "tests/support/TestContainer.h"

namespace {

std::string valueOf(const Params& params, const std::string& name)
{
    for (const auto& [n, v] : params)
        if (n == name) return v;
    return "<absent>";
}

TEST(Parameters, NoParametersGiveTheDefaultPictureAndOnlyClickOff)
{
    TestContainer c;
    c.embed();
    auto* ctrl = c.ctrl();
    EXPECT_EQ(ctrl->m_nImageWidth, 320);
    EXPECT_EQ(ctrl->m_nImageHeight, 240);
    EXPECT_EQ(ctrl->m_nStreamWidth, 320);
    EXPECT_EQ(ctrl->m_nStreamHeight, 240);
    EXPECT_EQ(ctrl->m_ptViewCenter.x, 160);
    EXPECT_EQ(ctrl->m_ptViewCenter.y, 120);
    EXPECT_EQ(ctrl->m_ptTargetCenter.x, 160);
    EXPECT_EQ(ctrl->m_ptTargetCenter.y, 120);
    EXPECT_EQ(ctrl->m_dPanScale, 1.0);
    EXPECT_EQ(ctrl->m_byFeatures, FEATURE_CLICK_OFF);
    EXPECT_EQ(ctrl->m_pZoom, nullptr);
    EXPECT_EQ(ctrl->m_bAutoSize, TRUE);
    EXPECT_EQ(ctrl->m_bResolutionSwitch, 0);
    ASSERT_TRUE(c.site().lastSize.has_value());
    EXPECT_EQ(c.site().lastSize->right, 320);
    EXPECT_EQ(c.site().lastSize->bottom, 240);
}

TEST(Parameters, StreamSizeComesFromResolutionInThePath)
{
    TestContainer c;
    c.embed({{"ImagePath", "/nphMotionJpeg?Resolution=640x480&Quality=Standard"},
             {"ImageWidth", "320"},
             {"ImageHeight", "240"}});
    auto* ctrl = c.ctrl();
    EXPECT_EQ(ctrl->m_nStreamWidth, 640);
    EXPECT_EQ(ctrl->m_nStreamHeight, 480);
    EXPECT_EQ(ctrl->m_ptViewCenter.x, 160);
    EXPECT_EQ(ctrl->m_byFeatures, FEATURE_CLICK_OFF);
    EXPECT_EQ(ctrl->m_pStreamBuffer->GetBlock()->path, ctrl->m_strImagePath);
}

TEST(Parameters, ResolutionNumbersAreReadLikeTheCLibraryReadsThem)
{
    struct Case {
        const char* path;
        int width;
        int height;
    } cases[] = {
        {"Resolution=x", 0, 0},
        {"a?Resolution= -12x 34", -12, 34},
        {"Resolution=160", 160, 240},        // no "x": height stays the picture's
        {"Resolution=abcx120", 0, 120},      // the first "x" after "=" counts
        {"resolution=640x480", 320, 240},    // the keyword is case-sensitive
        {"Resolution=99999999999x1", 2147483647, 1},
    };
    for (const auto& k : cases) {
        TestContainer c;
        c.embed({{"ImagePath", k.path}});
        EXPECT_EQ(c.ctrl()->m_nStreamWidth, k.width) << k.path;
        EXPECT_EQ(c.ctrl()->m_nStreamHeight, k.height) << k.path;
    }
}

TEST(Parameters, ZeroWidthOrHeightFallsBackToBoth)
{
    TestContainer c;
    c.embed({{"ImageWidth", "0"}, {"ImageHeight", "480"}});
    EXPECT_EQ(c.ctrl()->m_nImageWidth, 320);
    EXPECT_EQ(c.ctrl()->m_nImageHeight, 240);
}

TEST(Parameters, DerivedValuesFollowThePictureSize)
{
    struct Case {
        const char* w;
        const char* h;
        double pan;
        int cx;
        int cy;
    } cases[] = {
        {"640", "480", 2.0, 320, 240},
        {"160", "120", 0.5, 80, 60},
        {"-7", "5", 1.0, -3, 2}, // no range check; halves round toward zero
    };
    for (const auto& k : cases) {
        TestContainer c;
        c.embed({{"ImageWidth", k.w}, {"ImageHeight", k.h}});
        EXPECT_EQ(c.ctrl()->m_dPanScale, k.pan) << k.w;
        EXPECT_EQ(c.ctrl()->m_ptViewCenter.x, k.cx) << k.w;
        EXPECT_EQ(c.ctrl()->m_ptViewCenter.y, k.cy) << k.w;
    }
}

TEST(Parameters, ClickModeIsACaseSensitivePrefixMatch)
{
    struct Case {
        const char* value;
        BYTE bits;
    } cases[] = {
        {"Real", FEATURE_CLICK_REAL},
        {"RealTime", FEATURE_CLICK_REAL},
        {"Emulate", FEATURE_CLICK_EMULATE},
        {"real", FEATURE_CLICK_OFF},
        {" Real", FEATURE_CLICK_OFF},
        {"Rea", FEATURE_CLICK_OFF},
        {"", FEATURE_CLICK_OFF},
    };
    for (const auto& k : cases) {
        TestContainer c;
        c.embed({{"ClickAndCenter", k.value}});
        EXPECT_EQ(c.ctrl()->m_byFeatures, k.bits) << '"' << k.value << '"';
    }
}

TEST(Parameters, ParameterNamesMatchWithoutRegardToCase)
{
    TestContainer c;
    c.embed({{"imagewidth", "640"}, {"IMAGEHEIGHT", "480"}, {"clickandcenter", "Emulate"}});
    EXPECT_EQ(c.ctrl()->m_nImageWidth, 640);
    EXPECT_EQ(c.ctrl()->m_nImageHeight, 480);
    EXPECT_EQ(c.ctrl()->m_byFeatures, FEATURE_CLICK_EMULATE);
}

TEST(Parameters, ValuesThatDoNotConvertLeaveTheDefault)
{
    TestContainer c;
    c.embed({{"ImageWidth", " 640 "}, {"ImageHeight", "48o"}, {"Language", "40000"}, {"TaskId", "-32768"},
             {"AutoSize", "fAlSe"}});
    EXPECT_EQ(c.ctrl()->m_nImageWidth, 640);
    EXPECT_EQ(c.ctrl()->m_nImageHeight, 240);
    EXPECT_EQ(c.ctrl()->m_nLanguage, 0);
    EXPECT_EQ(c.ctrl()->m_nTaskId, -32768);
    EXPECT_EQ(c.ctrl()->m_bAutoSize, FALSE);
}

TEST(Parameters, ControlZoomWinsOverDigitalZoomAndMakesTheZoomObjectWithDefaults)
{
    TestContainer c;
    c.embed({{"DigitalZoom", "Enable"}, {"ControlZoom", "Enable"}});
    auto* ctrl = c.ctrl();
    EXPECT_EQ(ctrl->m_byFeatures, FEATURE_OPTICAL_ZOOM | FEATURE_CLICK_OFF);
    ASSERT_NE(ctrl->m_pZoom, nullptr);
    EXPECT_EQ(ctrl->m_pZoom->GetMaxSpeed(), 362);
    EXPECT_EQ(ctrl->m_pZoom->GetMinSpeed(), 5);
    EXPECT_EQ(ctrl->m_pZoom->GetMaxMag(), 4200);
    EXPECT_EQ(ctrl->m_pZoom->GetMinMag(), 100);
}

TEST(Parameters, ZoomLimitsComeFromThePageInTheirOwnOrder)
{
    TestContainer c;
    c.embed({{"ControlZoom", "Enabled"}, {"maxMag", "1000"}, {"minMag", "200"}, {"maxSpeed", "50"}, {"minSpeed", "2"}});
    ASSERT_NE(c.ctrl()->m_pZoom, nullptr);
    EXPECT_EQ(c.ctrl()->m_pZoom->GetMaxSpeed(), 50);
    EXPECT_EQ(c.ctrl()->m_pZoom->GetMinSpeed(), 2);
    EXPECT_EQ(c.ctrl()->m_pZoom->GetMaxMag(), 1000);
    EXPECT_EQ(c.ctrl()->m_pZoom->GetMinMag(), 200);
}

TEST(Parameters, DigitalZoomAloneMakesNoZoomObject)
{
    TestContainer c;
    c.embed({{"DigitalZoom", "Enable"}, {"UseChangeResolution", "Enable"}, {"MotionDetect", "Settings"}});
    EXPECT_EQ(c.ctrl()->m_byFeatures,
              FEATURE_DIGITAL_ZOOM | FEATURE_CHANGE_RESOLUTION | FEATURE_MOTION_SETTING | FEATURE_CLICK_OFF);
    EXPECT_EQ(c.ctrl()->m_pZoom, nullptr);
}

TEST(Parameters, ResolutionSwitchingIsArmedOnlyForTheTwoSmallSizes)
{
    struct Case {
        const char* w;
        const char* h;
        BYTE armed;
    } cases[] = {{"160", "120", 1}, {"320", "240", 1}, {"640", "480", 0}, {"320", "180", 0}};
    for (const auto& k : cases) {
        TestContainer c;
        c.embed({{"UseChangeResolution", "Enable"}, {"ImageWidth", k.w}, {"ImageHeight", k.h}});
        EXPECT_EQ(c.ctrl()->m_bResolutionSwitch, k.armed) << k.w << "x" << k.h;
    }
}

TEST(Parameters, ControlTargetIsCutToSixteenCharacters)
{
    TestContainer c;
    c.embed({{"ControlTarget", "nphControlCamera_and_more"}});
    EXPECT_STREQ(c.ctrl()->m_szControlTarget, "nphControlCamera");
    EXPECT_EQ(std::strlen(c.ctrl()->m_szControlTarget), 16u);
}

TEST(Parameters, SaveWritesValuesBackAndTextParametersEmpty)
{
    TestContainer c;
    c.embed({{"ImagePath", "/cgi?Resolution=640x480"},
             {"ImageWidth", "640"},
             {"ImageHeight", "480"},
             {"AutoSize", "0"},
             {"Language", "1"},
             {"ImageHeader", "Front door"},
             {"TaskId", "3"},
             {"ClickAndCenter", "Real"},
             {"ControlTarget", "nphControlCamera"}});
    const Params saved = c.save();
    EXPECT_EQ(valueOf(saved, "_Version"), "65536");
    EXPECT_EQ(valueOf(saved, "ImagePath"), "/cgi?Resolution=640x480");
    EXPECT_EQ(valueOf(saved, "ImageWidth"), "640");
    EXPECT_EQ(valueOf(saved, "ImageHeight"), "480");
    EXPECT_EQ(valueOf(saved, "AutoSize"), "0");
    EXPECT_EQ(valueOf(saved, "Language"), "1");
    EXPECT_EQ(valueOf(saved, "ImageHeader"), "Front door");
    EXPECT_EQ(valueOf(saved, "TaskId"), "3");
    for (const char* name : {"DigitalZoom", "ControlZoom", "ClickAndCenter", "ControlTarget", "UseChangeResolution",
                             "MotionDetect"})
        EXPECT_EQ(valueOf(saved, name), "") << name;
    EXPECT_EQ(valueOf(saved, "maxMag"), "<absent>");
}

TEST(Parameters, SaveLeavesTheFeatureBitsAndControlTargetAlone)
{
    TestContainer c;
    c.embed({{"ClickAndCenter", "Real"}, {"ControlTarget", "nphControlCamera"}});
    c.save();
    EXPECT_EQ(c.ctrl()->m_byFeatures, FEATURE_CLICK_REAL);
    EXPECT_STREQ(c.ctrl()->m_szControlTarget, "nphControlCamera");
}

TEST(Parameters, SavedParametersLoadIntoAnEqualControl)
{
    TestContainer first;
    first.embed({{"ImagePath", "/x?Resolution=160x120"}, {"ImageWidth", "160"}, {"ImageHeight", "120"}, {"AutoSize", "false"}});
    const Params saved = first.save();
    TestContainer second;
    second.embed(saved);
    EXPECT_EQ(second.ctrl()->m_strImagePath, "/x?Resolution=160x120");
    EXPECT_EQ(second.ctrl()->m_nImageWidth, 160);
    EXPECT_EQ(second.ctrl()->m_bAutoSize, FALSE);
    EXPECT_EQ(second.ctrl()->m_nStreamWidth, 160);
}

TEST(Parameters, ASavedStreamLoadsIntoAnEqualControlAndADamagedOneLoadsNothing)
{
    TestContainer first;
    first.embed({{"ImagePath", "/x?Resolution=160x120"}, {"ImageWidth", "160"}, {"ImageHeight", "120"}, {"TaskId", "-32768"}});
    std::string saved;
    ASSERT_EQ(first.ctrl()->SaveStream(saved), S_OK);

    TestContainer second;
    second.siteControl();
    PropertyStreamBytes bytes(saved.data(), saved.size());
    ASSERT_EQ(second.ctrl()->LoadStream(bytes), S_OK);
    EXPECT_EQ(second.ctrl()->m_strImagePath, "/x?Resolution=160x120");
    EXPECT_EQ(second.ctrl()->m_nImageWidth, 160);
    EXPECT_EQ(second.ctrl()->m_nTaskId, -32768);
    EXPECT_EQ(second.ctrl()->m_nStreamWidth, 160);

    // Cut anywhere, the stream is refused before any property is loaded.
    for (std::size_t cut : {std::size_t{0}, std::size_t{11}, saved.size() / 2, saved.size() - 1}) {
        TestContainer third;
        third.embed({{"ImagePath", "/kept"}});
        PropertyStreamBytes damaged(saved.data(), cut);
        EXPECT_EQ(third.ctrl()->LoadStream(damaged), E_FAIL) << cut;
        EXPECT_EQ(third.ctrl()->m_strImagePath, "/kept") << cut;
    }
}

TEST(Parameters, ATextTheStreamCannotHoldFailsTheSaveInsteadOfWritingAnUnreadableStream)
{
    TestContainer c;
    c.embed({{"ImagePath", std::string(64 * 1024 + 1, 'p')}});
    std::string saved = "kept";
    EXPECT_EQ(c.ctrl()->SaveStream(saved), E_FAIL);
    EXPECT_EQ(saved, "kept");
}

TEST(Parameters, SecondLoadStartsNothingTwiceAndKeepsTheBits)
{
    TestContainer c;
    c.embed({{"ClickAndCenter", "Emulate"}, {"ControlZoom", "Enable"}, {"ImagePath", "a?Resolution=640x480"}});
    auto* ctrl = c.ctrl();
    CStreamClient* client = ctrl->m_pStreamClient;
    CZoomController* zoom = ctrl->m_pZoom;
    const UINT timer = ctrl->m_nTimerId;
    ASSERT_NE(client, nullptr);
    ASSERT_NE(zoom, nullptr);
    ASSERT_NE(timer, 0u);
    EXPECT_EQ(c.events().count(DISPID_READYSTATECHANGE), 1);

    c.load({{"ImagePath", "a?Resolution=160x120"}, {"maxMag", "999"}});
    EXPECT_EQ(ctrl->m_pStreamClient, client);
    EXPECT_EQ(ctrl->m_pZoom, zoom);
    EXPECT_EQ(ctrl->m_pZoom->GetMaxMag(), 4200);
    EXPECT_EQ(ctrl->m_nTimerId, timer);
    EXPECT_EQ(c.events().count(DISPID_READYSTATECHANGE), 1);
    // Bits are only ever added: the second page's empty click text adds Off.
    EXPECT_EQ(ctrl->m_byFeatures, FEATURE_CLICK_EMULATE | FEATURE_OPTICAL_ZOOM | FEATURE_CLICK_OFF);
    // The sizes are derived again from the new path.
    EXPECT_EQ(ctrl->m_nStreamWidth, 160);
    EXPECT_EQ(ctrl->m_pStreamBuffer->GetBlock()->path, "a?Resolution=160x120");
}

TEST(Parameters, ResetExchangeLoadsDefaultsAndReportsLoading)
{
    TestContainer c;
    c.siteControl();
    c.initNew();
    EXPECT_EQ(c.ctrl()->GetReadyState(), READYSTATE_LOADING);
    EXPECT_EQ(c.events().count(DISPID_READYSTATECHANGE), 1);
    EXPECT_EQ(c.ctrl()->m_byFeatures, FEATURE_CLICK_OFF);
    EXPECT_NE(c.ctrl()->m_pStreamClient, nullptr);
}

} // namespace
