// The framework's nested interface parts of COleControl. Each forwards its
// IUnknown to the control and its own calls to the control's members.
#include "platform/framework/OleControl.h"

#include "platform/com/ComCreation.h"

VE_FORWARD_IUNKNOWN(COleControl, XUnknown)
VE_FORWARD_IUNKNOWN(COleControl, XDispatch)
VE_FORWARD_IUNKNOWN(COleControl, XOleObject)
VE_FORWARD_IUNKNOWN(COleControl, XOleWindow)
VE_FORWARD_IUNKNOWN(COleControl, XSpecifyPropertyPages)
VE_FORWARD_IUNKNOWN(COleControl, XViewObject)
VE_FORWARD_IUNKNOWN(COleControl, XPersistPropertyBag)
VE_FORWARD_IUNKNOWN(COleControl, XConnectionPointContainer)
VE_FORWARD_IUNKNOWN(COleControl, XEventConnectionPoint)

HRESULT COleControl::XDispatch::Invoke(DISPID, DISPPARAMS*) { return DISP_E_MEMBERNOTFOUND; }

HRESULT COleControl::XOleObject::SetClientSite(IOleClientSite* pClientSite)
{
    return m_pThis->SetClientSite(pClientSite);
}

HRESULT COleControl::XOleObject::GetClientSite(IOleClientSite** ppClientSite)
{
    if (!ppClientSite) return E_POINTER;
    *ppClientSite = m_pThis->m_pClientSite;
    if (*ppClientSite) (*ppClientSite)->AddRef();
    return S_OK;
}

HRESULT COleControl::XOleObject::DoVerb(LONG iVerb)
{
    switch (iVerb) {
    case OLEIVERB_PROPERTIES:
        return m_pThis->OnProperties() ? S_OK : E_FAIL;
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
        return S_OK;
    default:
        return OLEOBJ_E_NOVERBS;
    }
}

HRESULT COleControl::XOleObject::GetMiscStatus(DWORD, DWORD* status)
{
    if (!status) return E_POINTER;
    *status = m_pThis->GetMiscStatus();
    return S_OK;
}

HRESULT COleControl::XOleWindow::GetWindow(HWND* phwnd)
{
    if (!phwnd) return E_POINTER;
    *phwnd = m_pThis->m_hWnd;
    return m_pThis->m_hWnd ? S_OK : E_FAIL;
}

HRESULT COleControl::XViewObject::Draw(DWORD, HDC hdcDraw, LPCRECTL lprcBounds)
{
    return m_pThis->Draw(hdcDraw, lprcBounds);
}

HRESULT COleControl::XPersistPropertyBag::InitNew()
{
    m_pThis->OnResetState();
    return S_OK;
}

HRESULT COleControl::XPersistPropertyBag::Load(IPropertyBag* pPropBag, IErrorLog*)
{
    return m_pThis->Load(pPropBag);
}

HRESULT COleControl::XPersistPropertyBag::Save(IPropertyBag* pPropBag, BOOL, BOOL)
{
    return m_pThis->Save(pPropBag);
}

HRESULT COleControl::XConnectionPointContainer::FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP)
{
    if (!ppCP) return E_POINTER;
    if (riid == m_pThis->m_piidEvents || riid == IID_IDispatch) {
        *ppCP = &m_pThis->m_xEventConnPt;
        m_pThis->ExternalAddRef();
        return S_OK;
    }
    *ppCP = nullptr;
    return CONNECT_E_NOCONNECTION;
}

HRESULT COleControl::XEventConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie)
{
    return m_pThis->Advise(pUnkSink, pdwCookie);
}

HRESULT COleControl::XEventConnectionPoint::Unadvise(DWORD dwCookie) { return m_pThis->Unadvise(dwCookie); }

HRESULT COleControl::XSpecifyPropertyPages::GetPages(CAUUID* pPages)
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
