// COleControl: its identity (the one interface map and its lookup), the
// reference count, the window's messages the framework handles itself, and
// what the control tells its site of its picture and its size.
#include "platform/framework/OleControl.h"

#include <utility>

// An interface the framework answers and the part answering it. The OLE
// document interfaces are answered only where the platform offers them.
struct COleControl::InterfaceEntry {
    const IID* iid;
    IUnknown* (*part)(COleControl* self);
    bool document;
};

#define VE_PART(iid, part) {&iid, [](COleControl* self) -> IUnknown* { return &self->part; }, false}
#define VE_DOCUMENT_PART(iid, part) {&iid, [](COleControl* self) -> IUnknown* { return &self->part; }, true}
const COleControl::InterfaceEntry COleControl::s_interfaces[] = {
    VE_PART(IID_IUnknown, m_xUnknown),
    VE_PART(IID_IDispatch, m_xDispatch),
    VE_PART(IID_IOleObject, m_xOleObject),
    VE_PART(IID_IOleWindow, m_xOleInPlaceObject),
    VE_PART(IID_IOleInPlaceObject, m_xOleInPlaceObject),
    VE_PART(IID_IOleInPlaceActiveObject, m_xOleInPlaceActiveObject),
    VE_PART(IID_IOleControl, m_xOleControl),
    VE_PART(IID_IViewObject, m_xViewObject),
    VE_PART(IID_IViewObject2, m_xViewObject),
    VE_PART(IID_IPersistPropertyBag, m_xPersistPropertyBag),
    // IPersistStreamInit begins with IPersist's and IPersistStream's methods.
    VE_PART(IID_IPersist, m_xPersistStreamInit),
    VE_PART(IID_IPersistStream, m_xPersistStreamInit),
    VE_PART(IID_IPersistStreamInit, m_xPersistStreamInit),
    VE_PART(IID_IProvideClassInfo, m_xProvideClassInfo),
    VE_PART(IID_IProvideClassInfo2, m_xProvideClassInfo),
    VE_PART(IID_ISpecifyPropertyPages, m_xSpecifyPropertyPages),
    VE_PART(IID_IConnectionPointContainer, m_xConnPtContainer),
    VE_DOCUMENT_PART(IID_IPersistStorage, m_xPersistStorage),
    VE_DOCUMENT_PART(IID_IDataObject, m_xDataObject),
    VE_DOCUMENT_PART(IID_IRunnableObject, m_xRunnableObject),
};
#undef VE_PART
#undef VE_DOCUMENT_PART

COleControl::COleControl()
{
    m_xUnknown.m_pThis = this;
    m_xDispatch.m_pThis = this;
    m_xOleObject.m_pThis = this;
    m_xOleInPlaceObject.m_pThis = this;
    m_xOleInPlaceActiveObject.m_pThis = this;
    m_xOleControl.m_pThis = this;
    m_xViewObject.m_pThis = this;
    m_xPersistPropertyBag.m_pThis = this;
    m_xPersistStreamInit.m_pThis = this;
    m_xProvideClassInfo.m_pThis = this;
    m_xSpecifyPropertyPages.m_pThis = this;
    m_xConnPtContainer.m_pThis = this;
    m_xEventConnPt.m_pThis = this;
    m_xPersistStorage.m_pThis = this;
    m_xDataObject.m_pThis = this;
    m_xRunnableObject.m_pThis = this;
}

COleControl::~COleControl()
{
    // An aggregated data cache answers through this object's reference
    // count: keep it from reaching zero again while the cache is taken down.
    m_dwRef.store(1 << 20, std::memory_order_relaxed);
    Stop();
    ReleasePlatformParts();
    DestroyControlWindow();
    for (auto& sink : m_sinks) sink.dispatch->Release();
    m_sinks.clear();
    if (IOleAdviseHolder* holder = std::exchange(m_pOleAdviseHolder, nullptr)) holder->Release();
    if (IAdviseSink* sink = std::exchange(m_pViewAdviseSink, nullptr)) sink->Release();
    if (IOleClientSite* site = std::exchange(m_pClientSite, nullptr)) site->Release();
}

