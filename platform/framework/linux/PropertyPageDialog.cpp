// The property page's dialog on the stand-in, which has no dialogs and
// whose windows are message targets without parent, place or visibility:
// the page has nothing to create, show or move. A window of its own
// stands for the dialog, so that the page's calls answer as on Windows.
#include "platform/framework/OlePropertyPage.h"
#include "platform/window/Window.h"
#include "platform/window/linux/StandInWindow.h"

namespace {

class PageWindow final : public WindowHandler {
public:
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
};

PageWindow g_pageWindow;

} // namespace

HWND COlePropertyPage::CreatePageDialog(HWND) { return standin::CreateHandlerWindow(&g_pageWindow, 0); }

void COlePropertyPage::DestroyPageDialog() { ::DestroyWindow(m_hDlg); }

// No dialog to measure: the template's dialog units count as pixels (the
// base units of a 4 x 8 font).
SIZE COlePropertyPage::MeasurePageDialog() const { return m_templateSize; }

HRESULT COlePropertyPage::Show(UINT) { return IsActive() ? S_OK : E_UNEXPECTED; }

HRESULT COlePropertyPage::Move(LPCRECT pRect)
{
    if (!pRect) return E_POINTER;
    return IsActive() ? S_OK : E_UNEXPECTED;
}

// No dialog, so no keyboard navigation of its own.
HRESULT COlePropertyPage::TranslateAccelerator(MSG* pMsg)
{
    if (!pMsg) return E_POINTER;
    return IsActive() ? S_FALSE : E_UNEXPECTED;
}
