// Decoded frames against an independent decoder: djpeg with the same fast
// settings, writing BMP, whose rows must equal the bitmap's byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sys/wait.h>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/Image.h"

namespace {

using Bytes = std::vector<unsigned char>;

class Oracle : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(std::system("command -v cjpeg >/dev/null && command -v djpeg >/dev/null"), 0)
            << "cjpeg and djpeg (libjpeg-turbo-progs) are needed; scripts/setup installs them";
    }

    std::string path(const std::string& name) const { return ::testing::TempDir() + "/ve_oracle_" + name; }

    static Bytes readFile(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

    // A picture with edges, gradients and colour, as a binary PPM.
    void writeSource(const std::string& file, int width, int height)
    {
        std::ofstream out(file, std::ios::binary);
        out << "P6\n" << width << " " << height << "\n255\n";
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned char r = static_cast<unsigned char>((x * 255) / std::max(width - 1, 1));
                const unsigned char g = static_cast<unsigned char>((y * 255) / std::max(height - 1, 1));
                const unsigned char b = static_cast<unsigned char>(((x / 7 + y / 5) % 2) ? 220 : 30);
                out.put(static_cast<char>(r)).put(static_cast<char>(g)).put(static_cast<char>(b));
            }
    }

    Bytes encode(const std::string& name, int width, int height, const std::string& options)
    {
        const std::string ppm = path(name + ".ppm");
        const std::string jpg = path(name + ".jpg");
        writeSource(ppm, width, height);
        const std::string cmd = "cjpeg " + options + " -outfile '" + jpg + "' '" + ppm + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
        return readFile(jpg);
    }

    // djpeg's BMP of the given file: its 24-bit rows, bottom-up, padded.
    Bytes reference(const std::string& name, const Bytes& jpeg, int* width, int* height, int denom = 1)
    {
        const std::string jpg = path(name + ".in.jpg");
        const std::string bmp = path(name + ".bmp");
        std::ofstream(jpg, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), static_cast<long>(jpeg.size()));
        const std::string scale = denom > 1 ? " -scale 1/" + std::to_string(denom) : "";
        const std::string cmd = "djpeg -bmp -rgb -dct fast -nosmooth" + scale + " -outfile '" + bmp + "' '" + jpg + "' 2>/dev/null";
        // djpeg exits with 2 when the library warned (a truncated file).
        const int status = std::system(cmd.c_str());
        EXPECT_TRUE(WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 2)) << cmd;
        const Bytes file = readFile(bmp);
        if (file.size() < 54) return {};
        auto le32 = [&](size_t at) {
            return static_cast<int>(file[at] | file[at + 1] << 8 | file[at + 2] << 16 | file[at + 3] << 24);
        };
        *width = le32(18);
        *height = le32(22);
        const int bits = file[28] | file[29] << 8;
        EXPECT_EQ(bits, 24);
        return Bytes(file.begin() + le32(10), file.end());
    }

    // Decodes with CImage and compares every pixel row with djpeg's.
    void expectSameAsDjpeg(const std::string& name, const Bytes& jpeg, bool grey = false, int denom = 1)
    {
        int width = 0, height = 0;
        const Bytes rows = reference(name, jpeg, &width, &height, denom);
        CImage image(jpeg.data(), static_cast<int>(jpeg.size()), denom);
        ASSERT_EQ(image.GetWidth(), width) << name;
        ASSERT_EQ(image.GetHeight(), height) << name;
        ASSERT_EQ(image.GetBitCount(), grey ? 8 : 24) << name;
        const size_t refRow = static_cast<size_t>(((24 * width + 31) / 32) * 4);
        ASSERT_GE(rows.size(), refRow * static_cast<size_t>(height));
        const BYTE* bits = image.GetBits();
        const int rowBytes = image.GetRowBytes();
        for (int r = 0; r < height; ++r) {
            const BYTE* ours = bits + static_cast<long>(r) * rowBytes;
            const unsigned char* theirs = rows.data() + static_cast<size_t>(r) * refRow;
            for (int x = 0; x < width; ++x) {
                if (grey) {
                    ASSERT_EQ(ours[x], theirs[3 * x]) << name << " row " << r << " x " << x;
                } else {
                    ASSERT_EQ(ours[3 * x], theirs[3 * x]) << name << " row " << r << " x " << x << " blue";
                    ASSERT_EQ(ours[3 * x + 1], theirs[3 * x + 1]) << name << " row " << r << " x " << x << " green";
                    ASSERT_EQ(ours[3 * x + 2], theirs[3 * x + 2]) << name << " row " << r << " x " << x << " red";
                }
            }
            // The padding of each row stays zero.
            const int used = grey ? width : 3 * width;
            for (int p = used; p < rowBytes; ++p) ASSERT_EQ(ours[p], 0) << name << " padding";
        }
    }
};

