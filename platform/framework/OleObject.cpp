// IOleObject: siting, verbs, extent, the user type and the container's
// advise sinks; the property pages the Properties verb shows; the in-place
// object's and the control's parts.
#include <utility>
#include <vector>

#include "platform/com/ComCreation.h"
#include "platform/framework/Enumerators.h"
#include "platform/framework/OleControl.h"
#include "platform/trace/Trace.h"

VE_FORWARD_IUNKNOWN(COleControl, XOleObject)
VE_FORWARD_IUNKNOWN(COleControl, XSpecifyPropertyPages)
VE_FORWARD_IUNKNOWN(COleControl, XOleInPlaceObject)
VE_FORWARD_IUNKNOWN(COleControl, XOleInPlaceActiveObject)
VE_FORWARD_IUNKNOWN(COleControl, XRunnableObject)

HRESULT COleControl::SetClientSite(IOleClientSite* pClientSite)
{
    VE_TRACE(com, "(%p, site %p)", static_cast<void*>(this), static_cast<void*>(pClientSite));
    // A site that goes away takes the activation with it.
    if (m_bInPlaceActive && pClientSite != m_pClientSite) InPlaceDeactivate();
    if (pClientSite) pClientSite->AddRef();
    if (IOleClientSite* old = std::exchange(m_pClientSite, pClientSite)) old->Release();
    OnSetClientSite();
    return S_OK;
}

BOOL COleControl::OnProperties()
{
    // The container shows the pages when it can; otherwise the control
    // shows them itself in the system's property frame.
    if (m_pClientSite) {
        IOleControlSite* controlSite = nullptr;
        if (SUCCEEDED(m_pClientSite->QueryInterface(IID_IOleControlSite, reinterpret_cast<void**>(&controlSite))) &&
            controlSite) {
            const HRESULT hr = controlSite->ShowPropertyFrame();
            controlSite->Release();
            if (SUCCEEDED(hr)) return TRUE;
        }
    }
    ULONG count = 0;
    const CLSID* pages = GetPropPageIDs(&count);
    if (!pages || count == 0) return FALSE;
    return ShowSystemPropertyFrame(pages, count);
}

HRESULT COleControl::DoVerb(LONG iVerb, HWND)
{
    VE_TRACE(com, "(%p, verb %ld)", static_cast<void*>(this), static_cast<long>(iVerb));
    switch (iVerb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
        return InPlaceActivate(iVerb != OLEIVERB_INPLACEACTIVATE);
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(true);
    case OLEIVERB_HIDE:
        UIDeactivate();
        HideControl();
        return S_OK;
    case OLEIVERB_PROPERTIES:
        return OnProperties() ? S_OK : E_FAIL;
    default:
        if (iVerb > 0) {
            // A verb the control does not know: the primary one, as OLE asks.
            const HRESULT hr = InPlaceActivate(true);
            return FAILED(hr) ? hr : OLEOBJ_S_INVALIDVERB;
        }
        return E_NOTIMPL;
    }
}

// The control's own verbs, needing no registry keys: the primary verb
// (activation) and Properties on a container's menu, the standard
// activation verbs beside them. DoVerb accepts each.
HRESULT COleControl::EnumVerbs(IEnumOLEVERB** ppEnum)
{
    static OLECHAR edit[] = OLESTR("&Edit");
    static OLECHAR properties[] = OLESTR("&Properties...");
    static OLECHAR show[] = OLESTR("&Show");
    static OLECHAR activate[] = OLESTR("&Activate");
    static OLECHAR inPlace[] = OLESTR("Activate &in Place");
    static OLECHAR hide[] = OLESTR("&Hide");
    const DWORD shown = OLEVERBATTRIB_ONCONTAINERMENU;
    std::vector<OLEVERB> verbs = {
        {OLEIVERB_PRIMARY, edit, MF_STRING | MF_ENABLED, shown},
        {OLEIVERB_PROPERTIES, properties, MF_STRING | MF_ENABLED, shown},
        {OLEIVERB_SHOW, show, MF_STRING | MF_ENABLED, 0},
        {OLEIVERB_UIACTIVATE, activate, MF_STRING | MF_ENABLED, 0},
        {OLEIVERB_INPLACEACTIVATE, inPlace, MF_STRING | MF_ENABLED, 0},
        {OLEIVERB_HIDE, hide, MF_STRING | MF_ENABLED, 0},
    };
    // Properties only where there is a page to show.
    ULONG pages = 0;
    if (!GetPropPageIDs(&pages) || pages == 0) verbs.erase(verbs.begin() + 1);
    return VerbEnumerator::Create(std::move(verbs), 0, ppEnum);
}

// The container places the control.
HRESULT COleControl::SetObjectRects(LPCRECT pos, LPCRECT)
{
    VE_TRACE(com, "(%p, %p)", static_cast<void*>(this), static_cast<const void*>(pos));
    if (!pos) return E_POINTER;
    m_rcPos = *pos;
    m_cx = pos->right - pos->left;
    m_cy = pos->bottom - pos->top;
    m_cxExtent = PixelsToHimetric(m_cx);
    m_cyExtent = PixelsToHimetric(m_cy);
    MoveControlWindow();
    return S_OK;
}

