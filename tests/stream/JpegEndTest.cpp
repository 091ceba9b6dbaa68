// Where a picture ends, found by walking it: for every kind of JPEG the
// tests and the fuzz corpus have, handed over in every split, the walk
// ends exactly after the picture's own end-of-image marker, whatever lies
// in its segments, its coded data or after it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "stream/JpegEnd.h"
#include "tests/support/JpegFactory.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes picture(Sampling sampling)
{
    return MakeJpeg(48, 40, [](int x, int y) { return Rgb{static_cast<std::uint8_t>(x * 5), static_cast<std::uint8_t>(y * 6), 90}; },
                    sampling, 80);
}

// A JPEG made by cjpeg with the given options from a picture made here.
Bytes cjpeg(const std::string& options)
{
    const std::string ppm = ::testing::TempDir() + "/ve_jpegend.ppm";
    const std::string jpg = ::testing::TempDir() + "/ve_jpegend.jpg";
    {
        std::ofstream out(ppm, std::ios::binary);
        out << "P6\n64 48\n255\n";
        for (int i = 0; i < 64 * 48; ++i) out.put(static_cast<char>(i * 7)).put(static_cast<char>(i / 3)).put(static_cast<char>(i % 251));
    }
    const std::string cmd = "cjpeg " + options + " -outfile '" + jpg + "' '" + ppm + "'";
    if (std::system(cmd.c_str()) != 0) return {};
    return readFile(jpg);
}

// An APP1 segment holding a whole small JPEG (as an Exif thumbnail does),
// put after the start-of-image marker.
Bytes withThumbnail(const Bytes& jpeg, const Bytes& thumbnail)
{
    const std::size_t length = thumbnail.size() + 2;
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), {0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
    out.insert(out.end(), thumbnail.begin(), thumbnail.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

// Fill bytes (0xFF) before every marker after the first segment.
Bytes withFillBytes(const Bytes& jpeg)
{
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    std::size_t p = 2;
    while (p + 4 <= jpeg.size() && jpeg[p] == 0xFF && jpeg[p + 1] != 0xDA) {
        const std::size_t length = static_cast<std::size_t>(jpeg[p + 2]) << 8 | jpeg[p + 3];
        out.insert(out.end(), {0xFF, 0xFF});
        out.insert(out.end(), jpeg.begin() + static_cast<long>(p), jpeg.begin() + static_cast<long>(p + 2 + length));
        p += 2 + length;
    }
    out.insert(out.end(), {0xFF, 0xFF, 0xFF});
    out.insert(out.end(), jpeg.begin() + static_cast<long>(p), jpeg.end());
    return out;
}

struct Case {
    std::string name;
    Bytes bytes;
    std::size_t end; // 0: the walk never ends
};

std::vector<Case> corpus()
{
    const std::string fuzz = std::string(VE_SOURCE_DIR) + "/fuzz/corpus/";
    std::vector<Case> cases;
    const auto whole = [&](std::string name, Bytes b) {
        const std::size_t n = b.size();
        cases.push_back({std::move(name), std::move(b), n});
    };
    whole("444", picture(Sampling::S444));
    whole("422", picture(Sampling::S422));
    whole("420", picture(Sampling::S420));
    whole("grey", picture(Sampling::Grey));
    whole("progressive", cjpeg("-progressive"));
    whole("restart markers", cjpeg("-restart 1B"));
    whole("arithmetic", cjpeg("-arithmetic"));
    whole("optimised", cjpeg("-optimize -sample 1x1"));
    for (const char* file : {"image_decode/baseline.jpg", "image_decode/grey-restart.jpg", "image_decode/progressive.jpg",
                             "motion_comment/comment.jpg"})
        whole(file, readFile(fuzz + file));
    const Bytes base = picture(Sampling::S420);
    whole("end marker in a comment", WithComment(base, {0xFF, 0xD9, 0xFF, 0xD9, 0x00}));
    whole("thumbnail with its own end", withThumbnail(base, picture(Sampling::Grey)));
    whole("fill bytes before markers", withFillBytes(base));
    // Whatever follows the picture is not its part: the boundary, garbage.
    Bytes tail = base;
    for (const char* more : {"\r\n--myboundary\r\n\r\n", "\xFF\xD9\xFF\xD8"}) tail.insert(tail.end(), more, more + std::strlen(more));
    cases.push_back({"bytes after the end", tail, base.size()});
    // Pictures that never end: cut short, or no JPEG at all.
    cases.push_back({"truncated", readFile(fuzz + "image_decode/truncated.jpg"), 0});
    cases.push_back({"cut in the coded data", Bytes(base.begin(), base.end() - 40), 0});
    // A stray byte between two segments (which a decoder skips with a
    // warning): damaged, so the part's boundary ends it.
    cases.push_back({"junk before a marker", readFile(fuzz + "image_decode/huge-progressive-header.jpg"), 0});
    cases.push_back({"not a JPEG", Bytes{'-', '-', 'm', 'y', 0xFF, 0xD8, 0xFF, 0xD9}, 0});
    cases.push_back({"segment length below 2", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01, 0xFF, 0xD9}, 0});
    cases.push_back({"stuffed zero where a marker belongs", Bytes{0xFF, 0xD8, 0xFF, 0x00, 0xFF, 0xD9}, 0});
    return cases;
}

TEST(JpegEnd, EveryCorpusPictureEndsAtItsOwnEndMarkerHoweverItIsSplit)
{
    for (const Case& c : corpus()) {
        ASSERT_GT(c.bytes.size(), 4u) << c.name << ": missing (cjpeg, the fuzz corpus)";
        // Fed a byte more at a time: nothing until the marker's last byte.
        CJpegEnd grown;
        for (std::size_t held = 0; held <= c.bytes.size(); ++held) {
            const std::size_t expected = c.end && held >= c.end ? c.end : 0;
            ASSERT_EQ(grown.Walk(c.bytes.data(), held), expected) << c.name << ", " << held << " bytes held";
        }
        // In two pieces, split at every position.
        for (std::size_t split = 0; split <= c.bytes.size(); ++split) {
            CJpegEnd walk;
            walk.Walk(c.bytes.data(), split);
            ASSERT_EQ(walk.Walk(c.bytes.data(), c.bytes.size()), c.end) << c.name << ", split at " << split;
        }
        if (c.end) {
            EXPECT_EQ(c.bytes[c.end - 2], 0xFF) << c.name;
            EXPECT_EQ(c.bytes[c.end - 1], 0xD9) << c.name;
        }
    }
}

} // namespace
