// IOleControl: the container's calls about keyboard mnemonics, ambient
// properties and freezing the events.
#include "platform/framework/OleControl.h"

VE_FORWARD_IUNKNOWN(COleControl, XOleControl)

HRESULT STDMETHODCALLTYPE COleControl::XOleControl::GetControlInfo(CONTROLINFO* pCI)
{
    if (!pCI) return E_POINTER;
    // No mnemonics: the control takes no keyboard shortcuts.
    pCI->hAccel = nullptr;
    pCI->cAccel = 0;
    pCI->dwFlags = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XOleControl::OnMnemonic(MSG*) { return S_OK; }

// The control reads no ambient property, so a change asks nothing of it.
HRESULT STDMETHODCALLTYPE COleControl::XOleControl::OnAmbientPropertyChange(DISPID) { return S_OK; }

HRESULT STDMETHODCALLTYPE COleControl::XOleControl::FreezeEvents(BOOL bFreeze)
{
    if (bFreeze)
        ++m_pThis->m_nFreezeEvents;
    else if (m_pThis->m_nFreezeEvents > 0)
        --m_pThis->m_nFreezeEvents;
    return S_OK;
}
