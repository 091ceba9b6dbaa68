#include "host/core/ViewerAddress.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// %XX escapes of user information, decoded; others are kept as written.
std::string percentDecoded(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

ViewerAddress ReadViewerAddress(const std::string& text)
{
    ViewerAddress a;
    a.url = trimmed(text);
    if (a.url.empty()) return a;
    if (a.url.find("://") == std::string::npos) {
        // A host alone, or a host and a path: the camera's viewer page.
        if (a.url.find('/') == std::string::npos) a.url += "/ImageViewer";
        a.url = "http://" + a.url;
    }
    const std::size_t start = a.url.find("://") + 3;
    const std::size_t end = a.url.find_first_of("/?#", start);
    const std::string authority = a.url.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos) {
        a.user = percentDecoded(authority.substr(0, at));
        a.url.erase(start, at + 1);
    }
    // An http address with no path (or "/" alone) is the camera's viewer
    // page, as a bare host is: what people type into a browser.
    const std::string scheme = lowerCase(a.url.substr(0, start));
    const bool web = scheme == "http://" || scheme == "https://";
    if (web) {
        const std::size_t slash = a.url.find_first_of("/?#", start);
        if (slash == std::string::npos) a.url += "/ImageViewer";
        else if (a.url.compare(slash, std::string::npos, "/") == 0) a.url += "ImageViewer";
    }
    // A CGI program of the camera: the picture stream itself.
    const std::size_t path = a.url.find('/', start);
    const std::string target = path == std::string::npos ? "" : a.url.substr(path, a.url.find_first_of("?#", path) - path);
    a.stream = target.find("/cgi-bin/") != std::string::npos;
    return a;
}

std::vector<std::pair<std::string, std::string>> ViewerAddress::streamParams() const
{
    std::vector<std::pair<std::string, std::string>> params{{"ImagePath", url}};
    // The picture at the size the stream has, when the address says it.
    const std::size_t resolution = url.find("Resolution=");
    if (resolution != std::string::npos) {
        const char* p = url.c_str() + resolution + 11;
        char* end = nullptr;
        const long width = std::strtol(p, &end, 10);
        if (end != p && *end == 'x') {
            const char* q = end + 1;
            const long height = std::strtol(q, &end, 10);
            if (end != q && width > 0 && height > 0 && width <= 4096 && height <= 4096) {
                params.emplace_back("ImageWidth", std::to_string(width));
                params.emplace_back("ImageHeight", std::to_string(height));
            }
        }
    }
    return params;
}

std::string ViewerTitle(const std::string& pageUrl)
{
    const ViewerAddress address = ReadViewerAddress(pageUrl);
    const std::size_t start = address.url.find("://");
    std::string host = start == std::string::npos ? std::string() : address.url.substr(start + 3);
    host = host.substr(0, host.find_first_of("/?#"));
    return "camview - " + (host.empty() ? address.url : host);
}

std::string TypedAddress(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const std::string a = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (a.find("://") != std::string::npos || a.find_first_of(" \t") != std::string::npos || a.rfind("wall:", 0) == 0)
        return a;
    // A host alone, or a host and a path, as ReadViewerAddress reads it;
    // credentials written in it stay, for the viewer to take out.
    return "http://" + a + (a.find('/') == std::string::npos ? "/ImageViewer" : "");
}

std::string UrlOrigin(const std::string& url)
{
    const std::size_t scheme = url.find("://");
    if (scheme == std::string::npos) return {};
    const std::string name = lowerCase(url.substr(0, scheme));
    std::string authority = url.substr(scheme + 3, url.find_first_of("/?#", scheme + 3) - (scheme + 3));
    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos) authority.erase(0, at + 1);
    authority = lowerCase(authority);
    // An IPv6 literal keeps its colons inside the brackets.
    const std::size_t close = authority.rfind(']');
    const std::size_t colon = authority.rfind(':');
    std::string host = authority;
    std::string port;
    if (colon != std::string::npos && (close == std::string::npos || colon > close)) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
    }
    if (port.empty()) port = name == "https" ? "443" : "80";
    return name + "://" + host + ":" + port;
}

std::string OriginHost(const std::string& origin)
{
    const std::size_t scheme = origin.find("://");
    return scheme == std::string::npos ? origin : origin.substr(scheme + 3);
}

std::string CredentialsForUrl(const std::string& givenWith, const std::string& user, const std::string& url)
{
    return UrlOrigin(givenWith) == UrlOrigin(url) ? user : std::string();
}

std::string CredentialsForUrl(const std::vector<GivenUser>& given, const std::string& url)
{
    for (const GivenUser& g : given)
        if (UrlOrigin(g.pageUrl) == UrlOrigin(url)) return g.user;
    return {};
}

std::string TrimmedText(const std::string& text) { return trimmed(text); }
