// The process's cookie store, as InternetGetCookieA and InternetGetCookieExA
// read it: the cookies the transfers received, kept by libcurl.
#include <curl/curl.h>

#include <cstring>

#include "platform/wininet/linux/InternetObjects.h"
#include "platform/trace/Trace.h"

namespace inet {

bool CookieLineMatches(const std::string& storeLine, const std::string& host, const std::string& path, std::string* name,
                       std::string* value)
{
    // domain, tailmatch, path, secure, expires, name, value
    std::vector<std::string> fields;
    std::string line = storeLine;
    if (line.rfind("#HttpOnly_", 0) == 0) line = line.substr(10);
    size_t start = 0;
    for (int i = 0; i < 6; ++i) {
        const auto tab = line.find('\t', start);
        if (tab == std::string::npos) break;
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    if (fields.size() != 6) return false;
    fields.push_back(line.substr(start));
    std::string domain = Lower(fields[0]);
    if (!domain.empty() && domain[0] == '.') domain = domain.substr(1);
    // A domain cookie covers the hosts inside the domain: the host ends in
    // a dot and the domain, not merely in the same letters.
    const bool domainMatches = host == domain || (fields[1] == "TRUE" && host.size() > domain.size() &&
                                                  host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
                                                  host[host.size() - domain.size() - 1] == '.');
    const bool pathMatches = path.compare(0, fields[2].size(), fields[2]) == 0;
    if (!domainMatches || !pathMatches) return false;
    *name = fields[5];
    *value = fields[6];
    return true;
}

} // namespace inet

using namespace inet;

BOOL InternetGetCookieExA(LPCSTR url, LPCSTR, LPSTR cookieData, DWORD* size, DWORD flags, LPVOID)
{
    VE_TRACE(wininet, "(%s, 0x%08lx)", traceText(url).c_str(), static_cast<unsigned long>(flags));
    if (!url || !size) return FailWith(ERROR_INVALID_PARAMETER);
    std::string host;
    ServerOf(url, &host);
    std::string path = url;
    const auto scheme = path.find("://");
    path = scheme == std::string::npos ? path : path.substr(scheme + 3);
    const auto slash = path.find('/');
    path = slash == std::string::npos ? "/" : path.substr(slash);

    CURL* easy = curl_easy_init();
    if (!easy) return FailWith(ERROR_INTERNET_INTERNAL_ERROR);
    curl_easy_setopt(easy, CURLOPT_SHARE, CookieShare());
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    curl_slist* list = nullptr;
    curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &list);
    const bool withHttpOnly = (flags & INTERNET_COOKIE_HTTPONLY) != 0;
    std::string found;
    for (curl_slist* item = list; item; item = item->next) {
        std::string name;
        std::string value;
        if (!CookieLineMatches(item->data, host, path, &name, &value)) continue;
        if (!withHttpOnly && std::strncmp(item->data, "#HttpOnly_", 10) == 0) continue;
        if (!found.empty()) found += "; ";
        found += name + "=" + value;
    }
    curl_slist_free_all(list);
    curl_easy_cleanup(easy);
    if (found.empty()) return FailWith(ERROR_NO_MORE_ITEMS);
    // Sizes count the terminator. Without a buffer the call tells the size
    // and succeeds; too small a buffer fails.
    const DWORD needed = static_cast<DWORD>(found.size() + 1);
    if (!cookieData) {
        *size = needed;
        return TRUE;
    }
    if (*size < needed) {
        *size = needed;
        return FailWith(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(cookieData, found.c_str(), needed);
    *size = needed;
    return TRUE;
}

BOOL InternetGetCookieA(LPCSTR url, LPCSTR cookieName, LPSTR cookieData, DWORD* size)
{
    return InternetGetCookieExA(url, cookieName, cookieData, size, 0, nullptr);
}
