#include "host/core/Recording.h"

#include <cstdio>
#include <filesystem>

#include "host/core/CaptureName.h"
#include "host/core/FrameSinks.h"

CameraRecording::~CameraRecording() { stop(); }

std::string CameraRecording::start(IUnknown* control, const std::string& path)
{
    if (m_tap) return "a recording into " + m_path + " is running";
    m_path = path;
    std::unique_lock lock(m_mutex);
    m_error.clear();
    m_haveFirst = false;
    IFrameTap* tap = nullptr;
    if (!control || FAILED(control->QueryInterface(IID_IFrameTap, reinterpret_cast<void**>(&tap))) || !tap)
        return "cannot record " + path + ": the control does not hand out its frames";
    std::string error = m_writer.open(path);
    lock.unlock();
    if (!error.empty()) {
        tap->Release();
        return error;
    }
    m_tap = tap;
    m_control = control;
    AttachFrameSink(m_tap, this);
    return {};
}

void CameraRecording::follow(IUnknown* control)
{
    // The old control stays alive while its tap is held, so a new one is
    // never at the same address.
    if (!m_tap || !control || control == m_control) return;
    IFrameTap* tap = nullptr;
    if (FAILED(control->QueryInterface(IID_IFrameTap, reinterpret_cast<void**>(&tap))) || !tap) return;
    DetachFrameSink(m_tap, this);
    m_tap->Release();
    m_tap = tap;
    m_control = control;
    AttachFrameSink(m_tap, this);
}

std::string CameraRecording::stop(bool brief)
{
    if (!m_tap) return {};
    DetachFrameSink(m_tap, this);
    m_tap->Release();
    m_tap = nullptr;
    // A frame being written on the control's thread is finished first; one
    // that comes after finds the file closed.
    std::unique_lock lock(m_mutex);
    const long frames = m_writer.frames();
    const std::string finished = m_writer.finish();
    const std::string error = m_error;
    lock.unlock();
    if (!error.empty()) return error;
    if (!finished.empty()) return finished;
    if (brief)
        return "recording saved (" + RecordingLength(lengthMs()) + "): " + std::filesystem::path(m_path).filename().string();
    return "recording saved to " + m_path + " (" + std::to_string(frames) + " frames, " + RecordingLength(lengthMs()) + ")";
}

long CameraRecording::frames() const
{
    std::lock_guard lock(m_mutex);
    return m_writer.frames();
}

std::int64_t CameraRecording::lengthMs() const
{
    std::lock_guard lock(m_mutex);
    return m_writer.lastMs() < 0 ? 0 : m_writer.lastMs();
}

std::string CameraRecording::error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

HRESULT STDMETHODCALLTYPE CameraRecording::OnFrame(const BYTE* bytes, DWORD length, DWORD arrivalTick)
{
    std::lock_guard lock(m_mutex);
    // After a write failed the file is left as it is; the status line says
    // why until the recording is ended.
    if (!m_error.empty() || !m_writer.isOpen()) return S_FALSE;
    if (!m_haveFirst) {
        m_haveFirst = true;
        m_firstTick = arrivalTick;
    }
    // The tick count's difference, right across its wrap after 49.7 days.
    const std::int64_t ms = static_cast<DWORD>(arrivalTick - m_firstTick);
    m_error = m_writer.write(bytes, length, ms);
    return m_error.empty() ? S_OK : E_FAIL;
}

std::string Recorder::start(const std::vector<Camera>& cameras)
{
    if (recording()) return "already recording";
    for (const Camera& camera : cameras) {
        auto recording = std::make_unique<CameraRecording>();
        if (std::string error = recording->start(camera.control, camera.path); !error.empty()) {
            stop();
            return error;
        }
        m_recordings.push_back(std::move(recording));
        m_cameras.push_back(camera.index);
    }
    return {};
}

void Recorder::follow(const std::vector<IUnknown*>& controls)
{
    for (std::size_t i = 0; i < m_recordings.size(); ++i)
        if (m_cameras[i] < controls.size()) m_recordings[i]->follow(controls[m_cameras[i]]);
}

std::string Recorder::startAll(const std::vector<IUnknown*>& controls, const std::string& file)
{
    std::vector<Camera> cameras;
    for (std::size_t i = 0; i < controls.size(); ++i)
        cameras.push_back({controls[i], UnusedRecordingPath(RecordingPath(file, i, controls.size())), i});
    return said(start(cameras));
}

std::string Recorder::toggle(const std::vector<IUnknown*>& controls, const std::vector<std::string>& hosts, int shown,
                             const std::string& folder, std::time_t when)
{
    if (recording()) return said(stopText());
    if (controls.empty()) return said("no camera to record");
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::size_t first = shown >= 0 && static_cast<std::size_t>(shown) < controls.size() ? static_cast<std::size_t>(shown) : 0;
    const std::size_t count = shown >= 0 && first == static_cast<std::size_t>(shown) ? 1 : controls.size();
    std::vector<Camera> cameras;
    for (std::size_t i = first; i < first + count; ++i) {
        const std::string name = RecordingName(i < hosts.size() ? hosts[i] : std::string(), when);
        // A name taken already within the same second gets "-2", "-3", ...
        cameras.push_back({controls[i], UnusedRecordingPath(folder + "/" + RecordingPath(name, i, count == 1 ? 1 : controls.size())), i});
    }
    return said(start(cameras));
}

std::vector<std::string> Recorder::stop(bool brief)
{
    std::vector<std::string> lines;
    for (auto& recording : m_recordings) lines.push_back(recording->stop(brief));
    m_recordings.clear();
    m_cameras.clear();
    return lines;
}

std::string Recorder::stopText()
{
    std::string text;
    for (const std::string& line : stop(true)) text += (text.empty() ? "" : "; ") + line;
    return said(text);
}

std::string Recorder::said(std::string text)
{
    m_said = text;
    m_saidUntil = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    return text;
}

std::string Recorder::status() const
{
    if (m_recordings.empty()) return std::chrono::steady_clock::now() < m_saidUntil ? m_said : std::string();
    // The length first and the file's name without its folder, so that a
    // narrow window still shows how long it has been recording.
    const CameraRecording& first = *m_recordings.front();
    std::string text = "recording " + RecordingLength(first.lengthMs()) + " ";
    text += m_recordings.size() == 1 ? std::filesystem::path(first.path()).filename().string()
                                     : std::to_string(m_recordings.size()) + " files";
    for (const auto& recording : m_recordings)
        if (!recording->error().empty()) return text + ", stopped: " + recording->error();
    return text;
}

std::string RecordingPath(const std::string& file, std::size_t index, std::size_t count)
{
    if (count <= 1) return file;
    const std::size_t slash = file.find_last_of("/\\");
    const std::size_t dot = file.rfind('.');
    const std::size_t at = dot == std::string::npos || (slash != std::string::npos && dot < slash) ? file.size() : dot;
    return file.substr(0, at) + "-" + std::to_string(index + 1) + file.substr(at);
}

std::string UnusedRecordingPath(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.rfind('.');
    const std::size_t at = dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path.size() : dot;
    std::error_code error;
    std::string unused = path;
    for (int n = 2; std::filesystem::exists(unused, error); ++n)
        unused = path.substr(0, at) + "-" + std::to_string(n) + path.substr(at);
    return unused;
}

std::string RecordingName(const std::string& host, std::time_t when) { return CaptureName(host, when, ".mkv"); }

std::string RecordingLength(std::int64_t ms)
{
    const std::int64_t seconds = ms < 0 ? 0 : ms / 1000;
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                      static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60), static_cast<long long>(seconds % 60));
    return text;
}
