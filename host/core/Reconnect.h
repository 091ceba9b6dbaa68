// Reconnection as a person at a browser does it. A control never
// reconnects by itself: once a camera's stream has ended or failed for
// good, the viewer waits (1 s, doubling up to 30 s while attempts keep
// failing) and then replaces that camera's control with a fresh one from
// the same page, as reloading the page would. A picture from the fresh
// control resets the wait. A stream ends when the control shows its
// error, or when a camera that drew pictures draws none for kStall (a
// connection that stays open but carries nothing: the picture froze), or
// when one whose stream got past its head draws none for kStall after
// that (frozen before its first picture). The faces decide what "replace" means (their
// container makes the control again); this class decides when.
#pragma once

#include <chrono>
#include <cstddef>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/core/ContainerListener.h"
#include "host/core/ControlHost.h"
#include "platform/tap/FrameTap.h"

class EventLog;

// Whether a control's status text is the error its stream ended with:
// no picture will come from that control any more.
bool IsStreamEndStatus(const std::string& status);
// Whether a control's status text says its password prompt was cancelled
// (preflight flag 0x20): the person said no, and nothing asks again until
// they say so (Enter on the camera).
bool IsPasswordCancelledStatus(const std::string& status);
// What the camera's cell says then.
extern const char* const kPasswordCancelledOverlay;

class Reconnector {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kFirstWait{1000};
    static constexpr std::chrono::milliseconds kLongestWait{30000};
    static constexpr std::chrono::milliseconds kStall{10000};

    void resize(std::size_t cameras);
    std::size_t size() const { return m_cameras.size(); }

    // A camera drew a picture (at wall-clock time `when`): its stream
    // works, and the next end waits the first delay again.
    void picture(std::size_t camera, Clock::time_point now, std::time_t when);
    // A camera's stream got past its head: from the first time this is
    // told, it freezes as a picture drawn at `now` would.
    void started(std::size_t camera, Clock::time_point now);
    // A camera's stream ended at `now`. Answers how long the viewer waits
    // before the next attempt, or nothing when the camera already waits
    // (an end is counted once).
    std::optional<std::chrono::milliseconds> ended(std::size_t camera, Clock::time_point now, std::time_t when);
    // The status text a camera's control shows without a picture: the
    // stream's error text is its end.
    std::optional<std::chrono::milliseconds> status(std::size_t camera, const std::string& text, Clock::time_point now,
                                                    std::time_t when);

    // The cameras whose picture froze by `now` (drew none for kStall) are
    // ended: their waits, in order of camera.
    std::vector<std::pair<std::size_t, std::chrono::milliseconds>> stalled(Clock::time_point now, std::time_t when);
    // The cameras whose wait is over at `now`, in order; each is counted as
    // one more attempt and waits no longer.
    std::vector<std::size_t> due(Clock::time_point now);
    // The user stopped the cameras (the browser's Stop): nothing ends or
    // reconnects any more.
    void stop();
    // One camera stopped (hidden while another is shown alone).
    void stop(std::size_t camera);
    // Whether the user stopped the camera (and has not reloaded it since).
    bool stopped(std::size_t camera) const;
    // The user reloaded a camera: it starts afresh, as a new one.
    void resume(std::size_t camera);
    // How long until the next camera is due, or nothing when none waits.
    std::optional<Clock::duration> untilDue(Clock::time_point now) const;

    bool waiting(std::size_t camera) const;
    // Whether the camera neither waits nor has started or drawn since its
    // control was made: the one whose stream start is worth asking for.
    bool awaitsStart(std::size_t camera) const;
    // The cameras that drew pictures and then none for at least `least`
    // by `now`, with how long, in order of camera; not those the user
    // stopped.
    std::vector<std::pair<std::size_t, std::chrono::milliseconds>> silent(Clock::time_point now,
                                                                          std::chrono::milliseconds least) const;
    bool passwordCancelled(std::size_t camera) const;
    // The person asks to try a camera whose prompt was cancelled again:
    // true (and it is no longer cancelled) when it was.
    bool retryPassword(std::size_t camera);
    // Attempts made since the camera's last picture.
    int attempts(std::size_t camera) const;
    // What the cell shows over the last picture while the camera waits:
    // "no picture since HH:MM:SS, reconnecting in N s" (local time; the
    // time of the end when the camera never drew a picture); while its
    // fresh control connects, "no picture since HH:MM:SS, reconnecting".
    // Empty for a camera that draws (or was stopped).
    std::string overlay(std::size_t camera, Clock::time_point now) const;

private:
    struct Camera {
        bool waiting = false;
        Clock::time_point dueAt{};
        std::chrono::milliseconds nextWait = kFirstWait;
        int attempts = 0;
        std::time_t lastPicture = 0; // 0: none yet
        std::optional<Clock::time_point> lastPictureAt; // since the control was made
        std::optional<Clock::time_point> lastDrawnAt;   // the last picture, whichever control drew it
        std::time_t endedAt = 0;
        bool passwordCancelled = false;
        bool stopped = false;
    };
    std::vector<Camera> m_cameras;
    bool m_stopped = false;
};

