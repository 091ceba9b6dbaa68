#include "tests/support/PngFile.h"

#include <png.h>
#include <turbojpeg.h>

#include <cstring>

RgbPicture ReadPng(const std::string& path)
{
    RgbPicture picture;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return picture;
    }
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgb = std::move(rgb);
    return picture;
}

RgbPicture DecodeJpeg(const std::vector<std::uint8_t>& jpeg)
{
    RgbPicture picture;
    tjhandle handle = tjInitDecompress();
    int width = 0, height = 0, sampling = 0, colourspace = 0;
    if (handle && tjDecompressHeader3(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()), &width, &height,
                                      &sampling, &colourspace) == 0) {
        picture.rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
        if (tjDecompress2(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()), picture.rgb.data(), width, 0,
                          height, TJPF_RGB, TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE) == 0) {
            picture.width = width;
            picture.height = height;
        } else {
            picture.rgb.clear();
        }
    }
    if (handle) tjDestroy(handle);
    return picture;
}
