#include "host/core/EventLog.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

EventLog::EventLog(std::FILE* out) : m_out(out), m_start(std::chrono::steady_clock::now()) {}

long long EventLog::elapsedMs() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start).count();
}

std::string EventLog::Escape(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

void EventLog::write(const std::string& jsonFields)
{
    if (m_tap) {
        int control = -1;
        constexpr std::string_view kControl = "\"control\":";
        if (jsonFields.compare(0, kControl.size(), kControl) == 0) control = std::atoi(jsonFields.c_str() + kControl.size());
        m_tap(control, "{\"t_ms\":" + std::to_string(elapsedMs()) + "," + jsonFields + "}");
    }
    if (!m_out) return;
    std::lock_guard lock(m_mutex);
    if (m_broken.load(std::memory_order_relaxed)) return;
    // A reader that went away (`| head -3`) fails the write: the run then
    // ends as the viewer chooses, its recordings closed.
    if (std::fprintf(m_out, "{\"t_ms\":%lld,%s}\n", elapsedMs(), jsonFields.c_str()) < 0 || std::fflush(m_out) != 0 ||
        std::ferror(m_out)) {
        m_broken.store(true, std::memory_order_release);
        std::fprintf(stderr, "camview: the report's reader has gone (standard output is closed); ending\n");
    }
}

ContainerListener EventLog::listener(ContainerListener chained)
{
    ContainerListener l;
    l.onEvent = [this, chained](int control, const std::string& name, const std::string& value) {
        write("\"control\":" + std::to_string(control) + ",\"event\":\"" + Escape(name) + "\",\"value\":" + value);
        if (chained.onEvent) chained.onEvent(control, name, value);
    };
    l.onNavigate = [this, chained](int control, const std::string& url) {
        write("\"control\":" + std::to_string(control) + ",\"navigate\":\"" + Escape(url) + "\",\"frame\":\"Message\"");
        if (chained.onNavigate) chained.onNavigate(control, url);
    };
    l.onMessage = [this, chained](const std::string& text) {
        write("\"message\":\"" + Escape(text) + "\"");
        if (chained.onMessage) chained.onMessage(text);
    };
    l.onStatus = [this, chained](int control, const std::string& text) {
        write("\"control\":" + std::to_string(control) + ",\"status\":\"" + Escape(text) + "\"");
        if (chained.onStatus) chained.onStatus(control, text);
    };
    l.onFrame = [this, chained](int control, int width, int height) {
        const long n = ++m_frames;
        write("\"control\":" + std::to_string(control) + ",\"frame\":" + std::to_string(n) + ",\"width\":" + std::to_string(width) +
              ",\"height\":" + std::to_string(height));
        if (chained.onFrame) chained.onFrame(control, width, height);
    };
    l.onNotice = [this, chained](int control, const std::string& text) {
        write("\"control\":" + std::to_string(control) + ",\"notice\":\"" + Escape(text) + "\"");
        if (chained.onNotice) chained.onNotice(control, text);
    };
    l.onCursor = [this, chained](const std::string& cursor) {
        write("\"cursor\":\"" + Escape(cursor) + "\"");
        if (chained.onCursor) chained.onCursor(cursor);
    };
    l.onPropertyPage = [this, chained](const std::string& title, const std::string& text) {
        write("\"property_page\":\"" + Escape(title) + "\",\"text\":\"" + Escape(text) + "\"");
        if (chained.onPropertyPage) chained.onPropertyPage(title, text);
    };
    return l;
}

void EventLog::pageFailed(const std::string& page, const std::string& reason)
{
    write("\"page\":\"" + Escape(page) + "\",\"error\":\"" + Escape(reason) + "\"");
}