// The framework's interfaces first (the primary dispatch interface among
// them, and OLE's cache where it is aggregated), then the derived
// control's interface map; a found interface is handed out with a
// reference.
HRESULT COleControl::ExternalQueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    IUnknown* found = nullptr;
    for (const InterfaceEntry& entry : s_interfaces) {
        if (*entry.iid == riid && (!entry.document || OffersDocumentInterfaces())) {
            found = entry.part(this);
            break;
        }
    }
    if (!found && !(m_piidPrimary == GUID_NULL) && riid == m_piidPrimary) found = &m_xDispatch;
    if (!found && (riid == IID_IOleCache || riid == IID_IOleCache2 || riid == IID_IOleCacheControl)) {
        // OLE's own cache, aggregated: its interfaces count on this object.
        if (IUnknown* cache = DataCache()) return cache->QueryInterface(riid, ppv);
        return E_NOINTERFACE;
    }
    if (!found) {
        if (const AFX_INTERFACEMAP* map = GetInterfaceMap()) {
            for (std::size_t i = 0; i < map->nCount && !found; ++i)
                if (*map->lpEntries[i].piid == riid) found = map->lpEntries[i].pfnGet(this);
        }
    }
    if (!found) return E_NOINTERFACE;
    ExternalAddRef();
    *ppv = found;
    return S_OK;
}

ULONG COleControl::ExternalAddRef() { return m_dwRef.fetch_add(1, std::memory_order_relaxed) + 1; }

ULONG COleControl::ExternalRelease()
{
    const ULONG remaining = m_dwRef.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (remaining == 0) delete this;
    return remaining;
}

VE_FORWARD_IUNKNOWN(COleControl, XUnknown)

namespace {

// The container's windowless site, when it has one (with a reference).
IOleInPlaceSiteWindowless* windowlessSite(IOleClientSite* clientSite)
{
    IOleInPlaceSiteWindowless* site = nullptr;
    if (!clientSite ||
        FAILED(clientSite->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(&site))))
        return nullptr;
    return site;
}

} // namespace

void COleControl::InvalidateControl(LPCRECT lpRect, BOOL bErase)
{
    if (m_hWnd && m_bInPlaceActive) {
        InvalidateWindow(lpRect, bErase);
        return;
    }
    // Not shown in a window of its own: the container repaints it.
    if (IOleInPlaceSiteWindowless* site = windowlessSite(m_pClientSite)) {
        const RECT whole{m_rcPos.left, m_rcPos.top, m_rcPos.left + m_cx, m_rcPos.top + m_cy};
        site->InvalidateRect(lpRect ? lpRect : &whole, bErase);
        site->Release();
        return;
    }
    if (m_pViewAdviseSink) m_pViewAdviseSink->OnViewChange(DVASPECT_CONTENT, -1);
}

BOOL COleControl::SetControlSize(int cx, int cy)
{
    SetInitialSize(cx, cy);
    // The container places the control: it learns the new size (and an
    // active control's container answers with SetObjectRects).
    const RECT rect{m_rcPos.left, m_rcPos.top, m_rcPos.left + cx, m_rcPos.top + cy};
    if (m_bInPlaceActive && m_pInPlaceSite) return SUCCEEDED(m_pInPlaceSite->OnPosRectChange(&rect)) ? TRUE : FALSE;
    if (IOleInPlaceSiteWindowless* site = windowlessSite(m_pClientSite)) {
        site->OnPosRectChange(&rect);
        site->Release();
    }
    return TRUE;
}

LRESULT COleControl::frameworkHandle(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT painted = 0;
    if (PaintMessage(message, wParam, &painted)) return painted;
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
    case WM_LBUTTONUP:
        return Default();
    default:
        return DefaultWindowProc(message, wParam, lParam);
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
    return DefaultWindowProc(m_currentMessage, m_currentWParam, m_currentLParam);
}
