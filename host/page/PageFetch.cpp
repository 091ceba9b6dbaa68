// The viewer page fetched through the internet layer, as a browser fetches
// it: its cookie store and password prompt, so that a control's preflight
// later finds the same session.
#include "host/page/PageFetch.h"

#include "host/page/NetworkErrors.h"
#include "platform/kernel/Kernel.h"
#include "platform/wininet/WinInet.h"

FetchedPage FetchViewerPage(const std::string& url, DWORD timeoutMs)
{
    FetchedPage page;
    page.error = UnsupportedPageAddress(url);
    if (!page.error.empty()) return page;
    HINTERNET internet = InternetOpenA("camview", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!internet) {
        page.error = "cannot open the internet layer";
        return page;
    }
    if (timeoutMs > 0) InternetSetOptionA(internet, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeoutMs, sizeof timeoutMs);
    HINTERNET request = InternetOpenUrlA(internet, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
    if (!request) {
        page.error = PageFetchError(url, GetLastError());
        InternetCloseHandle(internet);
        return page;
    }
    for (;;) {
        DWORD status = 0;
        DWORD length = sizeof status;
        HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr);
        page.status = status;
        if (status != 401) break;
        if (InternetErrorDlg(nullptr, request, ERROR_INTERNET_INCORRECT_PASSWORD, 0, nullptr) != ERROR_INTERNET_FORCE_RETRY ||
            !HttpSendRequestA(request, nullptr, 0, nullptr, 0))
            break;
    }
    char buffer[4096];
    DWORD read = 0;
    while (InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0) page.body.append(buffer, read);
    InternetCloseHandle(request);
    InternetCloseHandle(internet);
    if (page.status != 200) page.error = url + " answered with status " + std::to_string(page.status);
    return page;
}
