// The module's pictures, drawn in code so that both builds take them from
// one place: the Linux build registers them as the module's icons, the
// Windows build links the files tools/resgen writes from them (checked in
// beside this file, and compared with these drawings by a test).
#pragma once

#include <cstdint>
#include <vector>

struct ResourcePicture {
    int width = 0;
    int height = 0;
    // Where the pointer points when the picture is a cursor.
    int hotspotX = 0;
    int hotspotY = 0;
    // Row-major from the top row, 0xAARRGGBB; alpha 0 is transparent.
    std::vector<std::uint32_t> argb;
};

// The zoom pointers, 32 x 32 with transparency and the hot spot in the
// centre of the lens (12, 12): a magnifying glass (sign 0), the same with a
// blue plus sign in the lens (sign > 0) and with a blue minus sign (sign < 0).
ResourcePicture DrawZoomPicture(int sign);
// The toolbox bitmap, 16 x 15 and opaque: a small camera.
ResourcePicture DrawToolboxPicture();
