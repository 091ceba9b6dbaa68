#include "host/container/PageLoader.h"

#include <cstdio>

#include "host/page/PageFetch.h"
#include "platform/wininet/linux/StandInWinInet.h"

#include <mutex>
#include <set>

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
    load.objects = ParseViewerPage(page.body);
    if (const std::string leftOut = LimitControls(load.objects); !leftOut.empty())
        std::fprintf(stderr, "camview: %s\n", leftOut.c_str());
    return load;
}

const char* const kCredentialsRefusedNotice = "the camera did not accept that user name and password";

standin::PasswordPrompt ViewerPasswordPrompt(const std::string& userColonPassword, PersonPrompt person)
{
    struct State {
        std::mutex mutex;
        std::set<std::string> answered; // the cameras (host:port) answered once
    };
    auto state = std::make_shared<State>();
    const auto colon = userColonPassword.find(':');
    const bool given = !userColonPassword.empty();
    const std::string givenUser = userColonPassword.substr(0, colon);
    const std::string givenPassword = colon == std::string::npos ? "" : userColonPassword.substr(colon + 1);
    return [=](HWND, const std::string& url, std::string& user, std::string& password,
               const std::atomic<bool>& cancelled) {
        const std::string camera = UrlAuthority(url);
        bool askedBefore = false;
        {
            std::lock_guard lock(state->mutex);
            askedBefore = !state->answered.insert(camera).second;
        }
        if (given && !askedBefore) {
            user = givenUser;
            password = givenPassword;
            return true;
        }
        if (!person) return false;
        return person(url, askedBefore ? kCredentialsRefusedNotice : "", user, password, cancelled);
    };
}
