// What the viewers ask a control's private tap (platform/tap/FrameTap.h)
// about its stream, beside the frames: whether it got past its head, and
// the frames it dropped for being larger than its receive buffer.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "host/core/ControlHost.h"
#include "platform/tap/FrameTap.h"
#include "platform/tap/ViewTuning.h"

// Whether a control's stream ended after its pictures (false for a
// control without a tap).
bool ControlStreamEnded(IUnknown* control);
// Whether a control's stream got past its head (false for a control
// without a tap).
bool ControlStreamStarted(IUnknown* control);

// Has a control read any picture stream (an ordinary MJPEG camera's
// address given directly); right after it is made.
void ReadAnyPictureStream(IUnknown* control);
// Asks a control for what it may do beyond its own behaviour (VIEW_TUNE_*,
// platform/tap/ViewTuning.h); nothing for a control without the switches.
void TuneControl(IUnknown* control, DWORD tuning);

// How the viewers word a frame dropped for its size.
std::string OversizedFrameText(DWORD length);

// Tells of each frame a host's controls drop for its size, once: `report`
// gets the control's index and the text, within a quarter of a second. A
// control made again starts counting afresh.
class OversizedFrameWatch {
public:
    void poll(const ControlHost& host, const std::function<void(int, const std::string&)>& report);

private:
    static constexpr std::chrono::milliseconds kInterval{250}; // between two looks
    std::chrono::steady_clock::time_point m_next{};
    struct Seen {
        IUnknown* control = nullptr;
        DWORD count = 0;
    };
    std::vector<Seen> m_seen;
};
