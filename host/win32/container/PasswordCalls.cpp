#include "host/win32/container/PasswordCalls.h"

#include <wininet.h>

#include <algorithm>
#include <cwchar>
#include <mutex>
#include <string>
#include <vector>

#include "host/win32/container/ImportTable.h"

namespace {

std::mutex g_mutex;
std::shared_ptr<CameraCredentials> g_credentials;

// The longest address a request is asked for.
constexpr DWORD kMaxUrl = 4096;

std::string requestUrl(HINTERNET request)
{
    std::vector<char> url(kMaxUrl + 1, '\0');
    DWORD length = kMaxUrl;
    if (!InternetQueryOptionA(request, INTERNET_OPTION_URL, url.data(), &length)) return {};
    return std::string(url.data(), std::min<DWORD>(length, kMaxUrl));
}

DWORD WINAPI answeredInternetErrorDlg(HWND parent, HINTERNET request, DWORD error, DWORD flags, LPVOID* data)
{
    static const auto real =
        reinterpret_cast<decltype(&InternetErrorDlg)>(reinterpret_cast<void (*)()>(RealFunction(L"wininet.dll", "InternetErrorDlg")));
    std::shared_ptr<CameraCredentials> credentials;
    {
        std::lock_guard lock(g_mutex);
        credentials = g_credentials;
    }
    if (!credentials || error != ERROR_INTERNET_INCORRECT_PASSWORD)
        return real ? real(parent, request, error, flags, data) : ERROR_CANCELLED;
    // The caller's last error stays as it was: the control reports it, and
    // what the secret store or the dialog met is none of its business.
    const DWORD lastError = GetLastError();
    const std::string url = requestUrl(request);
    std::string user;
    std::string password;
    const std::atomic<bool> never{false};
    DWORD answer = ERROR_CANCELLED;
    if (!url.empty() && credentials->answer(url, user, password, never) &&
        InternetSetOptionA(request, INTERNET_OPTION_USERNAME, user.data(), static_cast<DWORD>(user.size())) &&
        InternetSetOptionA(request, INTERNET_OPTION_PASSWORD, password.data(), static_cast<DWORD>(password.size())))
        answer = ERROR_INTERNET_FORCE_RETRY;
    SecureZeroMemory(password.data(), password.size());
    SetLastError(lastError);
    return answer;
}

const ImportReplacement kPasswordCalls[] = {
    {"InternetErrorDlg", reinterpret_cast<ULONG_PTR>(&answeredInternetErrorDlg)},
};

} // namespace

void AnswerPasswordsWith(std::shared_ptr<CameraCredentials> credentials)
{
    std::lock_guard lock(g_mutex);
    g_credentials = std::move(credentials);
}

bool AnswerPasswordCalls(HMODULE module) { return ReplaceImports(module, kPasswordCalls, 1) != 0; }

namespace {

BOOL CALLBACK cancelDialog(HWND hwnd, LPARAM)
{
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    wchar_t name[16] = L"";
    if (process == GetCurrentProcessId() && GetClassNameW(hwnd, name, 16) && std::wcscmp(name, L"#32770") == 0)
        PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

} // namespace

void CancelOwnDialogs() { EnumWindows(&cancelDialog, 0); }
