#include "host/win32/window/PasswordDialog.h"

#include "host/core/page/ViewerPage.h"
#include "host/win32/window/DialogTemplate.h"

namespace {

// The longest user name or password the dialog takes.
constexpr int kMaxCredential = 256;
constexpr WORD kPromptText = 100;

INT_PTR CALLBACK passwordDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const auto* q = reinterpret_cast<const PasswordQuestion*>(lParam);
        SetDlgItemTextA(dialog, kPromptText, q->prompt.c_str());
        SetDlgItemTextA(dialog, kPasswordUserId, q->user.c_str());
        SendDlgItemMessageA(dialog, kPasswordUserId, EM_LIMITTEXT, kMaxCredential, 0);
        SendDlgItemMessageA(dialog, kPasswordPasswordId, EM_LIMITTEXT, kMaxCredential, 0);
        if (!q->offerRemember) ShowWindow(GetDlgItem(dialog, kPasswordRememberId), SW_HIDE);
        SetFocus(GetDlgItem(dialog, q->user.empty() ? kPasswordUserId : kPasswordPasswordId));
        return FALSE; // the focus is set
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto* q = reinterpret_cast<PasswordQuestion*>(GetWindowLongPtrA(dialog, DWLP_USER));
            char text[kMaxCredential + 1] = {};
            GetDlgItemTextA(dialog, kPasswordUserId, text, sizeof text);
            q->user = text;
            GetDlgItemTextA(dialog, kPasswordPasswordId, text, sizeof text);
            q->password = text;
            SecureZeroMemory(text, sizeof text);
            q->remember = q->offerRemember && IsDlgButtonChecked(dialog, kPasswordRememberId) == BST_CHECKED;
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

} // namespace

bool AskPasswordDialog(HWND owner, PasswordQuestion& question)
{
    constexpr WORD kButton = DialogTemplate::kButton;
    constexpr WORD kEdit = DialogTemplate::kEdit;
    constexpr WORD kStatic = DialogTemplate::kStatic;
    DialogTemplate t(L"camview: password", 212, 106);
    t.item(kStatic, L"", kPromptText, SS_LEFT, 7, 7, 198, 18);
    t.item(kStatic, L"User name:", 0xFFFF, SS_LEFT, 7, 31, 50, 8);
    t.item(kEdit, L"", kPasswordUserId, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 62, 29, 143, 12);
    t.item(kStatic, L"Password:", 0xFFFF, SS_LEFT, 7, 49, 50, 8);
    t.item(kEdit, L"", kPasswordPasswordId, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD, 62, 47, 143, 12);
    t.item(kButton, L"Remember this password", kPasswordRememberId, BS_AUTOCHECKBOX | WS_TABSTOP, 62, 65, 143, 10);
    t.item(kButton, L"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 101, 84, 50, 14);
    t.item(kButton, L"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 155, 84, 50, 14);
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.get(), owner, passwordDialogProc,
                                   reinterpret_cast<LPARAM>(&question)) == IDOK;
}

AskPerson PersonAskedInDialog(HWND owner)
{
    return [owner](const std::string& url, const std::string& notice, PersonAnswer& answer, const std::atomic<bool>&) {
        PasswordQuestion q;
        q.prompt = UrlAuthority(url) + (notice.empty() ? " asks for a user name and password:" : ": " + notice);
        q.user = answer.user;
        q.offerRemember = true;
        if (!AskPasswordDialog(owner, q)) return false;
        answer.user = q.user;
        answer.password = q.password;
        answer.remember = q.remember;
        SecureZeroMemory(q.password.data(), q.password.size());
        return true;
    };
}
