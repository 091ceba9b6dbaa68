#include "tests/support/JpegFactory.h"

#include <turbojpeg.h>

#include <stdexcept>

namespace {

std::vector<std::uint8_t> compress(const std::vector<std::uint8_t>& pixels, int width, int height, int format, int sampling,
                                   int quality)
{
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(handle, pixels.data(), width, 0, height, format, &out, &size, sampling, quality,
                               TJFLAG_ACCURATEDCT);
    std::vector<std::uint8_t> jpeg;
    if (rc == 0) jpeg.assign(out, out + size);
    tjFree(out);
    tjDestroy(handle);
    if (rc != 0) throw std::runtime_error("tjCompress2 failed");
    return jpeg;
}

} // namespace

std::vector<std::uint8_t> MakeJpeg(int width, int height, const std::function<Rgb(int, int)>& pixel, Sampling sampling,
                                   int quality)
{
    std::vector<std::uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb c = pixel(x, y);
            const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
            rgb[i] = c.r;
            rgb[i + 1] = c.g;
            rgb[i + 2] = c.b;
        }
    const int tjSampling = sampling == Sampling::S444   ? TJSAMP_444
                           : sampling == Sampling::S422 ? TJSAMP_422
                           : sampling == Sampling::S420 ? TJSAMP_420
                                                        : TJSAMP_GRAY;
    return compress(rgb, width, height, TJPF_RGB, tjSampling, quality);
}

std::vector<std::uint8_t> MakeSolidJpeg(int width, int height, Rgb colour)
{
    return MakeJpeg(width, height, [colour](int, int) { return colour; }, Sampling::S444, 100);
}

std::vector<std::uint8_t> MakeCmykJpeg(int width, int height, std::vector<std::uint8_t>* decodedCmyk)
{
    std::vector<std::uint8_t> cmyk(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
            cmyk[i] = static_cast<std::uint8_t>(x * 255 / (width - 1));
            cmyk[i + 1] = static_cast<std::uint8_t>(y * 255 / (height - 1));
            cmyk[i + 2] = 60;
            cmyk[i + 3] = static_cast<std::uint8_t>(((x / 8 + y / 8) % 2) ? 30 : 200);
        }
    std::vector<std::uint8_t> jpeg = compress(cmyk, width, height, TJPF_CMYK, TJSAMP_444, 100);
    if (decodedCmyk) {
        decodedCmyk->assign(cmyk.size(), 0);
        tjhandle handle = tjInitDecompress();
        tjDecompress2(handle, jpeg.data(), jpeg.size(), decodedCmyk->data(), width, 0, height, TJPF_CMYK,
                      TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE);
        tjDestroy(handle);
    }
    return jpeg;
}

std::vector<std::uint8_t> WithComment(const std::vector<std::uint8_t>& jpeg, const std::vector<std::uint8_t>& payload)
{
    std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    const size_t length = payload.size() + 2;
    out.push_back(0xFF);
    out.push_back(0xFE);
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.push_back(static_cast<std::uint8_t>(length & 0xFF));
    out.insert(out.end(), payload.begin(), payload.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}
