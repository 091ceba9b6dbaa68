// The floor under any viewer's frame, measured on pictures a camera sent:
// TurboJPEG decoding each into blue, green, red rows (the bitmap's format,
// with the control's fastest settings), then one conversion of those rows
// onto 32-bit screen pixels. No network, no drawing calls, no start-up.
//
//   frame_floor ROUNDS FILE.jpg ...
//
// prints the processor time per frame in milliseconds, over ROUNDS passes
// through the files.
#include <turbojpeg.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <vector>

#include "image/Dib.h"
#include "platform/gdi/linux/PixelRows.h"

namespace {

double processMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: frame_floor ROUNDS FILE.jpg ...\n");
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    std::vector<std::vector<unsigned char>> frames;
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        frames.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (frames.back().empty()) {
            std::fprintf(stderr, "frame_floor: cannot read %s\n", argv[i]);
            return 1;
        }
    }
    tjhandle handle = tjInitDecompress();
    std::vector<unsigned char> bits;
    std::vector<std::uint32_t> screen;
    long decoded = 0;
    const double start = processMs();
    for (int r = 0; r < rounds; ++r) {
        for (const auto& jpeg : frames) {
            int width = 0, height = 0, sampling = 0, colours = 0;
            if (tjDecompressHeader3(handle, jpeg.data(), jpeg.size(), &width, &height, &sampling, &colours) != 0)
                continue;
            const int pitch = DibRowBytes(24, width);
            // One bitmap for every frame of a size: the least a decoder can
            // write into (no allocation, no page made anew).
            bits.resize(static_cast<std::size_t>(pitch) * height);
            if (tjDecompress2(handle, jpeg.data(), jpeg.size(), bits.data(), width, pitch, height, TJPF_BGR,
                              TJFLAG_BOTTOMUP | TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE) != 0)
                continue;
            screen.resize(static_cast<std::size_t>(width) * height);
            for (int y = 0; y < height; ++y)
                BgrToXrgb(bits.data() + static_cast<std::size_t>(height - 1 - y) * pitch, static_cast<std::size_t>(width),
                          screen.data() + static_cast<std::size_t>(y) * width);
            ++decoded;
        }
    }
    const double ms = processMs() - start;
    tjDestroy(handle);
    if (decoded == 0) {
        std::fprintf(stderr, "frame_floor: no frame decoded\n");
        return 1;
    }
    std::printf("%.4f\n", ms / static_cast<double>(decoded));
    return 0;
}
