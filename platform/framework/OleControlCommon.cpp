// The members of COleControl that both platforms share: the overridables'
// defaults, the exchange helpers, sizes, the ready state, the message map's
// dispatch and the default handlers, and the end of a connection.
#include <algorithm>

#include "platform/framework/OleControl.h"
#include "platform/trace/Trace.h"

void COleControl::DoPropExchange(CPropExchange* pPX)
{
    ExchangeVersion(pPX, 0x00010000);
    ExchangeExtent(pPX);
    ExchangeStockProps(pPX);
}

void COleControl::OnResetState()
{
    CResetPropExchange px;
    DoPropExchange(&px);
}

void COleControl::OnDraw(CDC*, const RECT&, const RECT&) {}

void COleControl::OnSetClientSite() {}

DWORD COleControl::GetControlFlags() { return clipPaintDC; }

HRESULT COleControl::GetClassID(CLSID* pClsid)
{
    if (!pClsid) return E_POINTER;
    *pClsid = GUID_NULL;
    return E_NOTIMPL;
}

const CLSID* COleControl::GetPropPageIDs(ULONG* count) const
{
    if (count) *count = 0;
    return nullptr;
}

HRESULT COleControl::GetTypeLib(LCID, GUID*, WORD*, WORD*) const { return E_NOTIMPL; }

HRESULT COleControl::GetTypeLibCache(GUID*) const { return E_NOTIMPL; }

void COleControl::InitializeIIDs(const IID* piidPrimary, const IID* piidEvents)
{
    if (piidPrimary) m_piidPrimary = *piidPrimary;
    if (piidEvents) m_piidEvents = *piidEvents;
}

BOOL COleControl::ExchangeVersion(CPropExchange* pPX, DWORD dwVersionDefault, BOOL bConvert)
{
    DWORD loaded = dwVersionDefault;
    return pPX->ExchangeVersion(loaded, dwVersionDefault, bConvert);
}

BOOL COleControl::ExchangeExtent(CPropExchange* pPX)
{
    LONG cx = m_cxExtent;
    LONG cy = m_cyExtent;
    const LONG defCx = m_cxExtent;
    const LONG defCy = m_cyExtent;
    PX_Long(pPX, "_ExtentX", cx, defCx);
    PX_Long(pPX, "_ExtentY", cy, defCy);
    if (pPX->IsLoading()) {
        m_cxExtent = cx;
        m_cyExtent = cy;
    }
    return TRUE;
}

void COleControl::ExchangeStockProps(CPropExchange* pPX)
{
    // No stock property is in use: the mask is 0.
    LONG mask = 0;
    PX_Long(pPX, "_StockProps", mask, 0);
}

void COleControl::SetInitialSize(int cx, int cy)
{
    m_cx = cx;
    m_cy = cy;
    m_cxExtent = PixelsToHimetric(cx);
    m_cyExtent = PixelsToHimetric(cy);
}

void COleControl::GetControlSize(int* pcx, int* pcy) const
{
    if (pcx) *pcx = m_cx;
    if (pcy) *pcy = m_cy;
}

void COleControl::InternalSetReadyState(LONG lNewState)
{
    m_lReadyState = lNewState;
    const VARIANT arg = MakeVariantI4(lNewState);
    FireEvent(DISPID_READYSTATECHANGE, &arg, 1);
}

LRESULT COleControl::handleMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    VE_TRACE(window, "(%p, 0x%04x, 0x%lx, 0x%lx)", static_cast<void*>(this), message,
             static_cast<unsigned long>(wParam),
             static_cast<unsigned long>(lParam));
    const UINT savedMessage = m_currentMessage;
    const WPARAM savedWParam = m_currentWParam;
    const LPARAM savedLParam = m_currentLParam;
    m_currentMessage = message;
    m_currentWParam = wParam;
    m_currentLParam = lParam;
    LRESULT result = 0;
    bool handled = false;
    if (const AFX_MSGMAP* map = GetMessageMap()) {
        for (std::size_t i = 0; i < map->nCount; ++i) {
            if (map->lpEntries[i].nMessage == message) {
                result = map->lpEntries[i].pfn(this, wParam, lParam);
                handled = true;
                break;
            }
        }
    }
    if (!handled) result = frameworkHandle(message, wParam, lParam);
    m_currentMessage = savedMessage;
    m_currentWParam = savedWParam;
    m_currentLParam = savedLParam;
    return result;
}

void COleControl::OnTimer(UINT_PTR) { Default(); }
void COleControl::OnLButtonDown(UINT, POINT) { Default(); }
void COleControl::OnRButtonDown(UINT, POINT) { Default(); }
void COleControl::OnRButtonUp(UINT, POINT) { Default(); }
void COleControl::OnMouseMove(UINT, POINT) { Default(); }
BOOL COleControl::OnSetCursor(HWND, UINT, UINT) { return static_cast<BOOL>(Default()); }
BOOL COleControl::OnMouseWheel(UINT, short, POINT) { return static_cast<BOOL>(Default()); }

HRESULT COleControl::Unadvise(DWORD cookie)
{
    auto it = std::find_if(m_sinks.begin(), m_sinks.end(), [cookie](const Sink& s) { return s.cookie == cookie; });
    if (it == m_sinks.end()) return CONNECT_E_NOCONNECTION;
    IDispatch* dispatch = it->dispatch;
    m_sinks.erase(it);
    dispatch->Release();
    return S_OK;
}

UINT_PTR COleControl::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC proc)
{
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, proc);
}

BOOL COleControl::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

// No text travels with the messages posted here, so the narrow call serves
// on both platforms.
BOOL COleControl::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd) return FALSE;
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

void COleControl::SetFocus()
{
    if (m_hWnd) ::SetFocus(m_hWnd);
}