void COleControl::SendAdvise(DWORD what)
{
    if (!m_pOleAdviseHolder) return;
    if (what == OLECLOSE_NOSAVE) m_pOleAdviseHolder->SendOnClose();
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::SetClientSite(IOleClientSite* pClientSite)
{
    return m_pThis->SetClientSite(pClientSite);
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::GetClientSite(IOleClientSite** ppClientSite)
{
    if (!ppClientSite) return E_POINTER;
    *ppClientSite = m_pThis->m_pClientSite;
    if (*ppClientSite) (*ppClientSite)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::Close(DWORD)
{
    // Nothing of the control is kept in its container's document: closing
    // deactivates it and tells the advise sinks.
    m_pThis->InPlaceDeactivate();
    m_pThis->Stop();
    m_pThis->SendAdvise(OLECLOSE_NOSAVE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::GetMoniker(DWORD, DWORD, IMoniker** ppmk)
{
    if (ppmk) *ppmk = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::GetClipboardData(DWORD, IDataObject** ppDataObject)
{
    if (ppDataObject) *ppDataObject = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::DoVerb(LONG iVerb, LPMSG, IOleClientSite* pActiveSite, LONG,
                                                          HWND hwndParent, LPCRECT)
{
    // A container that activates before siting hands its site here.
    if (!m_pThis->m_pClientSite && pActiveSite) m_pThis->SetClientSite(pActiveSite);
    return m_pThis->DoVerb(iVerb, hwndParent);
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::EnumVerbs(IEnumOLEVERB** ppEnumOleVerb)
{
    if (!ppEnumOleVerb) return E_POINTER;
    *ppEnumOleVerb = nullptr;
    return m_pThis->EnumVerbs(ppEnumOleVerb);
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::Update() { return S_OK; }

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::IsUpToDate() { return S_OK; }

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::GetUserClassID(CLSID* pClsid)
{
    if (!pClsid) return E_POINTER;
    return m_pThis->GetClassID(pClsid);
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::GetUserType(DWORD dwFormOfType, LPOLESTR* pszUserType)
{
    return m_pThis->GetUserType(dwFormOfType, pszUserType);
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::SetExtent(DWORD dwDrawAspect, SIZEL* psizel)
{
    if (!psizel) return E_POINTER;
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (psizel->cx < 0 || psizel->cy < 0) return E_INVALIDARG;
    m_pThis->m_cxExtent = psizel->cx;
    m_pThis->m_cyExtent = psizel->cy;
    m_pThis->m_cx = HimetricToPixels(psizel->cx);
    m_pThis->m_cy = HimetricToPixels(psizel->cy);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::GetExtent(DWORD dwDrawAspect, SIZEL* psizel)
{
    if (!psizel) return E_POINTER;
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    psizel->cx = m_pThis->m_cxExtent;
    psizel->cy = m_pThis->m_cyExtent;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::Advise(IAdviseSink* pAdvSink, DWORD* pdwConnection)
{
    if (!pAdvSink || !pdwConnection) return E_POINTER;
    if (!m_pThis->m_pOleAdviseHolder) {
        const HRESULT hr = m_pThis->MakeOleAdviseHolder();
        if (FAILED(hr)) return hr;
    }
    return m_pThis->m_pOleAdviseHolder->Advise(pAdvSink, pdwConnection);
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::Unadvise(DWORD dwConnection)
{
    if (!m_pThis->m_pOleAdviseHolder) return OLE_E_NOCONNECTION;
    return m_pThis->m_pOleAdviseHolder->Unadvise(dwConnection);
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::EnumAdvise(IEnumSTATDATA** ppenumAdvise)
{
    if (!ppenumAdvise) return E_POINTER;
    *ppenumAdvise = nullptr;
    if (!m_pThis->m_pOleAdviseHolder) return E_FAIL;
    return m_pThis->m_pOleAdviseHolder->EnumAdvise(ppenumAdvise);
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::GetMiscStatus(DWORD, DWORD* pdwStatus)
{
    if (!pdwStatus) return E_POINTER;
    *pdwStatus = m_pThis->GetMiscStatus();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XOleObject::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE COleControl::XSpecifyPropertyPages::GetPages(CAUUID* pPages)
{
    if (!pPages) return E_POINTER;
    ULONG count = 0;
    const CLSID* ids = m_pThis->GetPropPageIDs(&count);
    pPages->cElems = 0;
    pPages->pElems = nullptr;
    if (!ids || count == 0) return S_OK;
    pPages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID) * count));
    if (!pPages->pElems) return E_OUTOFMEMORY;
    for (ULONG i = 0; i < count; ++i) pPages->pElems[i] = ids[i];
    pPages->cElems = count;
    return S_OK;
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

HRESULT STDMETHODCALLTYPE COleControl::XRunnableObject::GetRunningClass(LPCLSID lpClsid)
{
    if (!lpClsid) return E_POINTER;
    return m_pThis->GetClassID(lpClsid);
}

HRESULT STDMETHODCALLTYPE COleControl::XRunnableObject::Run(LPBINDCTX) { return m_pThis->Run(); }

// An in-process control runs as long as it exists; what Run adds is the
// cache's connection to it.
BOOL STDMETHODCALLTYPE COleControl::XRunnableObject::IsRunning() { return m_pThis->m_bRunning ? TRUE : FALSE; }

HRESULT STDMETHODCALLTYPE COleControl::XRunnableObject::LockRunning(BOOL, BOOL) { return S_OK; }

HRESULT STDMETHODCALLTYPE COleControl::XRunnableObject::SetContainedObject(BOOL) { return S_OK; }
