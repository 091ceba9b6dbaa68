// The receive step's work over a recorded 640x480 stream: boundary scan,
// frame copy and compaction, per delivered frame, against a memcpy of the
// same bytes in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/RatioReporter.h"
#include "stream/StreamBuffer.h"
#include "tests/support/JpegFactory.h"

namespace {

constexpr int kParts = 60;
constexpr size_t kReadSize = 64 * 1024; // what one tick's recv may bring

const std::string& recordedStream()
{
    static std::string stream;
    if (stream.empty()) {
        std::mt19937 noise(3);
        for (int i = 0; i < kParts; ++i) {
            const auto jpeg = MakeJpeg(640, 480, [&](int x, int y) {
                const int n = static_cast<int>(noise() % 9);
                return Rgb{static_cast<std::uint8_t>((x + i * 3) & 0xFF), static_cast<std::uint8_t>((y * 2 + n) & 0xFF),
                           static_cast<std::uint8_t>(128 + 60 * std::sin((x + y) * 0.05))};
            }, Sampling::S420, 80);
            stream += "--myboundary\nContent-type: image/jpeg\n\n";
            stream.append(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
            stream += "\n";
        }
        stream += "--myboundary\nContent-type: image/jpeg\n\n";
    }
    return stream;
}

void ReceiveStep(benchmark::State& state)
{
    const std::string& stream = recordedStream();
    CStreamBuffer buffer;
    buffer.InitBuffer();
    StreamBufferBlock* b = buffer.GetBlock();
    long delivered = 0;
    for (auto _ : state) {
        buffer.Reset();
        for (size_t at = 0; at < stream.size();) {
            const size_t n = std::min({kReadSize, stream.size() - at, static_cast<size_t>(STREAM_RECEIVE_SIZE - b->held)});
            std::memcpy(b->receive + b->held, stream.data() + at, n);
            b->held += static_cast<DWORD>(n);
            at += n;
            if (b->held <= b->patternLength) continue;
            LONG start, consumed, length;
            b->parseMode = buffer.CutFrame(b->receive, b->held - b->patternLength, static_cast<BYTE>(b->parseMode), &start,
                                           &consumed, &length);
            if (start < 0) continue;
            buffer.StoreFrame(b->receive + start, static_cast<DWORD>(length));
            ++delivered;
            b->held -= static_cast<DWORD>(consumed);
            std::memcpy(b->scratch, b->receive + consumed, b->held);
            std::memcpy(b->receive, b->scratch, b->held);
        }
    }
    state.counters["frames"] = benchmark::Counter(static_cast<double>(delivered), benchmark::Counter::kAvgIterations);
}

void CopyStream(benchmark::State& state)
{
    const std::string& stream = recordedStream();
    std::vector<char> to(stream.size());
    for (auto _ : state) {
        std::memcpy(to.data(), stream.data(), stream.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(ReceiveStep);
BENCHMARK(CopyStream);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("ReceiveStep", "CopyStream", " (the same 60-part 640x480 stream)");
    std::printf("receive step per part of the stream: %.1f us (the counter above gives the frames delivered)\n",
                reporter.time("ReceiveStep") / kParts / 1000.0);
    benchmark::Shutdown();
    return 0;
}
