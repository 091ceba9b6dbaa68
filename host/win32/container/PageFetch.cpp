#include "host/win32/container/PageFetch.h"

#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "host/core/ViewerAddress.h"
#include "host/core/page/ProxyInUse.h"
#include "host/core/page/NetworkErrors.h"
#include "host/core/page/ViewerPage.h"
#include "host/win32/window/PasswordDialog.h"
#include "platform/secrets/SecretStore.h"

namespace {

// A camera's viewer page is a few kilobytes; what a server sends beyond
// this is not read.
constexpr size_t kMaxPageBytes = 8u << 20;
// Offers of the password dialog for one page before the 401 stands.
constexpr int kDialogTries = 3;
// Closes the internet handles when the fetch ends, whichever way.
struct Handles {
    HINTERNET internet = nullptr;
    HINTERNET request = nullptr;
    ~Handles()
    {
        if (request) InternetCloseHandle(request);
        if (internet) InternetCloseHandle(internet);
    }
};

// Why a fetch failed; the error is taken before the proxy is asked for,
// which sets the thread's last error again.
std::string fetchError(const std::string& url, DWORD error) { return PageFetchError(url, error, ProxyInUse(url)); }

} // namespace

FetchedPage FetchViewerPage(const std::string& url, const std::string& user, HWND owner, bool interactive,
                            DWORD timeoutMs)
{
    FetchedPage page;
    page.error = UnsupportedPageAddress(url);
    if (!page.error.empty()) return page;
    // Only http:// pages, as on Linux: WinInet would also fetch ftp:// or
    // file:// addresses, which no camera serves its page from.
    if (url.compare(0, 7, "http://") != 0) {
        page.error = PageFetchError(url, ERROR_INTERNET_INVALID_URL);
        return page;
    }
    Handles h;
    h.internet = InternetOpenA("camview", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!h.internet) {
        page.error = "cannot open the internet layer";
        return page;
    }
    if (timeoutMs > 0) {
        for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
            InternetSetOptionA(h.internet, option, &timeoutMs, sizeof timeoutMs);
    }
    // Each offer of credentials goes on a request of its own: a request
    // that was refused once keeps sending the credentials it was first given
    // (so WinInet does under Wine).
    const auto open = [&] {
        if (h.request) InternetCloseHandle(h.request);
        h.request = InternetOpenUrlA(h.internet, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
        if (!h.request) page.error = fetchError(url, GetLastError());
        return h.request != nullptr;
    };
    const auto statusNow = [&] {
        DWORD status = 0;
        DWORD length = sizeof status;
        HttpQueryInfoA(h.request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr);
        return status;
    };
    if (!open()) return page;
    DWORD status = statusNow();
    bool userTried = false;
    bool rememberedTried = false;
    int dialogs = 0;
    int offers = 0;
    const std::string origin = UrlOrigin(url);
    while (status == 401) {
        // The camera asks for a password: the user's NAME:PASSWORD once, or
        // the password remembered for this camera once, then the dialog;
        // set on the request, they are sent again with it, and once they
        // are accepted WinInet keeps them for the process.
        PasswordQuestion c;
        if (!user.empty()) {
            if (userTried) break;
            userTried = true;
            const auto colon = user.find(':');
            c.user = user.substr(0, colon);
            c.password = colon == std::string::npos ? "" : user.substr(colon + 1);
        } else if (!rememberedTried && FindCameraPassword(origin, c.user, c.password) == SecretStoreResult::Done) {
            rememberedTried = true;
        } else {
            rememberedTried = true;
            if (!interactive || dialogs == kDialogTries) break;
            c.prompt = UrlAuthority(url) + (offers ? " did not accept them; its user name and password:"
                                                   : " asks for a user name and password:");
            c.offerRemember = true;
            if (!AskPasswordDialog(owner, c)) break;
            ++dialogs;
        }
        // A later offer goes on a fresh request, which the camera may let
        // through at once.
        if (offers++ > 0) {
            if (!open()) return page;
            if ((status = statusNow()) != 401) break;
        }
        const bool set =
            InternetSetOptionA(h.request, INTERNET_OPTION_USERNAME, c.user.data(), static_cast<DWORD>(c.user.size())) &&
            InternetSetOptionA(h.request, INTERNET_OPTION_PASSWORD, c.password.data(), static_cast<DWORD>(c.password.size()));
        if (set && !HttpSendRequestA(h.request, nullptr, 0, nullptr, 0)) {
            page.error = fetchError(url, GetLastError());
            SecureZeroMemory(c.password.data(), c.password.size());
            return page;
        }
        status = set ? statusNow() : status;
        // Kept in the secret store once the camera took it.
        if (set && c.remember && status != 401 &&
            KeepCameraPassword(origin, c.user, c.password) != SecretStoreResult::Done)
            std::fprintf(stderr, "camview: no secret store: the password is not remembered\n");
        SecureZeroMemory(c.password.data(), c.password.size());
        if (!set) break;
    }

    char type[256] = {};
    DWORD typeLength = sizeof type;
    if (status != 200 || !HttpQueryInfoA(h.request, HTTP_QUERY_CONTENT_TYPE, type, &typeLength, nullptr)) type[0] = '\0';
    page.contentType = type;
    char buffer[4096];
    DWORD read = 0;
    while (page.body.size() < kMaxPageBytes && InternetReadFile(h.request, buffer, sizeof buffer, &read) && read > 0) {
        page.body.append(buffer, std::min<size_t>(read, kMaxPageBytes - page.body.size()));
        // A picture stream's address: shown by one image control, not read here.
        if (page.body.size() == read && IsPictureStream(type, page.body)) {
            page.stream = true;
            page.body.clear();
            return page;
        }
    }
    if (status != 200) {
        page.error = url + " answered with status " + std::to_string(status);
        page.body.clear();
        return page;
    }
    return page;
}
