#include "host/core/Reconnect.h"

#include <algorithm>
#include <cstdio>

#include "host/core/EventLog.h"
#include "host/core/StreamTap.h"

bool IsStreamEndStatus(const std::string& status)
{
    return status.rfind(" Error Code(", 0) == 0 || status.rfind("not a picture stream: ", 0) == 0;
}

const char* const kPasswordCancelledOverlay = "password cancelled: Enter to try again";

bool IsPasswordCancelledStatus(const std::string& status)
{
    unsigned long flags = 0;
    int code = 0;
    return std::sscanf(status.c_str(), " Error Code(%lx / %d)", &flags, &code) == 2 && (flags & 0x20) != 0;
}

void Reconnector::resize(std::size_t cameras)
{
    // A camera first heard of after Stop is stopped too.
    Camera fresh;
    fresh.stopped = m_stopped;
    m_cameras.resize(cameras, fresh);
}

void Reconnector::picture(std::size_t camera, Clock::time_point now, std::time_t when)
{
    if (camera >= m_cameras.size()) return;
    Camera& c = m_cameras[camera];
    c.lastPicture = when;
    c.lastPictureAt = now;
    c.lastDrawnAt = now;
    c.attempts = 0;
    c.nextWait = kFirstWait;
    c.passwordCancelled = false;
}

void Reconnector::started(std::size_t camera, Clock::time_point now)
{
    if (camera >= m_cameras.size() || m_cameras[camera].waiting || m_cameras[camera].lastPictureAt) return;
    m_cameras[camera].lastPictureAt = now;
}

std::optional<std::chrono::milliseconds> Reconnector::ended(std::size_t camera, Clock::time_point now, std::time_t when)
{
    if (camera >= m_cameras.size() || m_cameras[camera].stopped || m_cameras[camera].waiting) return std::nullopt;
    Camera& c = m_cameras[camera];
    // The fresh control has drawn nothing yet: its own picture may freeze
    // only once it drew one.
    c.lastPictureAt.reset();
    const std::chrono::milliseconds wait = c.nextWait;
    c.waiting = true;
    c.dueAt = now + wait;
    c.endedAt = when;
    c.nextWait = std::min(wait * 2, kLongestWait);
    return wait;
}

std::optional<std::chrono::milliseconds> Reconnector::status(std::size_t camera, const std::string& text,
                                                             Clock::time_point now, std::time_t when)
{
    if (IsPasswordCancelledStatus(text) && camera < m_cameras.size() && !m_cameras[camera].stopped) {
        m_cameras[camera].passwordCancelled = true;
        m_cameras[camera].waiting = false;
        return std::nullopt;
    }
    return IsStreamEndStatus(text) ? ended(camera, now, when) : std::nullopt;
}

std::vector<std::pair<std::size_t, std::chrono::milliseconds>> Reconnector::stalled(Clock::time_point now, std::time_t when)
{
    std::vector<std::pair<std::size_t, std::chrono::milliseconds>> out;
    for (std::size_t i = 0; i < m_cameras.size(); ++i) {
        const Camera& c = m_cameras[i];
        if (c.waiting || c.passwordCancelled || !c.lastPictureAt || now - *c.lastPictureAt < kStall) continue;
        if (const auto wait = ended(i, now, when)) out.emplace_back(i, *wait);
    }
    return out;
}

void Reconnector::stop()
{
    m_stopped = true;
    for (Camera& c : m_cameras) {
        c.waiting = false;
        c.stopped = true;
    }
}

void Reconnector::stop(std::size_t camera)
{
    if (camera >= m_cameras.size()) resize(camera + 1);
    m_cameras[camera].waiting = false;
    m_cameras[camera].stopped = true;
}

bool Reconnector::stopped(std::size_t camera) const { return camera < m_cameras.size() ? m_cameras[camera].stopped : m_stopped; }

void Reconnector::resume(std::size_t camera)
{
    if (camera >= m_cameras.size()) resize(camera + 1);
    m_cameras[camera] = Camera{};
    m_stopped = std::any_of(m_cameras.begin(), m_cameras.end(), [](const Camera& c) { return c.stopped; });
}

