// Reading viewer pages: the OBJECTs and PARAMs a browser would find.
#include <gtest/gtest.h>

#include "host/core/page/ViewerPage.h"

namespace {

TEST(ViewerPage, ObjectsWithTheirSizesAndParamsInDocumentOrder)
{
    const auto objects = ParseViewerPage(R"(<html><body>
<OBJECT CLASSID="clsid:4D8D78A3-35E9-499D-8771-4ADA8876B786" WIDTH=640 HEIGHT="480">
  <PARAM NAME="ImagePath" VALUE="?Resolution=640x480&amp;Quality=Standard">
  <param name=DigitalZoom value=Enable>
</OBJECT>
<object classid="CLSID:09EF6554-603C-4370-A96F-173992656FBF" width="50%"></object>
</body></html>)");
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0].classId, "4D8D78A3-35E9-499D-8771-4ADA8876B786");
    EXPECT_EQ(objects[0].width, 640);
    EXPECT_EQ(objects[0].height, 480);
    ASSERT_EQ(objects[0].params.size(), 2u);
    EXPECT_EQ(objects[0].params[0].first, "ImagePath");
    EXPECT_EQ(objects[0].params[0].second, "?Resolution=640x480&Quality=Standard");
    EXPECT_EQ(objects[0].params[1].first, "DigitalZoom");
    EXPECT_EQ(objects[0].params[1].second, "Enable");
    EXPECT_EQ(objects[1].classId, "09EF6554-603C-4370-A96F-173992656FBF");
    EXPECT_EQ(objects[1].width, 0);
    EXPECT_TRUE(objects[1].params.empty());
}

TEST(ViewerPage, BrokenMarkupIsRecoveredAsABrowserWould)
{
    const auto objects = ParseViewerPage(
        "<table><tr><td><object classid=clsid:ABC width=320 height=240><param name=A value=1><param name=B value=2"
        "</td></tr><p>unclosed <b>tags");
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0].classId, "ABC");
    ASSERT_GE(objects[0].params.size(), 1u);
    EXPECT_EQ(objects[0].params[0].first, "A");
}

TEST(ViewerPage, PagesWithoutObjectsGiveNone)
{
    EXPECT_TRUE(ParseViewerPage("").empty());
    EXPECT_TRUE(ParseViewerPage("<html><body><p>no camera here</p></body></html>").empty());
    EXPECT_TRUE(ParseViewerPage(std::string("\0\1\2<<<>>>", 9)).empty());
}

} // namespace
