// The control's window on Windows and in-place activation: a real child of
// the container's window once active; WM_PAINT reaches OnDraw, the message
// map sees the messages first.
#include <utility>

#include "platform/framework/OleControl.h"
#include "platform/trace/Trace.h"

namespace {

constexpr wchar_t kWindowClass[] = L"VeOleControlWindow";

// The style of the control's window while it has no container window.
constexpr DWORD kParkedStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

} // namespace

BOOL COleControl::RecreateControlWindow()
{
    VE_TRACE(window, "(%p)", static_cast<void*>(this));
    // The window is the target of the control's timers and messages; once
    // made it stays for the life of the control, so nothing bound to it is
    // lost when the control is sited again.
    if (m_hWnd) return TRUE;
    const HINSTANCE instance = AfxGetInstanceHandle();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExW(instance, kWindowClass, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = &COleControl::WindowProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.lpszClassName = kWindowClass;
        if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return FALSE;
    }
    HWND parent = nullptr;
    DWORD style = kParkedStyle;
    if (m_bInPlaceActive && m_pInPlaceSite && SUCCEEDED(m_pInPlaceSite->GetWindow(&parent)) && parent)
        style = kChildStyle | WS_VISIBLE;
    else
        parent = nullptr;
    const RECT& r = m_rcPos;
    m_hWnd = ::CreateWindowExW(0, kWindowClass, L"", style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                               parent, nullptr, instance, this);
    return m_hWnd != nullptr;
}

LRESULT CALLBACK COleControl::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* control = static_cast<COleControl*>(create->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
        control->m_hWnd = hwnd;
    }
    auto* control = reinterpret_cast<COleControl*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!control) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        control->m_hWnd = nullptr;
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return control->handleMessage(hwnd, message, wParam, lParam);
}

HRESULT COleControl::InPlaceActivate(bool uiActivate)
{
    VE_TRACE(com, "(%p, %d)", static_cast<void*>(this), uiActivate ? 1 : 0);
    if (!m_pClientSite) return E_UNEXPECTED;
    if (!m_bInPlaceActive) {
        IOleInPlaceSite* site = nullptr;
        if (FAILED(m_pClientSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&site))) || !site)
            return E_NOINTERFACE;
        if (site->CanInPlaceActivate() != S_OK) {
            site->Release();
            return E_FAIL;
        }
        site->OnInPlaceActivate();
        HWND parent = nullptr;
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* doc = nullptr;
        RECT pos{0, 0, m_cx, m_cy};
        RECT clip = pos;
        OLEINPLACEFRAMEINFO frameInfo{};
        frameInfo.cb = sizeof frameInfo;
        if (FAILED(site->GetWindow(&parent)) || !parent ||
            FAILED(site->GetWindowContext(&frame, &doc, &pos, &clip, &frameInfo))) {
            if (frame) frame->Release();
            if (doc) doc->Release();
            site->OnInPlaceDeactivate();
            site->Release();
            return E_FAIL;
        }
        m_pInPlaceSite = site;
        m_pInPlaceFrame = frame;
        m_pInPlaceDoc = doc;
        m_bInPlaceActive = true;
        m_rcPos = pos;
        if (!m_hWnd) {
            RecreateControlWindow();
        } else {
            // The window made at siting moves under the container's window.
            ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(kChildStyle));
            ::SetParent(m_hWnd, parent);
        }
        if (!m_hWnd) {
            InPlaceDeactivate();
            return E_FAIL;
        }
        ::SetWindowPos(m_hWnd, nullptr, pos.left, pos.top, pos.right - pos.left, pos.bottom - pos.top,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
        m_cx = pos.right - pos.left;
        m_cy = pos.bottom - pos.top;
    }
    if (uiActivate) return UIActivate();
    return S_OK;
}

HRESULT COleControl::UIActivate()
{
    if (m_bUIActive) return S_OK;
    if (!m_pInPlaceSite) return E_UNEXPECTED;
    m_bUIActive = true;
    m_pInPlaceSite->OnUIActivate();
    if (m_pInPlaceFrame) m_pInPlaceFrame->SetActiveObject(&m_xOleInPlaceActiveObject, nullptr);
    if (m_pInPlaceDoc) m_pInPlaceDoc->SetActiveObject(&m_xOleInPlaceActiveObject, nullptr);
    if (m_pInPlaceFrame) m_pInPlaceFrame->SetBorderSpace(nullptr);
    if (m_hWnd) ::SetFocus(m_hWnd);
    return S_OK;
}

HRESULT COleControl::UIDeactivate()
{
    if (!m_bUIActive) return S_OK;
    m_bUIActive = false;
    if (m_pInPlaceFrame) m_pInPlaceFrame->SetActiveObject(nullptr, nullptr);
    if (m_pInPlaceDoc) m_pInPlaceDoc->SetActiveObject(nullptr, nullptr);
    if (m_pInPlaceSite) m_pInPlaceSite->OnUIDeactivate(FALSE);
    return S_OK;
}

HRESULT COleControl::InPlaceDeactivate()
{
    VE_TRACE(com, "(%p)", static_cast<void*>(this));
    if (!m_bInPlaceActive) return S_OK;
    UIDeactivate();
    m_bInPlaceActive = false;
    if (m_hWnd) {
        // The window stays with the control, hidden and without a parent,
        // until the next activation.
        ::ShowWindow(m_hWnd, SW_HIDE);
        ::SetParent(m_hWnd, nullptr);
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(kParkedStyle));
    }
    if (IOleInPlaceFrame* frame = std::exchange(m_pInPlaceFrame, nullptr)) frame->Release();
    if (IOleInPlaceUIWindow* doc = std::exchange(m_pInPlaceDoc, nullptr)) doc->Release();
    if (IOleInPlaceSite* site = std::exchange(m_pInPlaceSite, nullptr)) {
        site->OnInPlaceDeactivate();
        site->Release();
    }
    return S_OK;
}

void COleControl::MoveControlWindow()
{
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, m_rcPos.left, m_rcPos.top, m_cx, m_cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void COleControl::InvalidateWindow(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }

void COleControl::HideControl()
{
    if (m_hWnd) ::ShowWindow(m_hWnd, SW_HIDE);
}

void COleControl::DestroyControlWindow()
{
    VE_TRACE(window, "(%p)", static_cast<void*>(this));
    if (m_hWnd) {
        HWND hwnd = std::exchange(m_hWnd, nullptr);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd);
    }
}

bool COleControl::PaintMessage(UINT message, WPARAM wParam, LRESULT* result)
{
    *result = 0;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = ::BeginPaint(m_hWnd, &ps);
        if (hdc) {
            RECT bounds;
            ::GetClientRect(m_hWnd, &bounds);
            CDC dc(hdc);
            OnDraw(&dc, bounds, ps.rcPaint);
        }
        ::EndPaint(m_hWnd, &ps);
        return true;
    }
    case WM_PRINTCLIENT: {
        // A copy of the window's picture into another context (PrintWindow).
        RECT bounds;
        ::GetClientRect(m_hWnd, &bounds);
        CDC dc(reinterpret_cast<HDC>(wParam));
        OnDraw(&dc, bounds, bounds);
        return true;
    }
    case WM_ERASEBKGND:
        // OnDraw paints every pixel it owns; erasing first would flicker.
        *result = 1;
        return true;
    default:
        return false;
    }
}

LRESULT COleControl::DefaultWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}
