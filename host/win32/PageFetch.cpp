#include "host/win32/PageFetch.h"

#include <wininet.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/page/ProxyInUse.h"
#include "host/page/NetworkErrors.h"
#include "host/page/ViewerPage.h"
#include "host/win32/DialogTemplate.h"

namespace {

// A camera's viewer page is a few kilobytes; what a server sends beyond
// this is not read.
constexpr size_t kMaxPageBytes = 8u << 20;
// Offers of the password dialog for one page before the 401 stands.
constexpr int kDialogTries = 3;
// The longest user name or password the dialog takes.
constexpr int kMaxCredential = 256;

enum : WORD { kPromptText = 100, kUserEdit = 101, kPasswordEdit = 102 };

struct Credentials {
    std::string prompt;
    std::string user;
    std::string password;
};

constexpr WORD kButton = DialogTemplate::kButton;
constexpr WORD kEdit = DialogTemplate::kEdit;
constexpr WORD kStatic = DialogTemplate::kStatic;

INT_PTR CALLBACK passwordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const auto* c = reinterpret_cast<const Credentials*>(lParam);
        SetDlgItemTextA(dialog, kPromptText, c->prompt.c_str());
        SetDlgItemTextA(dialog, kUserEdit, c->user.c_str());
        SendDlgItemMessageA(dialog, kUserEdit, EM_LIMITTEXT, kMaxCredential, 0);
        SendDlgItemMessageA(dialog, kPasswordEdit, EM_LIMITTEXT, kMaxCredential, 0);
        SetFocus(GetDlgItem(dialog, c->user.empty() ? kUserEdit : kPasswordEdit));
        return FALSE; // the focus is set
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto* c = reinterpret_cast<Credentials*>(GetWindowLongPtrA(dialog, DWLP_USER));
            char text[kMaxCredential + 1] = {};
            GetDlgItemTextA(dialog, kUserEdit, text, sizeof text);
            c->user = text;
            GetDlgItemTextA(dialog, kPasswordEdit, text, sizeof text);
            c->password = text;
            SecureZeroMemory(text, sizeof text);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    default: break;
    }
    return FALSE;
}

// The viewer's own password dialog: a user name and a password for the
// camera, OK or Cancel. True with the credentials filled in after OK.
bool askPassword(HWND owner, Credentials& c)
{
    DialogTemplate t(L"camview: password", 212, 92);
    t.item(kStatic, L"", kPromptText, SS_LEFT, 7, 7, 198, 18);
    t.item(kStatic, L"User name:", 0xFFFF, SS_LEFT, 7, 31, 50, 8);
    t.item(kEdit, L"", kUserEdit, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 62, 29, 143, 12);
    t.item(kStatic, L"Password:", 0xFFFF, SS_LEFT, 7, 49, 50, 8);
    t.item(kEdit, L"", kPasswordEdit, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, 62, 47, 143, 12);
    t.item(kButton, L"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 101, 70, 50, 14);
    t.item(kButton, L"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 155, 70, 50, 14);
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.get(), owner, passwordDialogProc,
                                   reinterpret_cast<LPARAM>(&c)) == IDOK;
}

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
        if (!h.request) page.error = PageFetchError(url, GetLastError(), ProxyInUse(url));
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
    int dialogs = 0;
    while (status == 401) {
        // The camera asks for a password: the user's NAME:PASSWORD once,
        // or the dialog; set on the request, they are sent again with it,
        // and once they are accepted WinInet keeps them for the process.
        Credentials c;
        if (!user.empty()) {
            if (userTried) break;
            userTried = true;
            const auto colon = user.find(':');
            c.user = user.substr(0, colon);
            c.password = colon == std::string::npos ? "" : user.substr(colon + 1);
        } else {
            if (!interactive || dialogs == kDialogTries) break;
            c.prompt = UrlAuthority(url) + (dialogs ? " did not accept them; its user name and password:"
                                                     : " asks for a user name and password:");
            if (!askPassword(owner, c)) break;
            // A later offer goes on a fresh request, which the camera may
            // let through at once.
            if (dialogs++ > 0) {
                if (!open()) return page;
                if ((status = statusNow()) != 401) break;
            }
        }
        const bool set =
            InternetSetOptionA(h.request, INTERNET_OPTION_USERNAME, c.user.data(), static_cast<DWORD>(c.user.size())) &&
            InternetSetOptionA(h.request, INTERNET_OPTION_PASSWORD, c.password.data(), static_cast<DWORD>(c.password.size()));
        SecureZeroMemory(c.password.data(), c.password.size());
        if (!set) break;
        if (!HttpSendRequestA(h.request, nullptr, 0, nullptr, 0)) {
            page.error = PageFetchError(url, GetLastError(), ProxyInUse(url));
            return page;
        }
        status = statusNow();
    }

    char buffer[4096];
    DWORD read = 0;
    while (page.body.size() < kMaxPageBytes && InternetReadFile(h.request, buffer, sizeof buffer, &read) && read > 0)
        page.body.append(buffer, std::min<size_t>(read, kMaxPageBytes - page.body.size()));
    if (status != 200) {
        page.error = url + " answered with status " + std::to_string(status);
        page.body.clear();
        return page;
    }
    return page;
}
