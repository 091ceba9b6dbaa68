#include "host/win32/PageSource.h"

#include "host/page/NetworkErrors.h"
#include "host/page/ViewerPage.h"
#include "host/win32/FetchText.h"

PageSource LoadPageSource(const std::string& pageUrl, const std::vector<std::pair<std::string, std::string>>& params,
                          const std::string& user, HWND owner, bool interactive)
{
    PageSource source;
    if (!params.empty() || pageUrl.empty()) {
        source.objects.push_back(ImageControlWithParams(params));
        source.name = "the parameters";
        // No page to fetch: the user's name and password are offered to the
        // camera's root instead, so that WinInet holds them for the
        // control's preflight as it would after a page load.
        const std::string authority = UrlAuthority(pageUrl);
        if (!user.empty() && !authority.empty()) {
            std::string body;
            std::string error;
            FetchPageBody("http://" + authority + "/", user, owner, interactive, body, error);
        }
        return source;
    }
    source.name = pageUrl;
    std::string body;
    if (!FetchPageBody(pageUrl, user, owner, interactive, body, source.error)) return source;
    source.objects = ParseViewerPage(body);
    return source;
}
