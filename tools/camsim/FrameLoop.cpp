#include "tools/camsim/FrameLoop.h"

const FrameLoop::Frames& FrameLoop::framesFor(Scene& scene, int width, int height)
{
    // Held while encoding, so that streams of the same size starting
    // together encode the loop once.
    std::lock_guard lock(m_mutex);
    auto& loop = m_loops[{width, height}];
    if (!loop) {
        loop = std::make_unique<Frames>();
        for (int i = 0; i < m_length; ++i)
            loop->push_back(scene.frame(width, height, i, 0, 0.02 * i));
    }
    return *loop;
}

std::vector<std::uint8_t> FrameLoop::frame(Scene& scene, int width, int height, long number, std::int64_t sendTimeUs)
{
    const Frames& loop = framesFor(scene, width, height);
    std::vector<std::uint8_t> out = loop[static_cast<size_t>(number % static_cast<long>(loop.size()))];
    Scene::Stamp(out, number, sendTimeUs);
    return out;
}
