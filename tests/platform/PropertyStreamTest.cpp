// The stream of named properties: its exact bytes, and what a damaged or
// hostile stream gets (a refusal, never an allocation of what it claims).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/framework/PropertyStream.h"

namespace {

std::string u32(std::uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string u16(std::uint16_t v) { return {char(v), char(v >> 8)}; }
std::string head(std::uint32_t count) { return "VEPX" + u32(1) + u32(count); }
std::string named(const std::string& name, VARTYPE vt) { return u32(static_cast<std::uint32_t>(name.size())) + name + u16(vt); }

// A stream as the framework has always written one.
const std::string kSaved = head(4) + named("ImagePath", VT_BSTR) + u32(5) + "/a?b=" + named("ImageWidth", VT_I2) +
                           u16(0xFFFE) + named("_Version", VT_I4) + u32(0x00010000) + named("AutoSize", VT_BOOL) +
                           u16(0xFFFF);

bool reads(const std::string& bytes)
{
    PropertyStreamBag bag;
    PropertyStreamBytes in(bytes.data(), bytes.size());
    return ReadPropertyStream(in, bag);
}

// A source that does not know its length and records the largest read.
class UnsizedSource final : public PropertyStreamSource {
public:
    explicit UnsizedSource(std::string bytes) : m_bytes(std::move(bytes)) {}
    bool Read(void* data, std::size_t size) override
    {
        largest = std::max(largest, size);
        if (size > m_bytes.size() - m_at) return false;
        std::copy_n(m_bytes.data() + m_at, size, static_cast<char*>(data));
        m_at += size;
        return true;
    }
    std::size_t largest = 0;

private:
    std::string m_bytes;
    std::size_t m_at = 0;
};

TEST(PropertyStream, ReadsAndWritesTheSavedFormatByteForByte)
{
    PropertyStreamBag bag;
    PropertyStreamBytes in(kSaved.data(), kSaved.size());
    ASSERT_TRUE(ReadPropertyStream(in, bag));
    EXPECT_EQ(in.Remaining(), 0u);
    const auto& entries = bag.Entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(OleToUtf8(entries[0].first.data(), entries[0].first.size()), "ImagePath");
    EXPECT_EQ(BstrToUtf8(entries[0].second.bstrVal), "/a?b=");
    EXPECT_EQ(entries[1].second.vt, VT_I2);
    EXPECT_EQ(entries[1].second.iVal, -2);
    EXPECT_EQ(entries[2].second.lVal, 0x00010000);
    EXPECT_EQ(entries[3].second.boolVal, VARIANT_TRUE);
    std::string out = "kept";
    ASSERT_TRUE(WritePropertyStream(bag, out));
    EXPECT_EQ(out, "kept" + kSaved);
}

TEST(PropertyStream, ANameWrittenAgainReplacesItsValue)
{
    const std::string bytes = head(2) + named("A", VT_I4) + u32(1) + named("A", VT_I4) + u32(2);
    PropertyStreamBag bag;
    PropertyStreamBytes in(bytes.data(), bytes.size());
    ASSERT_TRUE(ReadPropertyStream(in, bag));
    ASSERT_EQ(bag.Entries().size(), 1u);
    EXPECT_EQ(bag.Entries()[0].second.lVal, 2);
}

TEST(PropertyStream, DamagedStreamsAreRefused)
{
    const std::string one = named("A", VT_I2) + u16(7);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"other magic", "VEPY" + u32(1) + u32(1) + one},
        {"other version", "VEPX" + u32(2) + u32(1) + one},
        {"cut in the head", kSaved.substr(0, 10)},
        {"cut in a text", kSaved.substr(0, 30)},
        {"cut in a number", kSaved.substr(0, kSaved.size() - 1)},
        {"more properties than there are", head(2) + one},
        {"more properties than allowed", head(1025) + std::string(1025 * 8, '\0')},
        {"a name past its bound", head(1) + named(std::string(257, 'n'), VT_I2) + u16(0)},
        {"a text past its bound", head(1) + named("A", VT_BSTR) + u32(64 * 1024 + 1) + std::string(64 * 1024 + 1, 't')},
        {"a text longer than the stream", head(1) + named("A", VT_BSTR) + u32(100) + "short"},
        {"a type the format does not hold", head(1) + named("A", VT_R8) + std::string(8, '\0')},
    };
    for (const auto& c : cases) EXPECT_FALSE(reads(c.bytes)) << c.what;
    EXPECT_TRUE(reads(head(1) + named(std::string(256, 'n'), VT_BSTR) + u32(64 * 1024) + std::string(64 * 1024, 't')));
}

TEST(PropertyStream, AClaimedLengthIsNotAllocatedBeforeItsBytesCome)
{
    // With the length known, a claim past the end is refused unread.
    const std::string claim = head(1) + named("A", VT_BSTR) + u32(60000) + "0123456789";
    PropertyStreamBytes sized(claim.data(), claim.size());
    PropertyStreamBag bag;
    EXPECT_FALSE(ReadPropertyStream(sized, bag));
    EXPECT_EQ(sized.Remaining(), 10u);

    // Without it, the text is taken in bounded pieces.
    UnsizedSource unsized(claim);
    PropertyStreamBag other;
    EXPECT_FALSE(ReadPropertyStream(unsized, other));
    EXPECT_LE(unsized.largest, 4096u);
}

TEST(PropertyStream, TheWriterRefusesWhatTheReaderWouldRefuse)
{
    PropertyStreamBag bag;
    VARIANT text = MakeVariantBstr(std::string(64 * 1024 + 1, 'x'));
    bag.Write(Utf8ToOle("ImagePath").c_str(), &text);
    VariantClear(&text);
    std::string out;
    EXPECT_FALSE(WritePropertyStream(bag, out));
    EXPECT_TRUE(out.empty());

    PropertyStreamBag unheld;
    VARIANT number = MakeVariantR8(1.5);
    unheld.Write(Utf8ToOle("Rate").c_str(), &number);
    EXPECT_FALSE(WritePropertyStream(unheld, out));
    EXPECT_TRUE(out.empty());
}

} // namespace
