#include "tools/resgen/PictureFiles.h"

#include <cstddef>

namespace {

class Writer {
public:
    void u8(unsigned v) { bytes.push_back(static_cast<std::uint8_t>(v)); }
    void u16(unsigned v)
    {
        u8(v & 0xFF);
        u8((v >> 8) & 0xFF);
    }
    void u32(std::uint32_t v)
    {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    std::vector<std::uint8_t> bytes;
};

std::uint32_t pixel(const ResourcePicture& p, int x, int y) { return p.argb[static_cast<std::size_t>(y * p.width + x)]; }

// BITMAPINFOHEADER with the height given (doubled for icon images).
void infoHeader(Writer& w, const ResourcePicture& p, int height, unsigned bits, std::uint32_t imageSize)
{
    w.u32(40);
    w.u32(static_cast<std::uint32_t>(p.width));
    w.u32(static_cast<std::uint32_t>(height));
    w.u16(1);
    w.u16(bits);
    w.u32(0); // BI_RGB
    w.u32(imageSize);
    w.u32(0);
    w.u32(0);
    w.u32(0);
    w.u32(0);
}

// The image of an icon or cursor: header, colour rows with alpha bottom-up,
// then the AND mask (1 where transparent), rows padded to 32 bits.
std::vector<std::uint8_t> iconImage(const ResourcePicture& p)
{
    const std::uint32_t maskStride = static_cast<std::uint32_t>((p.width + 31) / 32 * 4);
    const std::uint32_t colourSize = static_cast<std::uint32_t>(p.width * p.height * 4);
    const std::uint32_t maskSize = maskStride * static_cast<std::uint32_t>(p.height);
    Writer w;
    infoHeader(w, p, p.height * 2, 32, colourSize + maskSize);
    for (int y = p.height - 1; y >= 0; --y)
        for (int x = 0; x < p.width; ++x) w.u32(pixel(p, x, y)); // little-endian 0xAARRGGBB is B, G, R, A
    for (int y = p.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskStride, 0);
        for (int x = 0; x < p.width; ++x)
            if ((pixel(p, x, y) >> 24) == 0) row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        w.bytes.insert(w.bytes.end(), row.begin(), row.end());
    }
    return w.bytes;
}

// The directory of one image (ICONDIR and one ICONDIRENTRY), then the image.
std::vector<std::uint8_t> iconFile(const ResourcePicture& p, bool cursor)
{
    const std::vector<std::uint8_t> image = iconImage(p);
    Writer w;
    w.u16(0);
    w.u16(cursor ? 2 : 1);
    w.u16(1);
    w.u8(p.width >= 256 ? 0 : static_cast<unsigned>(p.width));
    w.u8(p.height >= 256 ? 0 : static_cast<unsigned>(p.height));
    w.u8(0); // no palette
    w.u8(0);
    // Icons: planes and bits per pixel; cursors: the hot spot.
    w.u16(cursor ? static_cast<unsigned>(p.hotspotX) : 1);
    w.u16(cursor ? static_cast<unsigned>(p.hotspotY) : 32);
    w.u32(static_cast<std::uint32_t>(image.size()));
    w.u32(6 + 16);
    w.bytes.insert(w.bytes.end(), image.begin(), image.end());
    return w.bytes;
}

} // namespace

std::vector<std::uint8_t> EncodeIconFile(const ResourcePicture& picture) { return iconFile(picture, false); }

std::vector<std::uint8_t> EncodeCursorFile(const ResourcePicture& picture) { return iconFile(picture, true); }

std::vector<std::uint8_t> EncodeBitmapFile(const ResourcePicture& p)
{
    const std::uint32_t stride = static_cast<std::uint32_t>((p.width * 3 + 3) / 4 * 4);
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(p.height);
    Writer w;
    // BITMAPFILEHEADER
    w.u8('B');
    w.u8('M');
    w.u32(14 + 40 + imageSize);
    w.u16(0);
    w.u16(0);
    w.u32(14 + 40);
    infoHeader(w, p, p.height, 24, imageSize);
    for (int y = p.height - 1; y >= 0; --y) {
        std::uint32_t written = 0;
        for (int x = 0; x < p.width; ++x, written += 3) {
            const std::uint32_t c = pixel(p, x, y);
            w.u8(c & 0xFF);
            w.u8((c >> 8) & 0xFF);
            w.u8((c >> 16) & 0xFF);
        }
        for (; written < stride; ++written) w.u8(0);
    }
    return w.bytes;
}

std::vector<PictureFile> ModulePictureFiles()
{
    std::vector<PictureFile> files;
    files.push_back({"Zoom.cur", EncodeCursorFile(DrawZoomPicture(0))});
    files.push_back({"ZoomIn.cur", EncodeCursorFile(DrawZoomPicture(1))});
    files.push_back({"ZoomOut.cur", EncodeCursorFile(DrawZoomPicture(-1))});
    files.push_back({"Zoom.ico", EncodeIconFile(DrawZoomPicture(0))});
    files.push_back({"ZoomIn.ico", EncodeIconFile(DrawZoomPicture(1))});
    files.push_back({"ZoomOut.ico", EncodeIconFile(DrawZoomPicture(-1))});
    files.push_back({"Toolbox.bmp", EncodeBitmapFile(DrawToolboxPicture())});
    return files;
}
