#include "host/win32/FetchText.h"

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "host/page/NetworkErrors.h"
#include "host/win32/PageFetch.h"

#include <wininet.h>

bool FetchPageBody(const std::string& url, const std::string& user, HWND owner, bool interactive, std::string& body,
                   std::string& error, DWORD timeoutMs)
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
    return true;
}
