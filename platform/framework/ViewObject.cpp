// IViewObject2: the control paints itself into any device context the
// container hands it (a printer's, a metafile, a bitmap's).
#include <utility>

#include "platform/framework/OleControl.h"

VE_FORWARD_IUNKNOWN(COleControl, XViewObject)

HRESULT STDMETHODCALLTYPE COleControl::XViewObject::Draw(DWORD dwDrawAspect, LONG, void*, DVTARGETDEVICE*, HDC,
                                                         HDC hdcDraw, LPCRECTL lprcBounds, LPCRECTL,
                                                         BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!hdcDraw) return E_INVALIDARG;
    RECT bounds;
    if (lprcBounds) {
        bounds = RECT{lprcBounds->left, lprcBounds->top, lprcBounds->right, lprcBounds->bottom};
    } else if (m_pThis->m_bInPlaceActive) {
        // An active control may be asked to paint where it stands.
        bounds = m_pThis->m_rcPos;
    } else {
        return E_INVALIDARG;
    }
    return m_pThis->Draw(hdcDraw, bounds);
}

HRESULT STDMETHODCALLTYPE COleControl::XViewObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                                                LOGPALETTE** ppColorSet)
{
    if (ppColorSet) *ppColorSet = nullptr;
    return S_FALSE;
}

HRESULT STDMETHODCALLTYPE COleControl::XViewObject::Freeze(DWORD, LONG, void*, DWORD* pdwFreeze)
{
    if (pdwFreeze) *pdwFreeze = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE COleControl::XViewObject::Unfreeze(DWORD) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE COleControl::XViewObject::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* pAdvSink)
{
    if (pAdvSink) pAdvSink->AddRef();
    if (IAdviseSink* old = std::exchange(m_pThis->m_pViewAdviseSink, pAdvSink)) old->Release();
    m_pThis->m_dwViewAdviseFlags = advf;
    (void)aspects;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XViewObject::GetAdvise(DWORD* pAspects, DWORD* pAdvf, IAdviseSink** ppAdvSink)
{
    if (pAspects) *pAspects = DVASPECT_CONTENT;
    if (pAdvf) *pAdvf = m_pThis->m_dwViewAdviseFlags;
    if (ppAdvSink) {
        *ppAdvSink = m_pThis->m_pViewAdviseSink;
        if (*ppAdvSink) (*ppAdvSink)->AddRef();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XViewObject::GetExtent(DWORD dwDrawAspect, LONG, DVTARGETDEVICE*,
                                                              LPSIZEL lpsizel)
{
    if (!lpsizel) return E_POINTER;
    if (dwDrawAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    lpsizel->cx = m_pThis->m_cxExtent;
    lpsizel->cy = m_pThis->m_cyExtent;
    return S_OK;
}
