#include "host/core/StreamTap.h"

namespace {

// The control's tap, AddRef'ed, or null.
IFrameTap* tapOf(IUnknown* control)
{
    IFrameTap* tap = nullptr;
    if (!control || FAILED(control->QueryInterface(IID_IFrameTap, reinterpret_cast<void**>(&tap)))) return nullptr;
    return tap;
}

} // namespace

bool ControlStreamStarted(IUnknown* control)
{
    IFrameTap* tap = tapOf(control);
    if (!tap) return false;
    BOOL started = FALSE;
    const bool answered = SUCCEEDED(tap->GetStreamStarted(&started));
    tap->Release();
    return answered && started;
}

std::string OversizedFrameText(DWORD length)
{
    return "frame of " + std::to_string(length) + " bytes is larger than the picture buffer";
}

void OversizedFrameWatch::poll(const ControlHost& host, const std::function<void(int, const std::string&)>& report)
{
    if (m_seen.size() < host.count()) m_seen.resize(host.count());
    for (std::size_t i = 0; i < host.count(); ++i) {
        IUnknown* control = host.control(i);
        Seen& seen = m_seen[i];
        if (control != seen.control) seen = Seen{control, 0};
        IFrameTap* tap = tapOf(control);
        if (!tap) continue;
        DWORD count = 0, length = 0;
        const bool answered = SUCCEEDED(tap->GetOversizedFrames(&count, &length));
        tap->Release();
        if (!answered || count == seen.count) continue;
        seen.count = count;
        if (report) report(static_cast<int>(i), OversizedFrameText(length));
    }
}
