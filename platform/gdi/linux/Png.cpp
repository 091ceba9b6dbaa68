// PNG export of a surface.
#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/gdi/linux/StandInGdi.h"

bool standin::WriteSurfacePng(const Surface& surface, const std::string& path)
{
    if (surface.width() <= 0 || surface.height() <= 0) return false;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<png_byte> row(static_cast<size_t>(surface.width()) * 3);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(surface.width()), static_cast<png_uint_32>(surface.height()), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            const std::uint32_t c = surface.rgb(x, y);
            row[static_cast<size_t>(x) * 3] = static_cast<png_byte>(c >> 16);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<png_byte>(c >> 8);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<png_byte>(c);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
