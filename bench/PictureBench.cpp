// The picture path against references measured in the same run: decoding
// through CImage against TurboJPEG's own decoder on the same bytes,
// StretchDraw against a memcpy of the destination bytes, and a whole frame
// (decode, then draw at its own size) against the floor: TurboJPEG into
// blue, green, red plus one conversion of those rows onto the screen's
// 32-bit pixels.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "image/Dib.h"
#include "image/Image.h"
#include "platform/gdi/linux/PixelRows.h"
#include "tests/support/JpegFactory.h"
#include "platform/gdi/linux/StandInGdi.h"

namespace {

// A camera-like scene: smooth light, hard edges and sensor noise, 4:2:0 at
// a camera's usual quality.
const std::vector<std::uint8_t>& frame(int width, int height)
{
    static std::map<std::pair<int, int>, std::vector<std::uint8_t>> frames;
    auto& jpeg = frames[{width, height}];
    if (jpeg.empty()) {
        std::mt19937 noise(7);
        jpeg = MakeJpeg(width, height, [&](int x, int y) {
            const double light = 0.5 + 0.5 * std::sin(x * 0.01) * std::cos(y * 0.013);
            const bool building = (x / 97 + y / 61) % 3 == 0;
            const int n = static_cast<int>(noise() % 13) - 6;
            auto clamp = [](int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
            const int base = static_cast<int>(light * 200) + n;
            return building ? Rgb{clamp(base / 2 + 60), clamp(base / 2 + 40), clamp(base / 3 + 20)}
                            : Rgb{clamp(base / 3 + 30), clamp(base / 2 + 70), clamp(base + 20)};
        }, Sampling::S420, 85);
    }
    return jpeg;
}

void DecodeCImage(benchmark::State& state)
{
    const auto& jpeg = frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        CImage image(jpeg.data(), static_cast<int>(jpeg.size()));
        benchmark::DoNotOptimize(image.GetBits());
    }
}

void DecodeTurboJpeg(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const auto& jpeg = frame(width, height);
    tjhandle handle = tjInitDecompress();
    const int pitch = DibRowBytes(24, width);
    for (auto _ : state) {
        // The same work as CImage: a fresh bitmap per frame, which the
        // decoder writes whole.
        std::unique_ptr<unsigned char[]> bits(new unsigned char[static_cast<size_t>(pitch) * height + 1064]);
        tjDecompress2(handle, jpeg.data(), jpeg.size(), bits.get(), width, pitch, height, TJPF_BGR,
                      TJFLAG_BOTTOMUP | TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE);
        benchmark::DoNotOptimize(bits.get());
    }
    tjDestroy(handle);
}

void StretchDraw(benchmark::State& state)
{
    const auto& jpeg = frame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    CImage image(jpeg.data(), static_cast<int>(jpeg.size()));
    const int w = static_cast<int>(state.range(2));
    const int h = static_cast<int>(state.range(3));
    auto surface = std::make_shared<Surface>(w, h);
    HDC hdc = standin::CreateSurfaceDC(surface);
    CDC dc(hdc);
    for (auto _ : state) {
        image.StretchDraw(&dc, nullptr, 0, 0, w, h, 0, 0, -1, -1);
        surface->clearRecord();
        benchmark::DoNotOptimize(surface->row(0));
    }
    DeleteDC(hdc);
}

void FramePath(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const auto& jpeg = frame(width, height);
    auto surface = std::make_shared<Surface>(width, height);
    HDC hdc = standin::CreateSurfaceDC(surface);
    CDC dc(hdc);
    for (auto _ : state) {
        CImage image(jpeg.data(), static_cast<int>(jpeg.size()));
        image.StretchDraw(&dc, nullptr, 0, 0, width, height, 0, 0, -1, -1);
        surface->clearRecord();
        benchmark::DoNotOptimize(surface->row(0));
    }
    DeleteDC(hdc);
}

void FrameFloor(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const auto& jpeg = frame(width, height);
    tjhandle handle = tjInitDecompress();
    const int pitch = DibRowBytes(24, width);
    std::vector<std::uint32_t> screen(static_cast<size_t>(width) * height);
    for (auto _ : state) {
        std::unique_ptr<unsigned char[]> bits(new unsigned char[static_cast<size_t>(pitch) * height + 1064]);
        tjDecompress2(handle, jpeg.data(), jpeg.size(), bits.get(), width, pitch, height, TJPF_BGR,
                      TJFLAG_BOTTOMUP | TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE);
        for (int y = 0; y < height; ++y)
            BgrToXrgb(bits.get() + static_cast<size_t>(height - 1 - y) * pitch, static_cast<size_t>(width),
                      screen.data() + static_cast<size_t>(y) * width);
        benchmark::DoNotOptimize(screen.data());
        benchmark::ClobberMemory();
    }
    tjDestroy(handle);
}

void CopyDestination(benchmark::State& state)
{
    const size_t bytes = static_cast<size_t>(state.range(2)) * static_cast<size_t>(state.range(3)) * 4;
    std::vector<unsigned char> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(DecodeCImage)->Args({640, 480})->Args({1280, 720})->Args({1920, 1080});
BENCHMARK(DecodeTurboJpeg)->Args({640, 480})->Args({1280, 720})->Args({1920, 1080});
BENCHMARK(StretchDraw)->Args({1280, 720, 1280, 720})->Args({640, 480, 640, 480})->Args({640, 480, 320, 240})->Args({1920, 1080, 640, 480});
BENCHMARK(FramePath)->Args({640, 480})->Args({1280, 720});
BENCHMARK(FrameFloor)->Args({640, 480})->Args({1280, 720});
BENCHMARK(CopyDestination)->Args({1280, 720, 1280, 720})->Args({640, 480, 640, 480})->Args({640, 480, 320, 240})->Args({1920, 1080, 640, 480});

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* size : {"640/480", "1280/720", "1920/1080"})
        reporter.printRatio(std::string("DecodeCImage/") + size, std::string("DecodeTurboJpeg/") + size);
    for (const char* args : {"1280/720/1280/720", "640/480/640/480", "640/480/320/240", "1920/1080/640/480"})
        reporter.printRatio(std::string("StretchDraw/") + args, std::string("CopyDestination/") + args);
    for (const char* size : {"640/480", "1280/720"})
        reporter.printRatio(std::string("FramePath/") + size, std::string("FrameFloor/") + size);
    benchmark::Shutdown();
    return 0;
}
