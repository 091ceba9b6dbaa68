// The per-pixel row conversion: the vector path and the scalar path give
// the same words for every length, and neither reads past the row.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/gdi/PixelRows.h"

namespace {

std::uint32_t expected(const std::vector<std::uint8_t>& bgr, size_t i)
{
    return static_cast<std::uint32_t>(bgr[3 * i + 2]) << 16 | static_cast<std::uint32_t>(bgr[3 * i + 1]) << 8 | bgr[3 * i];
}

TEST(PixelRows, EveryLengthConvertsExactlyAndStaysInsideTheRow)
{
    std::mt19937 random(7);
    for (size_t n = 0; n <= 70; ++n) {
        // Exactly 3 n bytes on the heap, so that an overread is caught by
        // the address sanitizer.
        std::vector<std::uint8_t> bgr(3 * n);
        for (auto& b : bgr) b = static_cast<std::uint8_t>(random());
        std::vector<std::uint32_t> fast(n + 1, 0xDEADBEEF), scalar(n + 1, 0xDEADBEEF);
        BgrToXrgb(bgr.data(), n, fast.data());
        BgrToXrgbScalar(bgr.data(), n, scalar.data());
        for (size_t i = 0; i < n; ++i) {
            ASSERT_EQ(fast[i], expected(bgr, i)) << "n " << n << " pixel " << i;
            ASSERT_EQ(scalar[i], expected(bgr, i)) << "n " << n << " pixel " << i;
        }
        // Nothing written past the n words.
        EXPECT_EQ(fast[n], 0xDEADBEEFu);
        EXPECT_EQ(scalar[n], 0xDEADBEEFu);
    }
}

} // namespace
