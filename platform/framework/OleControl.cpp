#include "platform/framework/OleControl.h"

#include <algorithm>
#include <utility>

#include "platform/framework/PropertyStream.h"
#include "platform/kernel/MessageBox.h"

COleControl::COleControl()
{
    m_xUnknown.m_pThis = this;
    m_xDispatch.m_pThis = this;
    m_xOleObject.m_pThis = this;
    m_xOleWindow.m_pThis = this;
    m_xViewObject.m_pThis = this;
    m_xSpecifyPropertyPages.m_pThis = this;
    m_xPersistPropertyBag.m_pThis = this;
    m_xConnPtContainer.m_pThis = this;
    m_xEventConnPt.m_pThis = this;
}

COleControl::~COleControl()
{
    if (m_hWnd) {
        HWND hwnd = m_hWnd;
        m_hWnd = nullptr;
        ::DestroyWindow(hwnd);
    }
    for (auto& sink : m_sinks) sink.dispatch->Release();
    m_sinks.clear();
    if (IOleClientSite* site = std::exchange(m_pClientSite, nullptr)) site->Release();
}

HRESULT COleControl::ExternalQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    IUnknown* found = nullptr;
    if (riid == IID_IUnknown)
        found = &m_xUnknown;
    else if (riid == IID_IDispatch || (riid == m_piidPrimary && !(m_piidPrimary == GUID_NULL)))
        found = &m_xDispatch;
    else if (riid == IID_IOleObject)
        found = &m_xOleObject;
    else if (riid == IID_IOleWindow)
        found = &m_xOleWindow;
    else if (riid == IID_IViewObject)
        found = &m_xViewObject;
    else if (riid == IID_ISpecifyPropertyPages)
        found = &m_xSpecifyPropertyPages;
    else if (riid == IID_IPersistPropertyBag)
        found = &m_xPersistPropertyBag;
    else if (riid == IID_IConnectionPointContainer)
        found = &m_xConnPtContainer;
    return AnswerQuery(riid, found, ppv);
}

ULONG COleControl::ExternalAddRef() { return m_dwRef.fetch_add(1, std::memory_order_relaxed) + 1; }

ULONG COleControl::ExternalRelease()
{
    const ULONG remaining = m_dwRef.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (remaining == 0) delete this;
    return remaining;
}

BOOL COleControl::OnProperties()
{
    if (!m_pClientSite) return FALSE;
    IOleControlSite* controlSite = nullptr;
    if (FAILED(m_pClientSite->QueryInterface(IID_IOleControlSite, reinterpret_cast<void**>(&controlSite))) ||
        !controlSite)
        return FALSE;
    const HRESULT hr = controlSite->ShowPropertyFrame();
    controlSite->Release();
    return SUCCEEDED(hr) ? TRUE : FALSE;
}

BOOL COleControl::RecreateControlWindow()
{
    // The window is the target of the control's timers and messages; once
    // made it stays for the life of the control, so nothing bound to it is
    // lost when the control is sited again.
    if (!m_hWnd) m_hWnd = CreateHandlerWindow(this, CS_DBLCLKS);
    return m_hWnd != nullptr;
}

void COleControl::InvalidateControl(LPCRECT lpRect, BOOL bErase)
{
    if (!m_pClientSite) return;
    IOleInPlaceSiteWindowless* site = nullptr;
    if (FAILED(m_pClientSite->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&site))) ||
        !site)
        return;
    const RECT whole{0, 0, m_cx, m_cy};
    site->InvalidateRect(lpRect ? lpRect : &whole, bErase);
    site->Release();
}

BOOL COleControl::SetControlSize(int cx, int cy)
{
    SetInitialSize(cx, cy);
    if (!m_pClientSite) return TRUE;
    IOleInPlaceSiteWindowless* site = nullptr;
    if (SUCCEEDED(m_pClientSite->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&site))) &&
        site) {
        const RECT rect{0, 0, cx, cy};
        site->OnPosRectChange(&rect);
        site->Release();
    }
    return TRUE;
}

void COleControl::FireEvent(DISPID dispid, const VARIANT* args, UINT count)
{
    std::vector<VARIANT> reversed(args, args + count);
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, count, 0};
    // A sink may unadvise while it is called: deliver to a snapshot.
    std::vector<Sink> sinks = m_sinks;
    for (auto& sink : sinks) sink.dispatch->AddRef();
    for (auto& sink : sinks) {
        sink.dispatch->Invoke(dispid, &params);
        sink.dispatch->Release();
    }
}

LRESULT COleControl::frameworkHandle(UINT message, WPARAM wParam, LPARAM lParam)
{
    const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_RBUTTONDOWN:
        OnRButtonDown(static_cast<UINT>(wParam), pt);
        return 0;
    case WM_RBUTTONUP:
        OnRButtonUp(static_cast<UINT>(wParam), pt);
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(static_cast<UINT>(wParam), pt);
        return 0;
    default:
        return DefWindowProcA(m_hWnd, message, wParam, lParam);
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
    return DefWindowProcA(m_hWnd, m_currentMessage, m_currentWParam, m_currentLParam);
}

HRESULT COleControl::SetClientSite(IOleClientSite* pClientSite)
{
    if (pClientSite) pClientSite->AddRef();
    if (IOleClientSite* old = std::exchange(m_pClientSite, pClientSite)) old->Release();
    OnSetClientSite();
    return S_OK;
}

HRESULT COleControl::Load(IPropertyBag* bag)
{
    if (!bag) return E_POINTER;
    CPropbagLoadExchange px(bag);
    DoPropExchange(&px);
    return S_OK;
}

HRESULT COleControl::Save(IPropertyBag* bag)
{
    if (!bag) return E_POINTER;
    CPropbagSaveExchange px(bag);
    DoPropExchange(&px);
    return S_OK;
}

HRESULT COleControl::LoadStream(PropertyStreamSource& source)
{
    PropertyStreamBag bag;
    if (!ReadPropertyStream(source, bag)) return E_FAIL;
    return Load(&bag);
}

HRESULT COleControl::SaveStream(std::string& bytes)
{
    PropertyStreamBag bag;
    const HRESULT hr = Save(&bag);
    if (FAILED(hr)) return hr;
    return WritePropertyStream(bag, bytes) ? S_OK : E_FAIL;
}

HRESULT COleControl::Draw(HDC hdc, LPCRECTL bounds)
{
    if (!bounds) return E_INVALIDARG;
    CDC dc(hdc);
    OnDraw(&dc, *bounds, *bounds);
    return S_OK;
}

HRESULT COleControl::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!sink || !cookie) return E_POINTER;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))) || !dispatch)
        return CONNECT_E_CANNOTCONNECT;
    *cookie = m_nextCookie++;
    m_sinks.push_back(Sink{*cookie, dispatch});
    return S_OK;
}

namespace {
HINSTANCE& resourceHandle()
{
    // A module that is loaded on its own sets its handle; linked into a
    // program, the control's resources live under this one.
    static HINSTANCE handle = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x400000));
    return handle;
}
} // namespace

HINSTANCE AfxGetInstanceHandle() { return resourceHandle(); }
HINSTANCE AfxGetResourceHandle() { return resourceHandle(); }
void AfxSetResourceHandle(HINSTANCE module) { resourceHandle() = module; }

int AfxMessageBox(const std::string& text, UINT type) { return MessageBoxA(nullptr, text.c_str(), "", type); }
