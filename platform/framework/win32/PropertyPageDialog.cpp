// The property page's dialog, made from the module's resources as a child
// of the property frame's window.
#include "platform/framework/OlePropertyPage.h"
#include "platform/framework/OleControlShared.h"

namespace {

INT_PTR CALLBACK pageDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    // The dialog shows text only: nothing to handle, and the focus stays
    // with the frame.
    return FALSE;
}

} // namespace

HWND COlePropertyPage::CreatePageDialog(HWND parent)
{
    return CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_idTemplate), parent, pageDialogProc, 0);
}

void COlePropertyPage::DestroyPageDialog() { DestroyWindow(m_hDlg); }

// The dialog's size in pixels, as its template and font make it: measured on
// a dialog made for the purpose under a hidden window that is never shown.
SIZE COlePropertyPage::MeasurePageDialog() const
{
    SIZE size{0, 0};
    HWND scratch = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!scratch) return size;
    if (HWND dialog = CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_idTemplate), scratch,
                                         pageDialogProc, 0)) {
        RECT rect;
        if (GetWindowRect(dialog, &rect)) size = SIZE{rect.right - rect.left, rect.bottom - rect.top};
        DestroyWindow(dialog);
    }
    DestroyWindow(scratch);
    return size;
}

HRESULT COlePropertyPage::Show(UINT nCmdShow)
{
    if (!IsActive()) return E_UNEXPECTED;
    ShowWindow(m_hDlg, static_cast<int>(nCmdShow));
    return S_OK;
}

HRESULT COlePropertyPage::Move(LPCRECT pRect)
{
    if (!pRect) return E_POINTER;
    if (!IsActive()) return E_UNEXPECTED;
    MoveWindow(m_hDlg, pRect->left, pRect->top, pRect->right - pRect->left, pRect->bottom - pRect->top, TRUE);
    return S_OK;
}

// Keyboard navigation inside the dialog.
HRESULT COlePropertyPage::TranslateAccelerator(MSG* pMsg)
{
    if (!pMsg) return E_POINTER;
    if (!IsActive()) return E_UNEXPECTED;
    return IsDialogMessageW(m_hDlg, pMsg) ? S_OK : S_FALSE;
}
