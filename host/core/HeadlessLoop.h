// The headless run both viewers share: the scripted input at its times,
// the controls' messages, painting, snapshots, the run's limits, and the
// exit report. Each viewer's face supplies what it does its own way (how
// the mouse reaches a control, how messages are pumped and the picture
// drawn, how a PNG is written) behind HeadlessFace.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "host/core/EventLog.h"
#include "host/core/ControlHost.h"
#include "host/core/Reconnect.h"
#include "host/core/InputScript.h"
#include "platform/com/Unknown.h"
#include "platform/win/WinTypes.h"

// The status text each control shows while it has no picture, as the
// viewer's listener reports it (from any thread).
class ControlStatuses {
public:
    void set(int control, const std::string& text);
    // The text shown last, by any control.
    std::string last() const;
    // The text `control` shows, or empty.
    std::string of(int control) const;
    // Whether each of `count` controls shows the error its stream ended
    // with: no picture will come any more.
    bool allFailed(int count) const;
    // Forgets every text (a new page is shown).
    void clear();

private:
    mutable std::mutex m_mutex;
    std::map<int, std::string> m_texts;
    std::string m_last;
};

class HeadlessFace {
public:
    virtual ~HeadlessFace() = default;
    // The face's container of controls.
    virtual ControlHost& host() = 0;
    // One scripted mouse action at a point of the grid: move, press,
    // release, click or wheel turn. False when the viewer must end.
    virtual bool applyPointer(const InputAction& action) = 0;
    // The property page of the control under `pt` (the first control when
    // the point is on none).
    virtual void showProperties(POINT pt) = 0;
    // Delivers what is due (timers, workers' posts, input); false when the
    // viewer must end.
    virtual bool pump() = 0;
    // Draws what changed into the viewer's picture and notes the cursor.
    virtual void paint() = 0;
    virtual bool writePng(const std::string& path) = 0;
    // Waits for a message, at most `ms` milliseconds.
    virtual void wait(std::uint64_t ms) = 0;
};

struct HeadlessLimits {
    double durationSeconds = 5;
    long frames = -1;        // stop after this many frames drawn (all controls)
    std::string snapshot;    // PNG written at the end
    long snapshotEvery = 0;  // also a PNG after every this many frames...
    std::string snapshotDir; // ...into this folder
    std::string record;      // the cameras' frames recorded into this Matroska file (-N for each of several)
};

// Runs until the limits are reached, the script quits, or every control's
// stream has failed for good (never, while `reconnect` makes them again);
// the picture is written as the limits ask. With a recording asked for,
// every camera is recorded from the start until the end (or Esc), and what
// became of each file is printed. Returns the number of frames drawn, or -1
// when the recording could not start (the reason printed).
long RunHeadlessLoop(HeadlessFace& face, const InputScript& script, EventLog& log, const HeadlessLimits& limits,
                     const ControlStatuses& statuses, ReconnectWatch* reconnect = nullptr);

// The exit report of a headless run: 2 when the run could not start (frames
// -1); 0 when a picture was drawn, but 3 when a camera that drew pictures
// then drew none for the last 10 s or more of the run (each such camera
// is named, as `watch` saw them); otherwise the status text the control
// showed and what it means are printed, and 1.
// credentialsGiven: the user gave a user name and password (--user).
int HeadlessExitStatus(long frames, const std::string& status, bool credentialsGiven = false,
                       const ReconnectWatch* watch = nullptr);

// The input script named by `path` (none when empty); prints why it cannot
// be read and returns false.
bool LoadInputScript(const std::string& path, InputScript& script);
