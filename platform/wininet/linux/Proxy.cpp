// URLs and proxy bypass lists: pure functions, no handles and no network.
#include <algorithm>
#include <cctype>

#include "platform/wininet/linux/InternetObjects.h"

namespace inet {
namespace {

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

} // namespace

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string ServerOf(const std::string& url, std::string* hostOnly)
{
    std::string rest = url;
    const auto scheme = rest.find("://");
    if (scheme != std::string::npos) rest = rest.substr(scheme + 3);
    rest = rest.substr(0, rest.find_first_of("/?#"));
    const auto at = rest.rfind('@');
    if (at != std::string::npos) rest = rest.substr(at + 1);
    rest = Lower(rest);
    if (hostOnly) {
        if (!rest.empty() && rest[0] == '[')
            *hostOnly = rest.substr(1, rest.find(']') - 1);
        else
            *hostOnly = rest.substr(0, rest.find(':'));
    }
    if (rest.find(':') == std::string::npos || (rest[0] == '[' && rest.back() == ']')) rest += ":80";
    return rest;
}

std::vector<std::string> ParseBypassList(const std::string& bypass)
{
    std::vector<std::string> entries;
    size_t start = 0;
    while (start <= bypass.size()) {
        const auto comma = bypass.find_first_of(", ", start);
        const std::string entry =
            Lower(trim(bypass.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (!entry.empty()) entries.push_back(entry);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return entries;
}

bool BypassesProxy(const std::vector<std::string>& noProxy, const std::string& host)
{
    for (const auto& entry : noProxy) {
        if (entry == "*") return true;
        std::string e = entry;
        if (!e.empty() && e[0] == '.') e = e.substr(1);
        if (host == e || (host.size() > e.size() && host.compare(host.size() - e.size(), e.size(), e) == 0 &&
                          host[host.size() - e.size() - 1] == '.'))
            return true;
    }
    return false;
}

} // namespace inet
