#include "host/core/FrameSinks.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace {

class FrameHub final : public IFrameSink {
public:
    HRESULT STDMETHODCALLTYPE OnFrame(const BYTE* bytes, DWORD length, DWORD arrivalTick) override
    {
        // Held while the takers run, so that a taker that leaves waits for
        // the frame it is being handed.
        std::lock_guard lock(m_mutex);
        // Taken when any taker took it: with none left (the last leaving),
        // the frame is not taken, as with no sink at all.
        HRESULT taken = S_FALSE;
        for (IFrameSink* sink : m_sinks)
            if (sink->OnFrame(bytes, length, arrivalTick) == S_OK) taken = S_OK;
        return taken;
    }
    std::mutex m_mutex;
    std::vector<IFrameSink*> m_sinks;
};

// Attaching and detaching go one at a time; a frame being handed out takes
// only its hub's lock, never this one.
std::mutex g_hubsMutex;
std::map<IFrameTap*, std::unique_ptr<FrameHub>>& hubs()
{
    static std::map<IFrameTap*, std::unique_ptr<FrameHub>> all;
    return all;
}

} // namespace

void AttachFrameSink(IFrameTap* tap, IFrameSink* sink)
{
    if (!tap || !sink) return;
    std::lock_guard lock(g_hubsMutex);
    auto& hub = hubs()[tap];
    if (!hub) {
        hub = std::make_unique<FrameHub>();
        tap->AddRef();
        tap->SetFrameSink(hub.get());
    }
    std::lock_guard hubLock(hub->m_mutex);
    if (std::find(hub->m_sinks.begin(), hub->m_sinks.end(), sink) == hub->m_sinks.end()) hub->m_sinks.push_back(sink);
}

void DetachFrameSink(IFrameTap* tap, IFrameSink* sink)
{
    if (!tap || !sink) return;
    std::lock_guard lock(g_hubsMutex);
    const auto it = hubs().find(tap);
    if (it == hubs().end()) return;
    bool last = false;
    {
        std::lock_guard hubLock(it->second->m_mutex);
        auto& sinks = it->second->m_sinks;
        sinks.erase(std::remove(sinks.begin(), sinks.end(), sink), sinks.end());
        last = sinks.empty();
    }
    if (!last) return;
    // The control waits for a frame in flight before it lets go of the hub.
    tap->SetFrameSink(nullptr);
    hubs().erase(it);
    tap->Release();
}
