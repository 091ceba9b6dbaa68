// Row conversions for bitmap transfers: the inner loops that run once per
// pixel of every frame drawn.
#pragma once

#include <cstddef>
#include <cstdint>

// Converts n pixels stored blue, green, red (3 bytes each) into 0x00RRGGBB
// words. Reads exactly 3 * n bytes from `bgr`.
void BgrToXrgb(const std::uint8_t* bgr, std::size_t n, std::uint32_t* out);

// The same, one pixel at a time, on every processor.
void BgrToXrgbScalar(const std::uint8_t* bgr, std::size_t n, std::uint32_t* out);
