#include "host/win32/window/AddressPrompt.h"

#include <commctrl.h>

#include <cwchar>

#include "host/core/ViewerAddress.h"
#include "host/win32/window/DialogTemplate.h"
#include "host/win32/container/Utf.h"

namespace {

struct Asking {
    const std::vector<std::string>* recent;
    std::string notice;
    std::string address;
    bool asText = false; // the text as typed, not read as an address
};

// Ctrl+A in the box's edit field selects its text, as in a browser's
// address bar (the system's edit field does not).
LRESULT CALLBACK selectAllOnCtrlA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_CHAR && wParam == 1) {
        SendMessageW(hwnd, EM_SETSEL, 0, -1);
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &selectAllOnCtrlA, 1);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* asking = reinterpret_cast<Asking*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        asking = reinterpret_cast<Asking*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        const std::string said = !asking->notice.empty()  ? asking->notice
                                 : asking->recent->empty() ? "The camera's address, e.g. http://camera/ImageViewer"
                                                           : "The camera's address, or one opened lately:";
        SetDlgItemTextW(dialog, kAddressNoticeId, Widen(said).c_str());
        HWND box = GetDlgItem(dialog, kAddressBoxId);
        for (const std::string& a : *asking->recent) SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(a).c_str()));
        if (!asking->recent->empty()) SetWindowTextW(box, Widen(asking->recent->front()).c_str());
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (GetComboBoxInfo(box, &info) && info.hwndItem) SetWindowSubclass(info.hwndItem, &selectAllOnCtrlA, 1, 0);
        SetFocus(box);
        SendMessageW(box, CB_SETEDITSEL, 0, MAKELPARAM(0, -1)); // typing replaces the address offered
        return FALSE; // the focus is set
    }
    case WM_CTLCOLORSTATIC:
        // The reason the last address failed, in red.
        if (!asking || asking->notice.empty() || GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != kAddressNoticeId) break;
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0xB0, 0, 0));
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            wchar_t text[2048] = L"";
            GetDlgItemTextW(dialog, kAddressBoxId, text, static_cast<int>(sizeof text / sizeof text[0]));
            const std::string typed = Narrow(text, std::wcslen(text));
            asking->address = asking->asText ? TrimmedText(typed) : TypedAddress(typed);
            if (asking->address.empty()) {
                MessageBeep(MB_ICONWARNING); // nothing to open yet
                return TRUE;
            }
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            asking->address.clear();
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

std::string AskAddress(HWND owner, const std::vector<std::string>& recent, const std::string& notice, bool asText)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    DialogTemplate t(kAddressPromptTitle, 300, 92);
    t.item(DialogTemplate::kStatic, L"", kAddressNoticeId, SS_LEFT | SS_NOPREFIX, 7, 7, 286, 26);
    t.item(DialogTemplate::kComboBox, L"", kAddressBoxId, CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, 7, 38,
           286, 120);
    t.item(DialogTemplate::kButton, L"Open", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 179, 70, 54, 15);
    t.item(DialogTemplate::kButton, L"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 239, 70, 54, 15);
    Asking asking{&recent, notice, {}, asText};
    const INT_PTR answer =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.get(), owner, &dialogProc, reinterpret_cast<LPARAM>(&asking));
    return answer == IDOK ? asking.address : std::string();
}