TEST_F(Oracle, SubsamplingVariants)
{
    expectSameAsDjpeg("420", encode("420", 64, 48, "-sample 2x2"));
    expectSameAsDjpeg("422", encode("422", 64, 48, "-sample 2x1"));
    expectSameAsDjpeg("444", encode("444", 64, 48, "-sample 1x1"));
}

TEST_F(Oracle, Grayscale)
{
    const Bytes jpeg = encode("grey", 40, 30, "-grayscale");
    expectSameAsDjpeg("grey", jpeg, true);
    CImage image(jpeg.data(), static_cast<int>(jpeg.size()));
    EXPECT_EQ(image.GetColorFlags(), 3);
    unsigned char r = 0, g = 0, b = 0;
    ASSERT_EQ(image.GetPixelRGB(3, 4, &r, &g, &b), 1);
    EXPECT_EQ(r, image.GetPixelIndex(3, 4));
    EXPECT_EQ(g, r);
    EXPECT_EQ(b, r);
}

TEST_F(Oracle, ProgressiveRestartAndArithmeticCoding)
{
    expectSameAsDjpeg("progressive", encode("progressive", 64, 48, "-progressive"));
    expectSameAsDjpeg("restart", encode("restart", 64, 48, "-restart 1"));
    expectSameAsDjpeg("arithmetic", encode("arithmetic", 64, 48, "-arithmetic"));
}

TEST_F(Oracle, OddWidths)
{
    for (int width : {17, 101, 321}) {
        const std::string name = "odd" + std::to_string(width);
        expectSameAsDjpeg(name, encode(name, width, 23, "-sample 2x2"));
    }
}

TEST_F(Oracle, FileCutInItsScanDataDecodesToFullSize)
{
    Bytes jpeg = encode("cut", 64, 48, "-sample 2x2");
    jpeg.resize(jpeg.size() * 6 / 10);
    expectSameAsDjpeg("cut", jpeg);
    CImage image(jpeg.data(), static_cast<int>(jpeg.size()));
    EXPECT_EQ(image.GetImpl()->Load(jpeg.data(), static_cast<int>(jpeg.size())), 1);
}

// Decoded at a half, a quarter and an eighth of its size, a picture is
// what djpeg -scale gives, byte for byte, for every kind and odd sizes,
// and still knows its own size.
TEST_F(Oracle, ScaledDecodesMatchDjpegsScale)
{
    const struct {
        const char* name;
        int width, height;
        const char* options;
        bool grey;
    } kinds[] = {
        {"s420", 64, 48, "-sample 2x2", false}, {"s422", 64, 48, "-sample 2x1", false},
        {"s444", 64, 48, "-sample 1x1", false}, {"sgrey", 40, 30, "-grayscale", true},
        {"sprogressive", 64, 48, "-progressive", false}, {"sodd", 101, 23, "-sample 2x2", false},
    };
    for (const auto& k : kinds) {
        const Bytes jpeg = encode(k.name, k.width, k.height, k.options);
        for (int denom : {2, 4, 8}) {
            const std::string name = std::string(k.name) + "-1-" + std::to_string(denom);
            expectSameAsDjpeg(name, jpeg, k.grey, denom);
            CImage image(jpeg.data(), static_cast<int>(jpeg.size()), denom);
            EXPECT_EQ(image.GetSourceWidth(), k.width) << name;
            EXPECT_EQ(image.GetSourceHeight(), k.height) << name;
        }
    }
}

TEST_F(Oracle, ExtraBytesAfterTheEndAreIgnored)
{
    Bytes jpeg = encode("tail", 32, 16, "");
    Bytes longer = jpeg;
    longer.insert(longer.end(), 500, 0xAB);
    CImage a(jpeg.data(), static_cast<int>(jpeg.size()));
    CImage b(longer.data(), static_cast<int>(longer.size()));
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    EXPECT_EQ(0, std::memcmp(a.GetBits(), b.GetBits(), static_cast<size_t>(a.GetRowBytes() * a.GetHeight())));
}

} // namespace
