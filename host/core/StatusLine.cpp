#include "host/core/StatusLine.h"

#include <cstdio>

#include "host/core/page/NetworkErrors.h"

void FrameRates::frame(std::size_t camera, std::chrono::steady_clock::time_point at)
{
    if (camera < m_times.size()) m_times[camera].push_back(at);
}

double FrameRates::rate(std::size_t camera, std::chrono::steady_clock::time_point now)
{
    if (camera >= m_times.size()) return 0;
    auto& times = m_times[camera];
    while (!times.empty() && now - times.front() > std::chrono::seconds(2)) times.pop_front();
    if (times.size() < 2) return 0;
    const double span = std::chrono::duration<double>(times.back() - times.front()).count();
    return span > 0 ? static_cast<double>(times.size() - 1) / span : 0;
}

namespace {

std::string rateText(double rate)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", rate);
    return text;
}

// A failed stream's status text, and what it means as the headless report
// says it.
std::string failure(const std::string& status, bool credentialsGiven)
{
    if (status.rfind(" Error Code(", 0) != 0) return {};
    std::string shown = status;
    while (!shown.empty() && (shown.back() == '\n' || shown.back() == ' ')) shown.pop_back();
    shown.erase(0, shown.find_first_not_of(' '));
    const std::string meaning = ExplainControlStatus(status, credentialsGiven);
    return meaning.empty() ? shown : shown + ": " + meaning;
}

} // namespace

std::string ComposeStatusLine(const StatusLineInput& in)
{
    const std::size_t count = in.hosts.size();
    int shown = in.shown;
    if (shown < 0 && count == 1) shown = 0;
    std::string line;
    if (shown >= 0 && static_cast<std::size_t>(shown) < count) {
        const auto i = static_cast<std::size_t>(shown);
        line = "camera " + (count > 1 ? std::to_string(i + 1) + "/" + std::to_string(count) + " " : "") + in.hosts[i] +
               "   " + rateText(i < in.rates.size() ? in.rates[i] : 0) + " fps";
        if (i < in.statuses.size()) {
            const std::string failed = failure(in.statuses[i], in.credentialsGiven);
            if (!failed.empty()) line += "   " + failed;
        }
    } else {
        line = std::to_string(count) + " cameras:";
        for (std::size_t i = 0; i < count; ++i) line += (i ? ", " : " ") + rateText(i < in.rates.size() ? in.rates[i] : 0);
        line += " fps";
    }
    // The last event of the camera the line speaks of.
    const std::string& event = shown >= 0 && static_cast<std::size_t>(shown) < in.lastEvents.size()
                                   ? in.lastEvents[static_cast<std::size_t>(shown)]
                                   : in.latestEvent;
    if (!in.recording.empty()) line += "   " + in.recording;
    if (!in.notice.empty()) line += "   " + in.notice;
    else if (!event.empty()) line += "   last event: " + event;
    return line;
}

std::string StatusOfTexts(const std::vector<std::string>& texts)
{
    std::string status;
    for (const std::string& t : texts) status += (status.empty() ? "" : " ") + t;
    return status;
}
