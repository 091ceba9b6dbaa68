// The control's painted picture as a JPEG, for the browsers that watch it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/win/WinTypes.h"

// Rows of 32-bit pixels in memory order B, G, R, unused (0x00RRGGBB on a
// little-endian machine, as both platforms' bitmaps hold them); `stride`
// in bytes from one row to the one below (negative for a bitmap stored
// bottom-up, `top` then being its last row in memory).
struct PixelRows {
    const std::uint8_t* top = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
};

// The part `area` of `pixels` (clipped to them) as a baseline JPEG of
// `quality` (1..100); empty when nothing is left or libjpeg failed.
std::string EncodeJpeg(const PixelRows& pixels, RECT area, int quality = 85);
