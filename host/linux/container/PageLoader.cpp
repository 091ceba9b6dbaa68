#include "host/linux/container/PageLoader.h"

#include <cstdio>

#include "host/linux/container/PageFetch.h"
#include "platform/wininet/linux/StandInWinInet.h"


PageLoad LoadPage(const std::string& pageUrl, const std::vector<std::pair<std::string, std::string>>& params,
                  DWORD timeoutMs, const std::atomic<bool>* cancel)
{
    PageLoad load;
    if (!params.empty() || pageUrl.empty()) {
        load.objects.push_back(ImageControlWithParams(params));
        load.name = "the parameters";
        return load;
    }
    load.name = pageUrl;
    const FetchedPage page = FetchViewerPage(pageUrl, timeoutMs, cancel);
    if (!page.error.empty()) {
        load.error = page.error;
        return load;
    }
    if (page.stream) {
        // An ordinary MJPEG camera's stream: the image control reads it.
        load.objects.push_back(ImageControlWithParams({{"ImagePath", pageUrl}}));
        load.objects.back().anyStream = true;
        return load;
    }
    load.objects = ParseViewerPage(page.body);
    load.title = PageTitle(page.body);
    load.contentType = page.contentType;
    if (const std::string leftOut = LimitControls(load.objects); !leftOut.empty())
        std::fprintf(stderr, "camview: %s\n", leftOut.c_str());
    return load;
}

standin::PasswordPrompt ViewerPasswordPrompt(std::shared_ptr<CameraCredentials> credentials)
{
    return [credentials](HWND, const std::string& url, std::string& user, std::string& password,
                         const std::atomic<bool>& cancelled) { return credentials->answer(url, user, password, cancelled); };
}
