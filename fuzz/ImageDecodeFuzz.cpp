// Decoding arbitrary bytes as a frame: no crash, no read outside the
// frame, and a picture either whole-sized or absent.
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "image/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > INT_MAX) return 0;
    CImage image(data, static_cast<int>(size));
    if (image.HasBitmap()) {
        // Touch the first and last pixel rows: they must lie in the block.
        volatile BYTE first = image.GetBits()[0];
        volatile BYTE last = image.GetBits()[static_cast<long>(image.GetRowBytes()) * image.GetHeight() - 1];
        (void)first;
        (void)last;
    } else if (image.GetWidth() > 0 && image.GetHeight() > 0 && image.GetImpl()->imageInfo) {
        std::abort();
    }
    return 0;
}
