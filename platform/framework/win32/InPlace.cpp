// In-place activation and the control's window: a real child of the
// container's window once active; WM_PAINT reaches OnDraw, the message map
// sees the messages first.
#include <utility>

#include "platform/framework/OleControl.h"

VE_FORWARD_IUNKNOWN(COleControl, XOleInPlaceObject)
VE_FORWARD_IUNKNOWN(COleControl, XOleInPlaceActiveObject)

namespace {

constexpr wchar_t kWindowClass[] = L"VeOleControlWindow";

// The style of the control's window while it has no container window.
constexpr DWORD kParkedStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

} // namespace

BOOL COleControl::RecreateControlWindow()
{
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

HRESULT COleControl::SetObjectRects(LPCRECT pos, LPCRECT)
{
    if (!pos) return E_POINTER;
    m_rcPos = *pos;
    m_cx = pos->right - pos->left;
    m_cy = pos->bottom - pos->top;
    m_cxExtent = PixelsToHimetric(m_cx);
    m_cyExtent = PixelsToHimetric(m_cy);
    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, pos->left, pos->top, m_cx, m_cy, SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

void COleControl::InvalidateControl(LPCRECT lpRect, BOOL bErase)
{
    if (m_hWnd && m_bInPlaceActive) {
        ::InvalidateRect(m_hWnd, lpRect, bErase);
        return;
    }
    // Not shown in a window of its own: the container repaints it.
    if (m_pClientSite) {
        IOleInPlaceSiteWindowless* site = nullptr;
        if (SUCCEEDED(m_pClientSite->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&site))) &&
            site) {
            site->InvalidateRect(lpRect ? lpRect : &m_rcPos, bErase);
            site->Release();
            return;
        }
    }
    if (m_pViewAdviseSink) m_pViewAdviseSink->OnViewChange(DVASPECT_CONTENT, -1);
}

LRESULT COleControl::frameworkHandle(UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
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
        return 0;
    }
    case WM_PRINTCLIENT: {
        // A copy of the window's picture into another context (PrintWindow).
        RECT bounds;
        ::GetClientRect(m_hWnd, &bounds);
        CDC dc(reinterpret_cast<HDC>(wParam));
        OnDraw(&dc, bounds, bounds);
        return 0;
    }
    case WM_ERASEBKGND:
        // OnDraw paints every pixel it owns; erasing first would flicker.
        return 1;
    case WM_RBUTTONDOWN:
        OnRButtonDown(static_cast<UINT>(wParam), pt);
        return 0;
    case WM_RBUTTONUP:
        OnRButtonUp(static_cast<UINT>(wParam), pt);
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), pt);
        return 0;
    case WM_LBUTTONUP:
        return Default();
    default:
        return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
    }
}

LRESULT COleControl::Default()
{
    switch (m_currentMessage) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        // A pressed button captures the mouse, so that its release comes back
        // to the control even outside it.
        ::SetCapture(m_hWnd);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        if (::GetCapture() == m_hWnd) ::ReleaseCapture();
        break;
    default:
        break;
    }
    return ::DefWindowProcW(m_hWnd, m_currentMessage, m_currentWParam, m_currentLParam);
}

HRESULT STDMETHODCALLTYPE COleControl::XOleInPlaceObject::GetWindow(HWND* phwnd)
{
    if (!phwnd) return E_POINTER;
    *phwnd = m_pThis->m_hWnd;
    return m_pThis->m_hWnd ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE COleControl::XOleInPlaceObject::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE COleControl::XOleInPlaceObject::InPlaceDeactivate() { return m_pThis->InPlaceDeactivate(); }

HRESULT STDMETHODCALLTYPE COleControl::XOleInPlaceObject::UIDeactivate() { return m_pThis->UIDeactivate(); }

HRESULT STDMETHODCALLTYPE COleControl::XOleInPlaceObject::SetObjectRects(LPCRECT lprcPosRect, LPCRECT lprcClipRect)
{
    return m_pThis->SetObjectRects(lprcPosRect, lprcClipRect);
}

HRESULT STDMETHODCALLTYPE COleControl::XOleInPlaceObject::ReactivateAndUndo() { return INPLACE_E_NOTUNDOABLE; }

HRESULT STDMETHODCALLTYPE COleControl::XOleInPlaceActiveObject::GetWindow(HWND* phwnd)
{
    return m_pThis->m_xOleInPlaceObject.GetWindow(phwnd);
}

HRESULT STDMETHODCALLTYPE COleControl::XOleInPlaceActiveObject::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// The control has no accelerators, menus or tool space of its own.
HRESULT STDMETHODCALLTYPE COleControl::XOleInPlaceActiveObject::TranslateAccelerator(LPMSG) { return S_FALSE; }
HRESULT STDMETHODCALLTYPE COleControl::XOleInPlaceActiveObject::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE COleControl::XOleInPlaceActiveObject::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT STDMETHODCALLTYPE COleControl::XOleInPlaceActiveObject::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL)
{
    return S_OK;
}
HRESULT STDMETHODCALLTYPE COleControl::XOleInPlaceActiveObject::EnableModeless(BOOL) { return S_OK; }
