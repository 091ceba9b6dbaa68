// GUID text, BSTR and VARIANT ownership, UTF conversions.
#include <gtest/gtest.h>

#include "platform/com/Guid.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/com/linux/StandInCom.h"

namespace {

TEST(Guid, TextRoundTripAndRejects)
{
    const GUID g = {0x4D8D78A3, 0x35E9, 0x499D, {0x87, 0x71, 0x4A, 0xDA, 0x88, 0x76, 0xB7, 0x86}};
    EXPECT_EQ(GuidToString(g), "{4D8D78A3-35E9-499D-8771-4ADA8876B786}");
    EXPECT_EQ(GuidFromString("{4d8d78a3-35e9-499d-8771-4ada8876b786}"), g);
    EXPECT_EQ(GuidFromString("4D8D78A3-35E9-499D-8771-4ADA8876B786"), g);
    EXPECT_FALSE(GuidFromString("{4D8D78A3-35E9-499D-8771-4ADA8876B78}"));
    EXPECT_FALSE(GuidFromString("{4D8D78A3-35E9-499D-8771-4ADA8876B786"));
    EXPECT_FALSE(GuidFromString("{4D8D78A3-35E9-499D-8771x4ADA8876B786}"));
    EXPECT_FALSE(GuidFromString("{4D8D78G3-35E9-499D-8771-4ADA8876B786}"));
    EXPECT_FALSE(GuidFromString(""));
}

TEST(Bstr, LengthPrefixAndTermination)
{
    const char16_t text[] = u"ab\0cd";
    BSTR b = SysAllocStringLen(text, 5);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SysStringLen(b), 5u);
    EXPECT_EQ(b[5], 0);
    SysFreeString(b);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);
    BSTR c = SysAllocString(u"camera");
    EXPECT_EQ(SysStringLen(c), 6u);
    SysFreeString(c);
}

TEST(Utf, RoundTripAndInvalidInput)
{
    const std::string text = "Kamera \xC3\xBC \xF0\x9F\x93\xB7";
    EXPECT_EQ(standin::Utf16ToUtf8(standin::Utf8ToUtf16(text)), text);
    EXPECT_EQ(standin::Utf8ToUtf16("\xC3"), u"\uFFFD");
    EXPECT_EQ(standin::Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(standin::Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // surrogate
    EXPECT_EQ(standin::Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Variant, CopyOwnsItsOwnStringAndClearEmpties)
{
    VARIANT a = MakeVariantBstr("http://camera/");
    VARIANT b;
    VariantInit(&b);
    ASSERT_EQ(VariantCopy(&b, &a), S_OK);
    EXPECT_NE(a.bstrVal, b.bstrVal);
    VariantClear(&a);
    EXPECT_EQ(a.vt, VT_EMPTY);
    EXPECT_EQ(standin::Utf16ToUtf8(b.bstrVal), "http://camera/");
    VariantClear(&b);
}

} // namespace