std::vector<std::size_t> Reconnector::due(Clock::time_point now)
{
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < m_cameras.size(); ++i) {
        Camera& c = m_cameras[i];
        if (!c.waiting || now < c.dueAt) continue;
        c.waiting = false;
        ++c.attempts;
        out.push_back(i);
    }
    return out;
}

std::optional<Reconnector::Clock::duration> Reconnector::untilDue(Clock::time_point now) const
{
    std::optional<Clock::duration> soonest;
    for (const Camera& c : m_cameras) {
        if (!c.waiting) continue;
        const Clock::duration left = c.dueAt > now ? c.dueAt - now : Clock::duration::zero();
        if (!soonest || left < *soonest) soonest = left;
    }
    return soonest;
}

bool Reconnector::waiting(std::size_t camera) const { return camera < m_cameras.size() && m_cameras[camera].waiting; }

bool Reconnector::awaitsStart(std::size_t camera) const
{
    return camera < m_cameras.size() && !m_cameras[camera].waiting && !m_cameras[camera].lastPictureAt;
}

std::vector<std::pair<std::size_t, std::chrono::milliseconds>> Reconnector::silent(Clock::time_point now,
                                                                                   std::chrono::milliseconds least) const
{
    std::vector<std::pair<std::size_t, std::chrono::milliseconds>> out;
    for (std::size_t i = 0; i < m_cameras.size(); ++i) {
        // Stopped by the user: no picture is what was asked for.
        const Camera& c = m_cameras[i];
        if (c.stopped || !c.lastDrawnAt) continue;
        const auto quiet = std::chrono::duration_cast<std::chrono::milliseconds>(now - *c.lastDrawnAt);
        if (quiet >= least) out.emplace_back(i, quiet);
    }
    return out;
}

bool Reconnector::passwordCancelled(std::size_t camera) const
{
    return camera < m_cameras.size() && m_cameras[camera].passwordCancelled;
}

bool Reconnector::retryPassword(std::size_t camera)
{
    if (!passwordCancelled(camera) || m_cameras[camera].stopped) return false;
    m_cameras[camera].passwordCancelled = false;
    ++m_cameras[camera].attempts;
    return true;
}

int Reconnector::attempts(std::size_t camera) const { return camera < m_cameras.size() ? m_cameras[camera].attempts : 0; }

std::string Reconnector::overlay(std::size_t camera, Clock::time_point now) const
{
    if (camera >= m_cameras.size() || m_cameras[camera].stopped) return {};
    const Camera& c = m_cameras[camera];
    if (c.passwordCancelled) return kPasswordCancelledOverlay;
    if (!c.waiting && c.attempts == 0) return {};
    const std::time_t since = c.lastPicture ? c.lastPicture : c.endedAt;
    char clock[16] = "--:--:--";
    if (const std::tm* local = std::localtime(&since)) std::strftime(clock, sizeof clock, "%H:%M:%S", local);
    const std::string text = std::string("no picture since ") + clock + ", reconnecting";
    // The fresh control is connecting: no count to show.
    if (!c.waiting) return text;
    // Whole seconds, rounded up: "in 0 s" would read as "now" while it is not.
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(c.dueAt > now ? c.dueAt - now : Clock::duration::zero());
    return text + " in " + std::to_string((left.count() + 999) / 1000) + " s";
}

void ReconnectWatch::attach(ControlHost& host)
{
    m_reload = [&host](std::size_t camera) { return host.reload(camera); };
    m_ended = [&host](std::size_t camera) { return ControlStreamEnded(host.control(camera)); };
    m_started = [&host](std::size_t camera) { return ControlStreamStarted(host.control(camera)); };
}

void ReconnectWatch::resume(std::size_t camera) { m_schedule.resume(camera); }

std::vector<std::size_t> ReconnectWatch::reload(int target, std::size_t count)
{
    std::vector<std::size_t> cameras;
    for (std::size_t i = target >= 0 ? static_cast<std::size_t>(target) : 0; i < count; ++i) {
        resume(i);
        cameras.push_back(i);
        if (target >= 0) break;
    }
    return cameras;
}

