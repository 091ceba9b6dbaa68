#include "host/win32/container/PageLoader.h"

#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <thread>

#include <wininet.h>

#include "host/core/page/NetworkErrors.h"
#include "host/core/page/ViewerPage.h"
#include "host/win32/container/PageFetch.h"

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

bool FetchPageBody(const std::string& url, const std::string& user, HWND owner, bool interactive, std::string& body,
                   std::string& error, DWORD timeoutMs, FetchedPage* answer)
{
    FetchedPage page;
    if (timeoutMs > 0 && !interactive) {
        // WinInet's timeouts do not bound every wait (under Wine a server
        // that accepts and never answers holds the request past them), so
        // the fetch runs on a worker and is given up when its time is over;
        // the worker, blocked in WinInet, ends with the process.
        auto result = std::make_shared<std::promise<FetchedPage>>();
        std::future<FetchedPage> fetched = result->get_future();
        std::thread([result, url, user, owner, timeoutMs] {
            result->set_value(FetchViewerPage(url, user, owner, false, timeoutMs));
        }).detach();
        if (fetched.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready)
            page = fetched.get();
        else
            page.error = PageFetchError(url, ERROR_INTERNET_TIMEOUT);
    } else {
        page = FetchViewerPage(url, user, owner, interactive, timeoutMs);
    }
    if (!page.ok()) {
        error = page.error;
        return false;
    }
    body = std::move(page.body);
    if (answer) {
        answer->stream = page.stream;
        answer->contentType = page.contentType;
    }
    return true;
}

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
    FetchedPage answer;
    if (!FetchPageBody(pageUrl, user, owner, interactive, body, source.error, timeoutMs, &answer)) return source;
    if (answer.stream) {
        // An ordinary MJPEG camera's stream: the image control reads it.
        source.objects.push_back(ImageControlWithParams({{"ImagePath", pageUrl}}));
        source.objects.back().anyStream = true;
        return source;
    }
    source.objects = ParseViewerPage(body);
    source.title = PageTitle(body);
    source.contentType = answer.contentType;
    if (const std::string leftOut = LimitControls(source.objects); !leftOut.empty())
        std::fprintf(stderr, "camview: %s\n", leftOut.c_str());
    // A page that did not ask for the credentials leaves the camera's root
    // to: the controls' preflights open it.
    offerToCameraRoot(pageUrl, user, owner, interactive, timeoutMs);
    return source;
}