// A viewer's reconnection: fed by what its container reports (pictures and
// status texts, through listener()), it makes a camera again through the
// face's `reload` when its wait is over, and writes a report line for
// each end and each attempt. Everything runs on the thread that drives
// the container.
class ReconnectWatch {
public:
    // log: where the lines go (may be null, or set later).
    explicit ReconnectWatch(EventLog* log = nullptr) : m_log(log) {}
    void setLog(EventLog* log) { m_log = log; }

    // A listener that feeds this watch, then calls `chained`.
    ContainerListener listener(ContainerListener chained = {});
    // Makes the cameras of `host` again through its reload, and learns of
    // their ends through their controls' frame taps.
    void attach(ControlHost& host);
    // How a face makes the camera at an index again; false when it could not.
    void setReload(std::function<bool(std::size_t)> reload) { m_reload = std::move(reload); }
    // How a face learns that a camera's stream ended after its pictures
    // (the control then keeps its last picture and shows no error).
    void setEndProbe(std::function<bool(std::size_t)> ended) { m_ended = std::move(ended); }

    // Ends the streams that ended and the frozen pictures, and makes the
    // cameras whose wait is over.
    void step();
    // The user stopped every camera: none is made again.
    void stop() { m_schedule.stop(); }
    void stop(std::size_t camera) { m_schedule.stop(camera); }
    bool stopped(std::size_t camera) const { return m_schedule.stopped(camera); }
    // The user reloaded the camera (F5, Enter): it is watched afresh.
    void resume(std::size_t camera);
    // F5 or Enter, as a browser's Reload: the cameras to make again
    // (`target`, the one shown alone or under the pointer, else all
    // `count`), each watched afresh with Stop undone; the key is reported.
    std::vector<std::size_t> reload(int target, std::size_t count);
    // Off (headless without --reconnect): ends are still reported, but no
    // camera is made again.
    void setReconnecting(bool on) { m_reconnecting = on; }
    bool reconnecting() const { return m_reconnecting; }
    // The cameras that drew pictures and then none for at least `least`
    // by `now` (Reconnector::silent).
    std::vector<std::pair<std::size_t, std::chrono::milliseconds>> silent(Reconnector::Clock::time_point now,
                                                                          std::chrono::milliseconds least) const
    {
        return m_schedule.silent(now, least);
    }
    // The text over a waiting camera's last picture, or empty.
    std::string overlay(std::size_t camera) const { return m_schedule.overlay(camera, Reconnector::Clock::now()); }
    bool waiting(std::size_t camera) const { return m_schedule.waiting(camera); }
    // Enter: makes again the camera whose password prompt was cancelled,
    // `preferred` (the one shown alone or under the pointer), or without
    // one (-1) the first such camera. False when there is none to try.
    bool retryPassword(int preferred);
    // How long the driving loop may sleep before the next attempt.
    std::optional<Reconnector::Clock::duration> untilDue() const { return m_schedule.untilDue(Reconnector::Clock::now()); }

private:
    void grow(std::size_t camera);
    void reportEnd(std::size_t camera, const std::string& why, std::chrono::milliseconds wait);

    EventLog* m_log;
    std::function<bool(std::size_t)> m_reload;
    std::function<bool(std::size_t)> m_ended;
    std::function<bool(std::size_t)> m_started; // the camera's stream got past its head
    Reconnector m_schedule;
    bool m_reconnecting = true;
};
