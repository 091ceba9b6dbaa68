#include "host/core/page/NetworkErrors.h"

#include <cstdio>
#include <cstdlib>

#include "host/core/page/ViewerPage.h"

namespace {

struct ErrorWords {
    DWORD code;
    const char* words;
};

// The internet layer's numbers, then the socket layer's.
constexpr ErrorWords kErrors[] = {
    {12002, "no answer in time"},
    {12004, "internal error of the internet layer"},
    {12005, "not an http:// address"},
    {12006, "not an http:// address"},
    {12007, "unknown host"},
    {12014, "wrong user name or password"},
    {12017, "cancelled"},
    {12029, "connection refused"},
    {12030, "connection broken off"},
    {12031, "connection reset"},
    {12152, "the answer is not HTTP"},
    {10035, "no data yet"},
    {10040, "message too long"},
    {10050, "network is down"},
    {10051, "network unreachable"},
    {10053, "connection broken off"},
    {10054, "connection reset by the camera"},
    {10060, "no answer in time"},
    {10061, "connection refused"},
    {10064, "host is down"},
    {10065, "no route to host"},
    {11001, "unknown host"},
    {11002, "name server not answering, try again"},
    {11004, "the name has no address"},
};

// Bits of the control's error flags, most telling first, with what each
// says happened.
struct FlagMeaning {
    unsigned long flag;
    const char* meaning;
    bool withCode; // the code is an internet or socket error worth naming
};
constexpr FlagMeaning kFlags[] = {
    {0x20, "the camera asks for a password and none was given", false},
    {0x40, "the proxy asks for a password", false},
    {0x1, "the page's address names no camera page", false},
    {0x2, "the internet layer could not be opened", true},
    {0x4, "the camera's page could not be fetched", true},
    {0x8, "the camera's page could not be fetched", true},
    {0x10, "the camera's page gave no status", true},
    {0x8000, "the camera's page answered with an error", false},
    {0x800, "the proxy cannot be reached", true},
    {0x1000, "the camera's name cannot be resolved", true},
    {0x2000, "the camera's picture stream cannot be reached", true},
    {0x4000, "the camera refused the picture stream or ended it before the first picture", true},
    {0x10000, "the picture stream could not be set up", true},
};

// A flag whose code says more than the flag and the code's words do: the
// picture stream's answer head has a deadline and a size limit.
struct FlagWithCode {
    unsigned long flag;
    int code;
    const char* meaning;
};
constexpr FlagWithCode kFlagsWithCode[] = {
    {0x4000, 10060, "the camera did not finish answering the picture stream request within 10 s"},
    {0x4000, 10040, "the camera's answer to the picture stream request had a head longer than 16 KiB"},
};

// "host:port" of an http:// address (port 80 when none is written), or
// the address itself when it has no host part.
std::string hostAndPort(const std::string& url)
{
    const std::string authority = UrlAuthority(url);
    if (authority.empty()) return url;
    // An IPv6 literal keeps its colons inside the brackets.
    const auto close = authority.front() == '[' ? authority.find(']') : std::string::npos;
    const bool hasPort = authority.find(':', close == std::string::npos ? 0 : close) != std::string::npos;
    return hasPort ? authority : authority + ":80";
}

std::string hostOnly(const std::string& url)
{
    const std::string both = hostAndPort(url);
    const auto colon = both.rfind(':');
    const auto close = both.rfind(']');
    return colon == std::string::npos || (close != std::string::npos && colon < close) ? both : both.substr(0, colon);
}

std::string number(DWORD code) { return " (" + std::to_string(code) + ")"; }

} // namespace

const char* NetworkErrorWords(DWORD code)
{
    for (const auto& e : kErrors)
        if (e.code == code) return e.words;
    return nullptr;
}

std::string PageFetchError(const std::string& url, DWORD code, const std::string& proxy)
{
    // Through a proxy, what could not be reached is the proxy: naming the
    // camera would send the user looking in the wrong place.
    if (!proxy.empty()) {
        const std::string through = "the proxy " + proxy + " (for " + hostAndPort(url) + ")";
        switch (code) {
        case 12007: return through + ": unknown host" + number(code);
        case 12029: return "cannot reach " + through + ": connection refused" + number(code);
        case 12002: return through + " did not answer in time" + number(code);
        case 12030:
        case 12031: return through + " broke the connection off" + number(code);
        default: break;
        }
        if (code != 12005 && code != 12006 && code != 12152) {
            const char* words = NetworkErrorWords(code);
            return "cannot fetch " + url + " through the proxy " + proxy +
                   (words ? std::string(": ") + words + number(code) : " (error " + std::to_string(code) + ")");
        }
    }
    switch (code) {
    case 12005:
    case 12006: return url + " is not an http:// address" + number(code);
    case 12007: return hostOnly(url) + ": unknown host" + number(code);
    case 12029: return "cannot reach " + hostAndPort(url) + ": connection refused" + number(code);
    case 12002: return hostAndPort(url) + " did not answer in time" + number(code);
    case 12030:
    case 12031: return hostAndPort(url) + " broke the connection off" + number(code);
    case 12152: return hostAndPort(url) + " did not answer in HTTP" + number(code);
    default: break;
    }
    if (const char* words = NetworkErrorWords(code)) return "cannot fetch " + url + ": " + words + number(code);
    return "cannot fetch " + url + " (error " + std::to_string(code) + ")";
}

std::string UnsupportedPageAddress(const std::string& url)
{
    if (url.compare(0, 8, "https://") == 0)
        return "https:// pages are not supported by this control: its picture stream is plain HTTP; try http://" +
               url.substr(8);
    return {};
}

std::string ExplainControlStatus(const std::string& status, bool credentialsGiven)
{
    unsigned long flags = 0;
    int code = 0;
    if (std::sscanf(status.c_str(), " Error Code(%lx / %d)", &flags, &code) != 2 || flags == 0) return {};
    for (const auto& f : kFlagsWithCode)
        if ((flags & f.flag) && code == f.code) return f.meaning;
    for (const auto& f : kFlags) {
        if (!(flags & f.flag)) continue;
        if (f.flag == 0x20 && credentialsGiven) return "the camera refused the user name and password given";
        std::string text = f.meaning;
        const char* words = code > 0 ? NetworkErrorWords(static_cast<DWORD>(code)) : nullptr;
        if (f.withCode && words) text += std::string(": ") + words;
        return text;
    }
    return "the control reports an error it does not explain";
}