void ReconnectWatch::grow(std::size_t camera)
{
    if (camera >= m_schedule.size()) m_schedule.resize(camera + 1);
}

void ReconnectWatch::reportEnd(std::size_t camera, const std::string& why, std::chrono::milliseconds wait)
{
    if (!m_log) return;
    m_log->write("\"control\":" + std::to_string(camera) + ",\"stream_ended\":\"" + EventLog::Escape(why) + "\"" +
                 (m_reconnecting ? ",\"reconnect_in_ms\":" + std::to_string(wait.count()) : std::string()));
}


ContainerListener ReconnectWatch::listener(ContainerListener chained)
{
    ContainerListener l = chained;
    l.onFrame = [this, chained](int control, int width, int height) {
        if (control >= 0) {
            grow(static_cast<std::size_t>(control));
            m_schedule.picture(static_cast<std::size_t>(control), Reconnector::Clock::now(), std::time(nullptr));
        }
        if (chained.onFrame) chained.onFrame(control, width, height);
    };
    l.onStatus = [this, chained](int control, const std::string& text) {
        // The report's line for the status comes first, then the end it means.
        if (chained.onStatus) chained.onStatus(control, text);
        if (control < 0) return;
        grow(static_cast<std::size_t>(control));
        if (const auto wait = m_schedule.status(static_cast<std::size_t>(control), text, Reconnector::Clock::now(),
                                                std::time(nullptr))) {
            std::string why = text;
            while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
            why.erase(0, why.find_first_not_of(' '));
            reportEnd(static_cast<std::size_t>(control), why, *wait);
        } else if (m_log && m_schedule.passwordCancelled(static_cast<std::size_t>(control))) {
            m_log->write("\"control\":" + std::to_string(control) + ",\"password_cancelled\":true");
        }
    };
    return l;
}

bool ReconnectWatch::retryPassword(int preferred)
{
    std::size_t camera = preferred >= 0 ? static_cast<std::size_t>(preferred) : 0;
    while (preferred < 0 && camera < m_schedule.size() && !m_schedule.passwordCancelled(camera)) ++camera;
    if (!m_schedule.retryPassword(camera)) return false;
    if (m_log)
        m_log->write("\"control\":" + std::to_string(camera) + ",\"reconnect\":" + std::to_string(m_schedule.attempts(camera)));
    if (m_reload && m_reload(camera)) return true;
    if (const auto wait = m_schedule.ended(camera, Reconnector::Clock::now(), std::time(nullptr)))
        reportEnd(camera, "the control could not be made again", *wait);
    return true;
}

void ReconnectWatch::step()
{
    const auto now = Reconnector::Clock::now();
    for (std::size_t camera = 0; m_ended && camera < m_schedule.size(); ++camera) {
        // The tap is asked only until the stream has started (or drawn).
        if (m_started && m_schedule.awaitsStart(camera) && m_started(camera)) m_schedule.started(camera, now);
        if (m_schedule.waiting(camera) || !m_ended(camera)) continue;
        if (const auto wait = m_schedule.ended(camera, now, std::time(nullptr)))
            reportEnd(camera, "the stream ended", *wait);
    }
    for (const auto& [camera, wait] : m_schedule.stalled(now, std::time(nullptr)))
        reportEnd(camera, "no picture for " + std::to_string(Reconnector::kStall.count() / 1000) + " s", wait);
    if (!m_reconnecting) return;
    for (const std::size_t camera : m_schedule.due(now)) {
        if (m_log)
            m_log->write("\"control\":" + std::to_string(camera) + ",\"reconnect\":" +
                         std::to_string(m_schedule.attempts(camera)));
        // A camera that cannot be made again counts as one more end.
        if (!m_reload || !m_reload(camera)) {
            if (const auto wait = m_schedule.ended(camera, now, std::time(nullptr)))
                reportEnd(camera, "the control could not be made again", *wait);
        }
    }
}
