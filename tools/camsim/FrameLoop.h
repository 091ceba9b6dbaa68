// A loop of frames encoded once per picture size, sent again and again with
// a fresh frame number and send time stamped into each copy, so that the
// simulator's own encoding does not load the machine during a benchmark.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "tools/camsim/Scene.h"

class FrameLoop {
public:
    explicit FrameLoop(int length) : m_length(length) {}

    // Frame `number` of the loop for a picture of width x height (encoding
    // the loop on first use), stamped with `number` and `sendTimeUs`.
    std::vector<std::uint8_t> frame(Scene& scene, int width, int height, long number, std::int64_t sendTimeUs);

private:
    using Frames = std::vector<std::vector<std::uint8_t>>;
    const Frames& framesFor(Scene& scene, int width, int height);

    int m_length;
    std::mutex m_mutex;
    std::map<std::pair<int, int>, std::unique_ptr<Frames>> m_loops;
};
