// Recording in both viewers: the frames a control cuts, byte for byte the
// camera's JPEGs with their arrival times, into a Matroska file each. The
// control hands them over through its frame tap (platform/tap/FrameTap.h)
// on its window's thread: the viewer's own thread with one UI thread, one
// of the container's apartments with several. The recorder lives on the
// viewer's thread; each camera's file is written under its own lock.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/core/ControlHost.h"
#include "host/core/MatroskaWriter.h"
#include "platform/tap/FrameTap.h"

// One camera's recording: the sink its control calls with each frame.
class CameraRecording final : public IFrameSink {
public:
    CameraRecording() = default;
    ~CameraRecording();
    CameraRecording(const CameraRecording&) = delete;
    CameraRecording& operator=(const CameraRecording&) = delete;

    // Opens `path` and sets this as the control's sink. Empty when the
    // recording runs, otherwise why not.
    std::string start(IUnknown* control, const std::string& path);
    // The camera's control was made again (reconnection): the recording
    // goes on from the new one, into the same file.
    void follow(IUnknown* control);
    // Takes the sink back and finishes the file. What became of it, in
    // words: where it went and how long it is, or why it could not be
    // finished; `brief`: the file's name without its folder, and the
    // length first, for the window's status line.
    std::string stop(bool brief = false);

    HRESULT STDMETHODCALLTYPE OnFrame(const BYTE* bytes, DWORD length, DWORD arrivalTick) override;

    const std::string& path() const { return m_path; }
    long frames() const;
    // From the first frame to the last, in milliseconds.
    std::int64_t lengthMs() const;
    // Why writing stopped before the recording was ended, or empty.
    std::string error() const;

private:
    // Guards the writer and what OnFrame keeps, which the control's thread
    // changes while the viewer's thread reads them.
    mutable std::mutex m_mutex;
    IFrameTap* m_tap = nullptr;
    IUnknown* m_control = nullptr; // the control recorded, to tell it from one made again
    std::string m_path;
    MatroskaWriter m_writer;
    bool m_haveFirst = false;
    DWORD m_firstTick = 0;
    std::string m_error;
};

// The viewer's recordings: none, or one per camera being recorded.
class Recorder {
public:
    struct Camera {
        IUnknown* control = nullptr;
        std::string path;
        std::size_t index = 0; // the camera's place on the page
    };
    // Starts a recording of each camera; empty when all run, otherwise why
    // the first could not start (and none runs).
    std::string start(const std::vector<Camera>& cameras);
    // Every control, from now on: `file` itself for one, one file each
    // with "-N" for several (RecordingPath). Empty or why not.
    std::string startAll(const std::vector<IUnknown*>& controls, const std::string& file);
    // The window's r: ends the recordings running; otherwise records the
    // camera `shown` (under the pointer or alone), or every camera when it
    // is -1, into `folder` (made when missing) under RecordingName. What
    // to tell the person: where the files went, or why none could start;
    // empty when one started (the status line then says so).
    std::string toggle(const std::vector<IUnknown*>& controls, const std::vector<std::string>& hosts, int shown,
                       const std::string& folder, std::time_t when);
    // The same for either viewer's container, now.
    std::string startAll(const ControlHost& container, const std::string& file)
    {
        return startAll(controlsOf(container), file);
    }
    std::string toggle(const ControlHost& container, int shown, const std::string& folder)
    {
        std::vector<std::string> hosts;
        for (std::size_t i = 0; i < container.count(); ++i) hosts.push_back(container.cameraHost(i));
        return toggle(controlsOf(container), hosts, shown, folder, std::time(nullptr));
    }
    // Moves each recording to its camera's control when that was made
    // again (reconnection); to be called after the controls may have been.
    void follow(const std::vector<IUnknown*>& controls);
    void follow(const ControlHost& container)
    {
        if (recording()) follow(controlsOf(container));
    }
    // Ends every recording; one line for each, saying what became of it.
    std::vector<std::string> stop(bool brief = false);
    // The same lines, brief and joined, for the status line's notice.
    std::string stopText();
    bool recording() const { return !m_recordings.empty(); }
    bool recording(std::size_t camera) const
    {
        for (std::size_t c : m_cameras)
            if (c == camera) return true;
        return false;
    }
    // For the status line while recording: the length recorded, the file's
    // name (or the number of files), and a write error if one stopped it;
    // after the window's r or Esc, for a few seconds, what it said.
    std::string status() const;

private:
    std::string said(std::string text);

    static std::vector<IUnknown*> controlsOf(const ControlHost& container)
    {
        std::vector<IUnknown*> controls;
        for (std::size_t i = 0; i < container.count(); ++i) controls.push_back(container.control(i));
        return controls;
    }

    std::vector<std::unique_ptr<CameraRecording>> m_recordings;
    std::vector<std::size_t> m_cameras; // each recording's camera
    std::string m_said;
    std::chrono::steady_clock::time_point m_saidUntil;
};

// The file for camera `index` (from 0) of `count` recorded together into
// `file`: the name itself for one camera, else "-N" (the camera's number,
// from 1) before the extension.
std::string RecordingPath(const std::string& file, std::size_t index, std::size_t count);
// `path` when no file has that name, else the first of "-2", "-3", ...
// before the extension that is free: a recording never replaces a file.
std::string UnusedRecordingPath(const std::string& path);
// "camview-HOST-YYYYmmdd-HHMMSS.mkv" in local time, as snapshots are named.
std::string RecordingName(const std::string& host, std::time_t when);
// "m:ss" (and "h:mm:ss" from an hour on).
std::string RecordingLength(std::int64_t ms);
