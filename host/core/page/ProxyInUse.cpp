#include "host/core/page/ProxyInUse.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "host/core/page/ViewerPage.h"
#include "platform/wininet/WinInet.h"

namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The host of a proxy setting ("http://host:port/", "host:port", or the
// "http=host:port" form of a per-scheme list).
std::string proxyAuthority(std::string proxy)
{
    if (const auto http = proxy.find("http="); http != std::string::npos) {
        proxy = proxy.substr(http + 5);
        proxy = proxy.substr(0, proxy.find_first_of("; "));
    }
    const std::string authority = UrlAuthority(proxy);
    return authority.empty() ? proxy.substr(0, proxy.find('/')) : authority;
}

} // namespace

bool BypassesProxyList(const std::string& bypass, const std::string& host)
{
    const std::string h = lower(host);
    std::size_t start = 0;
    while (start < bypass.size()) {
        const std::size_t end = std::min(bypass.find_first_of(";, \t", start), bypass.size());
        std::string entry = lower(bypass.substr(start, end - start));
        start = end + 1;
        if (entry.empty()) continue;
        if (entry == "*") return true;
        if (entry == "<local>") {
            if (h.find('.') == std::string::npos) return true;
            continue;
        }
        if (entry.rfind("*.", 0) == 0) entry.erase(0, 1);
        if (h == entry || (entry[0] == '.' && h.size() > entry.size() && h.compare(h.size() - entry.size(), entry.size(), entry) == 0) ||
            (entry[0] == '.' && h == entry.substr(1)))
            return true;
    }
    return false;
}

std::string ProxyInUse(const std::string& url)
{
    HINTERNET session = InternetOpenA("camview", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session) return {};
    std::vector<char> buffer(4096);
    DWORD length = static_cast<DWORD>(buffer.size());
    std::string proxy;
    std::string bypass;
    if (InternetQueryOptionA(session, INTERNET_OPTION_PROXY, buffer.data(), &length)) {
        const auto* info = reinterpret_cast<const INTERNET_PROXY_INFO*>(buffer.data());
        if (info->dwAccessType == INTERNET_OPEN_TYPE_PROXY && info->lpszProxy) {
            proxy = reinterpret_cast<const char*>(info->lpszProxy);
            if (info->lpszProxyBypass) bypass = reinterpret_cast<const char*>(info->lpszProxyBypass);
        }
    }
    InternetCloseHandle(session);
    if (proxy.empty()) return {};
    std::string host = UrlAuthority(url);
    if (!host.empty() && host[0] == '[') host = host.substr(1, host.find(']') - 1);
    else host = host.substr(0, host.find(':'));
    return BypassesProxyList(bypass, host) ? std::string() : proxyAuthority(proxy);
}
