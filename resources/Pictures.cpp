#include "resources/Pictures.h"

#include <cmath>
#include <cstddef>

namespace {

constexpr std::uint32_t kTransparent = 0x00000000;
constexpr std::uint32_t kRim = 0xFF202020;
constexpr std::uint32_t kGlass = 0xFFE8F0FF;
constexpr std::uint32_t kHandle = 0xFF6B4A2B;
constexpr std::uint32_t kBlue = 0xFF1040E0;

} // namespace

ResourcePicture DrawZoomPicture(int sign)
{
    ResourcePicture icon;
    icon.width = icon.height = 32;
    icon.hotspotX = icon.hotspotY = 12; // the centre of the lens
    icon.argb.assign(32 * 32, kTransparent);
    auto put = [&](int x, int y, std::uint32_t c) {
        if (x >= 0 && y >= 0 && x < 32 && y < 32) icon.argb[static_cast<std::size_t>(y * 32 + x)] = c;
    };
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const double d = std::hypot(x - 12.0, y - 12.0);
            if (d <= 8.5) put(x, y, kGlass);
            else if (d <= 10.5) put(x, y, kRim);
        }
    // The handle, from the rim down to the lower right.
    for (int t = 0; t < 11; ++t)
        for (int w = -1; w <= 2; ++w) put(19 + t + w, 19 + t, kHandle);
    if (sign != 0) {
        for (int i = -5; i <= 5; ++i)
            for (int w = -1; w <= 1; ++w) {
                put(12 + i, 12 + w, kBlue);
                if (sign > 0) put(12 + w, 12 + i, kBlue);
            }
    }
    return icon;
}

ResourcePicture DrawToolboxPicture()
{
    // 16 x 15, as toolbox bitmaps are: a small camera.
    ResourcePicture bmp;
    bmp.width = 16;
    bmp.height = 15;
    bmp.argb.assign(16 * 15, 0xFFC0C0C0);
    for (int y = 4; y < 12; ++y)
        for (int x = 1; x < 12; ++x) bmp.argb[static_cast<std::size_t>(y * 16 + x)] = 0xFF303030;
    for (int y = 6; y < 10; ++y)
        for (int x = 12; x < 15; ++x) bmp.argb[static_cast<std::size_t>(y * 16 + x)] = 0xFF303030;
    for (int y = 6; y < 10; ++y)
        for (int x = 4; x < 8; ++x) bmp.argb[static_cast<std::size_t>(y * 16 + x)] = 0xFF80B0FF;
    return bmp;
}
