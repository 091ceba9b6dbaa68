// The control's window on the stand-in, whose windows are message targets
// without parent, place or visibility: the container paints the control
// through IViewObject and hands it its input as messages. In-place
// activation has therefore nothing to place or show; it succeeds, as a
// windowless container's activation does.
#include "platform/framework/OleControl.h"
#include "platform/window/Window.h"
#include "platform/window/linux/StandInWindow.h"
#include "platform/trace/Trace.h"

#include <utility>

// The window's handler: the control's window procedure.
struct COleControl::WindowPart final : WindowHandler {
    explicit WindowPart(COleControl* control) : m_pThis(control) {}
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return m_pThis->handleMessage(hwnd, message, wParam, lParam);
    }
    COleControl* m_pThis;
};

BOOL COleControl::RecreateControlWindow()
{
    VE_TRACE(window, "(%p)", static_cast<void*>(this));
    // The window is the target of the control's timers and messages; once
    // made it stays for the life of the control, so nothing bound to it is
    // lost when the control is sited again.
    if (m_hWnd) return TRUE;
    if (!m_pWindowPart) m_pWindowPart = new WindowPart(this);
    m_hWnd = standin::CreateHandlerWindow(m_pWindowPart, CS_DBLCLKS);
    return m_hWnd != nullptr;
}

void COleControl::DestroyControlWindow()
{
    VE_TRACE(window, "(%p)", static_cast<void*>(this));
    if (HWND hwnd = std::exchange(m_hWnd, nullptr)) ::DestroyWindow(hwnd);
    delete std::exchange(m_pWindowPart, nullptr);
}

LRESULT COleControl::DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(m_hWnd, message, wParam, lParam);
}

// Nothing paints into a window here: the container draws the control.
bool COleControl::PaintMessage(UINT, WPARAM, LRESULT*) { return false; }

// Never in place active, so never asked.
void COleControl::InvalidateWindow(LPCRECT, BOOL) {}

HRESULT COleControl::InPlaceActivate(bool) { return m_pClientSite ? S_OK : E_UNEXPECTED; }
HRESULT COleControl::UIActivate() { return S_OK; }
HRESULT COleControl::UIDeactivate() { return S_OK; }
HRESULT COleControl::InPlaceDeactivate() { return S_OK; }
void COleControl::MoveControlWindow() {}
void COleControl::HideControl() {}
