// Conversion of property texts and the property bag's name matching.
#include <gtest/gtest.h>

#include "platform/framework/PropExchange.h"
#include "platform/framework/linux/TextPropertyBag.h"

namespace {

TEST(PropertyText, SixteenBitNumbers)
{
    EXPECT_EQ(ParseShortProperty("640"), 640);
    EXPECT_EQ(ParseShortProperty("  -32768 "), -32768);
    EXPECT_EQ(ParseShortProperty("+32767"), 32767);
    EXPECT_EQ(ParseShortProperty("\t12\t"), 12);
    EXPECT_FALSE(ParseShortProperty("32768"));
    EXPECT_FALSE(ParseShortProperty("-32769"));
    EXPECT_FALSE(ParseShortProperty("99999999999999999999999"));
    EXPECT_FALSE(ParseShortProperty(""));
    EXPECT_FALSE(ParseShortProperty("  "));
    EXPECT_FALSE(ParseShortProperty("-"));
    EXPECT_FALSE(ParseShortProperty("12px"));
    EXPECT_FALSE(ParseShortProperty("1 2"));
    EXPECT_FALSE(ParseShortProperty("0x10"));
}

TEST(PropertyText, Booleans)
{
    EXPECT_EQ(ParseBoolProperty("true"), true);
    EXPECT_EQ(ParseBoolProperty("TRUE"), true);
    EXPECT_EQ(ParseBoolProperty(" False "), false);
    EXPECT_EQ(ParseBoolProperty("-1"), true);
    EXPECT_EQ(ParseBoolProperty("0"), false);
    EXPECT_EQ(ParseBoolProperty("7"), true);
    EXPECT_FALSE(ParseBoolProperty("yes"));
    EXPECT_FALSE(ParseBoolProperty(""));
}

TEST(PropertyBag, NamesMatchInAnyCaseAndKeepTheirFirstSpelling)
{
    // Of a page's two PARAMs of one name the first counts, as in the
    // Windows viewer; a property written later replaces it.
    TextPropertyBag bag({{"ImagePath", "/a"}, {"imagepath", "/b"}});
    ASSERT_EQ(bag.entries().size(), 1u);
    EXPECT_EQ(bag.entries()[0].first, "ImagePath");
    EXPECT_EQ(bag.get("IMAGEPATH"), "/a");
    EXPECT_FALSE(bag.get("Image"));
    bag.set("IMAGEPATH", "/c");
    EXPECT_EQ(bag.get("ImagePath"), "/c");
    EXPECT_EQ(bag.entries()[0].first, "ImagePath");
}

TEST(PropertyBag, LoadExchangeUsesDefaultsForAbsentAndUnconvertibleValues)
{
    TextPropertyBag bag({{"Width", "abc"}, {"Name", "camera"}, {"On", "false"}});
    CPropbagLoadExchange px(&bag);
    SHORT width = 1;
    SHORT height = 2;
    std::string name;
    BOOL on = TRUE;
    PX_Short(&px, "width", width, 320);
    PX_Short(&px, "Height", height, 240);
    PX_String(&px, "NAME", name, "");
    PX_Bool(&px, "on", on, TRUE);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    EXPECT_EQ(name, "camera");
    EXPECT_EQ(on, FALSE);
}

TEST(PropertyBag, SaveThenLoadRoundTrips)
{
    TextPropertyBag bag;
    {
        CPropbagSaveExchange px(&bag);
        SHORT s = -5;
        LONG l = 70000;
        BOOL b = TRUE;
        std::string t = "Grüße \"quoted\"";
        PX_Short(&px, "S", s, 0);
        PX_Long(&px, "L", l, 0);
        PX_Bool(&px, "B", b, FALSE);
        PX_String(&px, "T", t, "");
    }
    CPropbagLoadExchange px(&bag);
    SHORT s = 0;
    LONG l = 0;
    BOOL b = FALSE;
    std::string t;
    PX_Short(&px, "S", s, 0);
    PX_Long(&px, "L", l, 0);
    PX_Bool(&px, "B", b, FALSE);
    PX_String(&px, "T", t, "");
    EXPECT_EQ(s, -5);
    EXPECT_EQ(l, 70000);
    EXPECT_EQ(b, TRUE);
    EXPECT_EQ(t, "Grüße \"quoted\"");
}

TEST(PropertyBag, ResetExchangeAssignsDefaultsAndCountsAsLoading)
{
    CResetPropExchange px;
    EXPECT_TRUE(px.IsLoading());
    SHORT s = 9;
    std::string t = "x";
    PX_Short(&px, "S", s, 4);
    PX_String(&px, "T", t, "d");
    EXPECT_EQ(s, 4);
    EXPECT_EQ(t, "d");
}

} // namespace
