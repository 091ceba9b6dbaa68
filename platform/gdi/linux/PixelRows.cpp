#include "platform/gdi/linux/PixelRows.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VE_HAVE_X86_PATHS 1
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

#ifdef VE_HAVE_X86_PATHS
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

// Eight pixels per step: the low half holds pixels 0 to 3 (bytes 0 to 11
// of a load at the first pixel), the high half pixels 4 to 7 (bytes 4 to
// 15 of a load 8 bytes further on, which ends exactly at the eighth
// pixel's last byte); one shuffle within each half, one 32-byte store.
__attribute__((target("avx2"))) void bgrToXrgbAvx2(const std::uint8_t* bgr, std::size_t n, std::uint32_t* out)
{
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,  //
                                            4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const std::uint8_t* p = bgr + 3 * i;
        const __m256i in = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8)), 1);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm256_shuffle_epi8(in, spread));
    }
    bgrToXrgbSsse3(bgr + 3 * i, n - i, out + i);
}

using RowConversion = void (*)(const std::uint8_t*, std::size_t, std::uint32_t*);

RowConversion bestConversion()
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return bgrToXrgbAvx2;
    if (__builtin_cpu_supports("ssse3")) return bgrToXrgbSsse3;
    return BgrToXrgbScalar;
}

const RowConversion g_conversion = bestConversion();

} // namespace
#endif

void BgrToXrgb(const std::uint8_t* bgr, std::size_t n, std::uint32_t* out)
{
#ifdef VE_HAVE_X86_PATHS
    g_conversion(bgr, n, out);
#else
    BgrToXrgbScalar(bgr, n, out);
#endif
}

std::vector<std::pair<const char*, void (*)(const std::uint8_t*, std::size_t, std::uint32_t*)>> BgrToXrgbPaths()
{
    std::vector<std::pair<const char*, void (*)(const std::uint8_t*, std::size_t, std::uint32_t*)>> paths{
        {"scalar", BgrToXrgbScalar}};
#ifdef VE_HAVE_X86_PATHS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("ssse3")) paths.emplace_back("ssse3", bgrToXrgbSsse3);
    if (__builtin_cpu_supports("avx2")) paths.emplace_back("avx2", bgrToXrgbAvx2);
#endif
    return paths;
}
