// The Linux stand-in's row conversions for bitmap transfers: the inner loops
// that run once per pixel of every frame drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Converts n pixels stored blue, green, red (3 bytes each) into 0x00RRGGBB
// words, with the widest path the processor has. Reads exactly 3 * n bytes
// from `bgr`.
void BgrToXrgb(const std::uint8_t* bgr, std::size_t n, std::uint32_t* out);

// The same, one pixel at a time, on every processor.
void BgrToXrgbScalar(const std::uint8_t* bgr, std::size_t n, std::uint32_t* out);

// Every path this processor can run, by name (the scalar one first), so
// that each can be checked against the others.
std::vector<std::pair<const char*, void (*)(const std::uint8_t*, std::size_t, std::uint32_t*)>> BgrToXrgbPaths();
