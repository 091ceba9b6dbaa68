// The viewer window's status line, the same in both viewers: the camera
// under the pointer (or alone, or the only one) with its host and frame
// rate, else each camera's rate; a camera whose stream failed, its status
// text and what it means; then a notice for a while, or the last event.
#pragma once

#include <chrono>
#include <deque>
#include <string>
#include <vector>

// Frames drawn by each camera, for their rates over the last two seconds.
class FrameRates {
public:
    void resize(std::size_t cameras) { m_times.resize(cameras); }
    void frame(std::size_t camera, std::chrono::steady_clock::time_point at);
    // Frames per second of `camera`, from the intervals between its frames
    // of the last two seconds (so a camera that just started is not
    // under-counted); older times are dropped on the way.
    double rate(std::size_t camera, std::chrono::steady_clock::time_point now);
    std::size_t size() const { return m_times.size(); }

private:
    std::vector<std::deque<std::chrono::steady_clock::time_point>> m_times;
};

struct StatusLineInput {
    std::vector<std::string> hosts;    // each camera's host
    std::vector<double> rates;         // each camera's frames per second
    std::vector<std::string> statuses; // each camera's status text while it has no picture
    int shown = -1;                    // the camera under the pointer or alone, or -1
    std::string notice;                // shown instead of the last event while set
    std::vector<std::string> lastEvents; // each camera's last event
    std::string latestEvent;           // the last event of any camera, when none is shown
    bool credentialsGiven = false;     // a user name and password were given
    std::string recording;             // what is being recorded, and for how long, while recording
};

std::string ComposeStatusLine(const StatusLineInput& input);

// A control's status as it wrote it in one paint without a picture: the
// texts it drew, in order, one space between two.
std::string StatusOfTexts(const std::vector<std::string>& texts);
