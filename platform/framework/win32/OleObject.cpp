// IOleObject: siting, verbs, extent, the user type and the container's
// advise sinks; the property pages the Properties verb shows.
#include <utility>
#include <vector>

#include "platform/framework/OleControl.h"
#include "platform/framework/win32/Enumerators.h"

VE_FORWARD_IUNKNOWN(COleControl, XOleObject)
VE_FORWARD_IUNKNOWN(COleControl, XSpecifyPropertyPages)

HRESULT COleControl::SetClientSite(IOleClientSite* pClientSite)
{
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
    HWND owner = m_hWnd;
    if (m_pInPlaceSite) m_pInPlaceSite->GetWindow(&owner);
    IUnknown* self = GetControllingUnknown();
    const HRESULT hr = ::OleCreatePropertyFrame(owner, 0, 0, nullptr, 1, &self, count, const_cast<CLSID*>(pages),
                                                ::GetUserDefaultLCID(), 0, nullptr);
    return SUCCEEDED(hr) ? TRUE : FALSE;
}

HRESULT COleControl::DoVerb(LONG iVerb, HWND)
{
    switch (iVerb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
        return InPlaceActivate(iVerb != OLEIVERB_INPLACEACTIVATE);
    case OLEIVERB_UIACTIVATE:
        return InPlaceActivate(true);
    case OLEIVERB_HIDE:
        UIDeactivate();
        if (m_hWnd) ::ShowWindow(m_hWnd, SW_HIDE);
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
    static OLECHAR edit[] = L"&Edit";
    static OLECHAR properties[] = L"&Properties...";
    static OLECHAR show[] = L"&Show";
    static OLECHAR activate[] = L"&Activate";
    static OLECHAR inPlace[] = L"Activate &in Place";
    static OLECHAR hide[] = L"&Hide";
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

HRESULT COleControl::GetUserType(DWORD form, LPOLESTR* type)
{
    if (!type) return E_POINTER;
    *type = nullptr;
    if (const UINT id = GetUserTypeNameID()) {
        const wchar_t* text = nullptr;
        // Length 0 answers a read-only pointer into the string table.
        const int length = ::LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&text), 0);
        if (length > 0 && text) {
            const std::size_t bytes = (static_cast<std::size_t>(length) + 1) * sizeof(OLECHAR);
            *type = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
            if (!*type) return E_OUTOFMEMORY;
            for (int i = 0; i < length; ++i) (*type)[i] = text[i];
            (*type)[length] = 0;
            return S_OK;
        }
    }
    CLSID clsid;
    if (FAILED(GetClassID(&clsid))) return E_FAIL;
    return ::OleRegGetUserType(clsid, form, type);
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
    if (!m_pThis->m_pOleAdviseHolder && FAILED(::CreateOleAdviseHolder(&m_pThis->m_pOleAdviseHolder)))
        return E_OUTOFMEMORY;
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
    pPages->pElems = static_cast<GUID*>(::CoTaskMemAlloc(sizeof(GUID) * count));
    if (!pPages->pElems) return E_OUTOFMEMORY;
    for (ULONG i = 0; i < count; ++i) pPages->pElems[i] = ids[i];
    pPages->cElems = count;
    return S_OK;
}
