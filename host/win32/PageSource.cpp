#include "host/win32/PageSource.h"

#include <cstdio>

#include "host/page/NetworkErrors.h"
#include "host/page/ViewerPage.h"
#include "host/win32/FetchText.h"

namespace {

// The user's name and password offered to the camera's root, so that
// WinInet holds them for the controls' preflights (which open the root)
// as it would after answering the page's own request for them. The
// credentials go out once: a camera that refuses them is not asked again
// here.
void offerToCameraRoot(const std::string& pageUrl, const std::string& user, HWND owner, bool interactive,
                       DWORD timeoutMs)
{
    const std::string authority = UrlAuthority(pageUrl);
    if (user.empty() || authority.empty()) return;
    std::string body;
    std::string error;
    FetchPageBody("http://" + authority + "/", user, owner, interactive, body, error, timeoutMs);
}

} // namespace

PageLoad LoadPageSource(const std::string& pageUrl, const std::vector<std::pair<std::string, std::string>>& params,
                          const std::string& user, HWND owner, bool interactive, DWORD timeoutMs)
{
    PageLoad source;
    if (!params.empty() || pageUrl.empty()) {
        source.objects.push_back(ImageControlWithParams(params));
        source.name = "the parameters";
        offerToCameraRoot(pageUrl, user, owner, interactive, timeoutMs);
        return source;
    }
    source.name = pageUrl;
    std::string body;
    if (!FetchPageBody(pageUrl, user, owner, interactive, body, source.error, timeoutMs)) return source;
    source.objects = ParseViewerPage(body);
    if (const std::string leftOut = LimitControls(source.objects); !leftOut.empty())
        std::fprintf(stderr, "camview: %s\n", leftOut.c_str());
    // A page that did not ask for the credentials leaves the camera's root
    // to: the controls' preflights open it.
    offerToCameraRoot(pageUrl, user, owner, interactive, timeoutMs);
    return source;
}
