#include "host/container/PageLoader.h"

#include "host/page/PageFetch.h"

PageLoad LoadPage(const std::string& pageUrl, const std::vector<std::pair<std::string, std::string>>& params)
{
    PageLoad load;
    if (!params.empty() || pageUrl.empty()) {
        load.objects.push_back(ImageControlWithParams(params));
        load.name = "the parameters";
        return load;
    }
    load.name = pageUrl;
    const FetchedPage page = FetchViewerPage(pageUrl);
    if (!page.error.empty()) {
        load.error = page.error;
        return load;
    }
    load.objects = ParseViewerPage(page.body);
    return load;
}

PasswordPrompt CredentialsPrompt(const std::string& userColonPassword)
{
    if (userColonPassword.empty())
        return [](HWND, const std::string&, std::string&, std::string&, const std::atomic<bool>&) { return false; };
    const auto colon = userColonPassword.find(':');
    const std::string user = userColonPassword.substr(0, colon);
    const std::string password = colon == std::string::npos ? "" : userColonPassword.substr(colon + 1);
    return [user, password](HWND, const std::string&, std::string& u, std::string& p, const std::atomic<bool>&) {
        u = user;
        p = password;
        return true;
    };
}
