// The per-pixel row conversion: every path the processor has (scalar,
// SSSE3, AVX2) gives the same words for every length, and none reads past
// the row or writes past its n words.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/gdi/linux/PixelRows.h"

namespace {

std::uint32_t expected(const std::vector<std::uint8_t>& bgr, size_t i)
{
    return static_cast<std::uint32_t>(bgr[3 * i + 2]) << 16 | static_cast<std::uint32_t>(bgr[3 * i + 1]) << 8 | bgr[3 * i];
}

TEST(PixelRows, EveryPathAndLengthConvertsExactlyAndStaysInsideTheRow)
{
    std::mt19937 random(7);
    for (const auto& [name, convert] : BgrToXrgbPaths()) {
        for (size_t n = 0; n <= 70; ++n) {
            // Exactly 3 n bytes on the heap, so that an overread is caught by
            // the address sanitizer.
            std::vector<std::uint8_t> bgr(3 * n);
            for (auto& b : bgr) b = static_cast<std::uint8_t>(random());
            std::vector<std::uint32_t> out(n + 1, 0xDEADBEEF), chosen(n + 1, 0xDEADBEEF);
            convert(bgr.data(), n, out.data());
            BgrToXrgb(bgr.data(), n, chosen.data());
            for (size_t i = 0; i < n; ++i) {
                ASSERT_EQ(out[i], expected(bgr, i)) << name << ", n " << n << ", pixel " << i;
                ASSERT_EQ(chosen[i], expected(bgr, i)) << "n " << n << ", pixel " << i;
            }
            // Nothing written past the n words.
            EXPECT_EQ(out[n], 0xDEADBEEFu) << name << ", n " << n;
            EXPECT_EQ(chosen[n], 0xDEADBEEFu) << "n " << n;
        }
    }
}

} // namespace
