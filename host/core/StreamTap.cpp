#include "host/core/StreamTap.h"

namespace {

// The control's tap, AddRef'ed, or null.
IFrameTap* tapOf(IUnknown* control)
{
    IFrameTap* tap = nullptr;
    if (!control || FAILED(control->QueryInterface(IID_IFrameTap, reinterpret_cast<void**>(&tap)))) return nullptr;
    return tap;
}

// One yes-or-no question to a control's tap; false without a tap.
bool askTap(IUnknown* control, HRESULT (STDMETHODCALLTYPE IFrameTap::*question)(BOOL*))
{
    IFrameTap* tap = tapOf(control);
    if (!tap) return false;
    BOOL answer = FALSE;
    const bool answered = SUCCEEDED((tap->*question)(&answer));
    tap->Release();
    return answered && answer;
}

} // namespace

void ReadAnyPictureStream(IUnknown* control)
{
    if (IFrameTap* tap = tapOf(control)) {
        tap->SetAnyPictureStream(TRUE);
        tap->Release();
    }
}

void TuneControl(IUnknown* control, DWORD tuning)
{
    IViewTuning* tuner = nullptr;
    if (!control || FAILED(control->QueryInterface(IID_IViewTuning, reinterpret_cast<void**>(&tuner))) || !tuner) return;
    tuner->SetViewTuning(tuning);
    tuner->Release();
}

bool ControlStreamEnded(IUnknown* control) { return askTap(control, &IFrameTap::GetStreamEnded); }

bool ControlStreamStarted(IUnknown* control) { return askTap(control, &IFrameTap::GetStreamStarted); }

std::string OversizedFrameText(DWORD length)
{
    return "frame of " + std::to_string(length) + " bytes is larger than the picture buffer";
}

void OversizedFrameWatch::poll(const ControlHost& host, const std::function<void(int, const std::string&)>& report)
{
    // The pump runs every turn of the loop: asking every control's tap that
    // often would be most of an idle viewer's work for a rare event.
    const auto now = std::chrono::steady_clock::now();
    if (now < m_next) return;
    m_next = now + kInterval;
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
