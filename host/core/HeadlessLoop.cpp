#include "host/core/HeadlessLoop.h"

#include <algorithm>
#include <cstdio>

#include "host/core/Recording.h"
#include "host/core/page/NetworkErrors.h"

namespace {

void endRecording(Recorder& recorder)
{
    for (const std::string& line : recorder.stop()) std::fprintf(stderr, "camview: %s\n", line.c_str());
}

// A key is the viewer's own command; the report says when it was given, so
// that what follows it can be told from what came before however busy the
// machine is.

bool applyKey(const InputAction& a, HeadlessFace& face, EventLog& log, POINT pointer, ReconnectWatch* reconnect,
              Recorder& recorder)
{
    log.write("\"key\":\"" + EventLog::Escape(a.key) + "\"");
    if (a.key == "Escape") {
        // Stopped by the user: no camera is made again.
        if (reconnect) reconnect->stop();
        face.host().stop();
        endRecording(recorder);
    } else if (a.key == "p") face.showProperties(pointer);
    else if (a.key == "q") return false;
    return true;
}

} // namespace

void ControlStatuses::clear()
{
    std::lock_guard lock(m_mutex);
    m_texts.clear();
    m_last.clear();
}

void ControlStatuses::set(int control, const std::string& text)
{
    std::lock_guard lock(m_mutex);
    m_texts[control] = text;
    m_last = text;
}

std::string ControlStatuses::of(int control) const
{
    std::lock_guard lock(m_mutex);
    const auto it = m_texts.find(control);
    return it == m_texts.end() ? std::string() : it->second;
}

std::string ControlStatuses::last() const
{
    std::lock_guard lock(m_mutex);
    return m_last;
}

bool ControlStatuses::allFailed(int count) const
{
    std::lock_guard lock(m_mutex);
    if (count <= 0) return false;
    for (int i = 0; i < count; ++i) {
        const auto it = m_texts.find(i);
        // The control's error text: its stream failed and nothing reconnects.
        if (it == m_texts.end() || it->second.rfind(" Error Code(", 0) != 0) return false;
    }
    return true;
}

long RunHeadlessLoop(HeadlessFace& face, const InputScript& script, EventLog& log, const HeadlessLimits& limits,
                     const ControlStatuses& statuses, ReconnectWatch* reconnect)
{
    // Script times count from the viewer's start, as the report's do.
    auto elapsedMs = [&] { return static_cast<std::uint64_t>(log.elapsedMs()); };
    std::size_t next = 0;
    long lastSnapshotFrames = 0;
    POINT pointer{0, 0};
    bool running = true;
    Recorder recorder;
    if (!limits.record.empty()) {
        if (const std::string error = recorder.startAll(face.host(), limits.record); !error.empty()) {
            std::fprintf(stderr, "camview: %s\n", error.c_str());
            return -1;
        }
    }
    while (running && !log.broken() && elapsedMs() < limits.durationSeconds * 1000 && (limits.frames < 0 || log.frames() < limits.frames) &&
           !(log.frames() == 0 && !(reconnect && reconnect->reconnecting()) && statuses.allFailed(static_cast<int>(face.host().count())))) {
        while (running && next < script.actions.size() && script.actions[next].atMs <= elapsedMs()) {
            const InputAction& a = script.actions[next++];
            if (a.kind == InputAction::Kind::Key) {
                running = applyKey(a, face, log, pointer, reconnect, recorder);
            } else {
                pointer = a.pt;
                running = face.applyPointer(a);
            }
            running = face.pump() && running;
        }
        running = face.pump() && running;
        if (reconnect) {
            reconnect->step();
            recorder.follow(face.host()); // a camera made again goes on into its file
        }
        face.paint();
        if (limits.snapshotEvery > 0 && log.frames() - lastSnapshotFrames >= limits.snapshotEvery) {
            lastSnapshotFrames = log.frames();
            char name[32];
            std::snprintf(name, sizeof name, "/frame-%06ld.png", lastSnapshotFrames);
            if (!face.writePng(limits.snapshotDir + name))
                std::fprintf(stderr, "camview: cannot write %s%s\n", limits.snapshotDir.c_str(), name);
        }
        // Until a message comes (the controls' timers and sockets post
        // theirs) or the next scripted action is due; at most 100 ms, for
        // the run's own limits and the reconnections' times.
        std::uint64_t idle = 100;
        if (next < script.actions.size())
            idle = std::min(idle, script.actions[next].atMs - std::min(script.actions[next].atMs, elapsedMs()));
        face.wait(std::max<std::uint64_t>(idle, 1));
    }
    endRecording(recorder);
    if (!limits.snapshot.empty()) {
        if (face.writePng(limits.snapshot))
            std::fprintf(stderr, "camview: snapshot written to %s\n", limits.snapshot.c_str());
        else
            std::fprintf(stderr, "camview: cannot write %s\n", limits.snapshot.c_str());
    }
    return log.frames();
}

int HeadlessExitStatus(long frames, const std::string& status, bool credentialsGiven, const ReconnectWatch* watch)
{
    if (frames < 0) return 2;
    if (frames > 0) {
        // Pictures came, but a camera's then stopped for good: said, with
        // a status of its own, so that a script can tell.
        const auto silent = watch ? watch->silent(Reconnector::Clock::now(), Reconnector::kStall)
                                  : std::vector<std::pair<std::size_t, std::chrono::milliseconds>>{};
        for (const auto& [camera, quiet] : silent)
            std::fprintf(stderr, "camview: camera %zu: no picture for the last %lld s\n", camera + 1,
                         static_cast<long long>(quiet.count() / 1000));
        return silent.empty() ? 0 : 3;
    }
    const std::string meaning = ExplainControlStatus(status, credentialsGiven);
    std::string shown = status;
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == ' ')) shown.pop_back();
    shown.erase(0, shown.find_first_not_of(' '));
    std::fprintf(stderr, "camview: no picture; the control shows: %s\n", shown.c_str());
    if (!meaning.empty()) std::fprintf(stderr, "camview: %s\n", meaning.c_str());
    return 1;
}

bool LoadInputScript(const std::string& path, InputScript& script)
{
    if (path.empty()) return true;
    script = ReadInputScript(path);
    if (!script.error.empty()) {
        std::fprintf(stderr, "camview: %s\n", script.error.c_str());
        return false;
    }
    return true;
}
