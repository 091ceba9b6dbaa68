#include "platform/gdi/PixelRows.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VE_HAVE_SSSE3_PATH 1
#endif

void BgrToXrgbScalar(const std::uint8_t* bgr, std::size_t n, std::uint32_t* out)
{
    // Blue, green and red in that order are 0x00RRGGBB once read as a
    // little-endian word and masked; the last pixel is read bytewise so that
    // no read passes the end of the row.
    std::size_t i = 0;
    for (; i + 1 < n; ++i, bgr += 3) {
        std::uint32_t word;
        std::memcpy(&word, bgr, sizeof word);
        out[i] = word & 0xFFFFFF;
    }
    if (i < n) out[i] = static_cast<std::uint32_t>(bgr[2]) << 16 | static_cast<std::uint32_t>(bgr[1]) << 8 | bgr[0];
}

#ifdef VE_HAVE_SSSE3_PATH
namespace {

// Four pixels per step: one 16-byte load, one byte shuffle that spreads
// 12 bytes into four words with a zero top byte, one store.
__attribute__((target("ssse3"))) void bgrToXrgbSsse3(const std::uint8_t* bgr, std::size_t n, std::uint32_t* out)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    std::size_t i = 0;
    // A load reads 16 bytes from pixel i: stay where at least 16 remain.
    for (; i + 6 <= n; i += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bgr + 3 * i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_shuffle_epi8(in, spread));
    }
    BgrToXrgbScalar(bgr + 3 * i, n - i, out + i);
}

const bool g_ssse3 = __builtin_cpu_supports("ssse3");

} // namespace
#endif

void BgrToXrgb(const std::uint8_t* bgr, std::size_t n, std::uint32_t* out)
{
#ifdef VE_HAVE_SSSE3_PATH
    if (g_ssse3) return bgrToXrgbSsse3(bgr, n, out);
#endif
    BgrToXrgbScalar(bgr, n, out);
}
