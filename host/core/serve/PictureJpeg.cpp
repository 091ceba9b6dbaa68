#include "host/core/serve/PictureJpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jumpOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

// No object with a destructor lives in here: a libjpeg error leaves by
// longjmp. The memory destination's buffer is handed back through `out`.
bool compress(const PixelRows& pixels, const RECT& area, int quality, unsigned char** out, unsigned long* length)
{
    jpeg_compress_struct info{};
    ErrorJump error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jumpOnError;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, length);
    info.image_width = static_cast<JDIMENSION>(area.right - area.left);
    info.image_height = static_cast<JDIMENSION>(area.bottom - area.top);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const std::uint8_t* row = pixels.top + (area.top + static_cast<LONG>(info.next_scanline)) * pixels.stride + area.left * 4;
        JSAMPROW rows[1] = {const_cast<JSAMPROW>(row)};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

std::string EncodeJpeg(const PixelRows& pixels, RECT area, int quality)
{
    area.left = std::max<LONG>(area.left, 0);
    area.top = std::max<LONG>(area.top, 0);
    area.right = std::min<LONG>(area.right, pixels.width);
    area.bottom = std::min<LONG>(area.bottom, pixels.height);
    if (!pixels.top || area.right <= area.left || area.bottom <= area.top) return {};
    unsigned char* buffer = nullptr;
    unsigned long length = 0;
    const bool made = compress(pixels, area, std::clamp(quality, 1, 100), &buffer, &length);
    std::string jpeg;
    if (made && buffer) jpeg.assign(reinterpret_cast<const char*>(buffer), length);
    std::free(buffer);
    return jpeg;
}
