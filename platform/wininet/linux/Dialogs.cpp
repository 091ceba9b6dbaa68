// The password dialog: the container supplies the prompt; InternetErrorDlg
// asks it for a user name and password for a request that was refused them.
#include "platform/wininet/linux/InternetObjects.h"
#include "platform/wininet/linux/StandInWinInet.h"
#include "platform/trace/Trace.h"

using namespace inet;

DWORD InternetErrorDlg(HWND parent, HINTERNET handle, DWORD error, DWORD, LPVOID*)
{
    VE_TRACE(wininet, "(%p, %p, %lu)", static_cast<void*>(parent), handle, static_cast<unsigned long>(error));
    auto request = Find<Request>(handle);
    if (!request) return ERROR_INVALID_HANDLE;
    if (error != ERROR_INTERNET_INCORRECT_PASSWORD) return ERROR_CANCELLED;
    standin::PasswordPrompt prompt;
    {
        std::lock_guard lock(Process().mutex);
        prompt = Process().prompt;
    }
    std::string user = request->user;
    std::string password;
    const bool given = prompt && prompt(parent, request->url, user, password, request->closing);
    VE_TRACE(wininet, "prompt answered %s: user %s, password ***", given ? "yes" : "no", traceText(user).c_str());
    if (!given || request->closing.load(std::memory_order_acquire)) return ERROR_CANCELLED;
    request->user = user;
    request->password = password;
    return ERROR_INTERNET_FORCE_RETRY;
}

void standin::SetPasswordPrompt(standin::PasswordPrompt prompt)
{
    std::lock_guard lock(Process().mutex);
    Process().prompt = std::move(prompt);
}
