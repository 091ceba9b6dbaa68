#include "host/win32/FetchText.h"

#include "host/win32/PageFetch.h"

bool FetchPageBody(const std::string& url, const std::string& user, HWND owner, bool interactive, std::string& body,
                   std::string& error)
{
    FetchedPage page = FetchViewerPage(url, user, owner, interactive);
    if (!page.ok()) {
        error = page.error;
        return false;
    }
    body = std::move(page.body);
    return true;
}
