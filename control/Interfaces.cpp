// The control's own interfaces: safety for scripting and initialisation,
// and the browser's commands.
#include "control/ImageCtrl.h"

namespace {
constexpr DWORD kSafeOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

// Whether the control answers QueryInterface for riid.
HRESULT supports(CImageCtrl* control, REFIID riid)
{
    IUnknown* unknown = nullptr;
    const HRESULT hr = control->ExternalQueryInterface(riid, reinterpret_cast<void**>(&unknown));
    if (SUCCEEDED(hr) && unknown) unknown->Release();
    return hr;
}
} // namespace

VE_FORWARD_IUNKNOWN(CImageCtrl, XObjectSafety)
VE_FORWARD_IUNKNOWN(CImageCtrl, XOleCommandTarget)

HRESULT STDMETHODCALLTYPE CImageCtrl::XObjectSafety::GetInterfaceSafetyOptions(REFIID riid, DWORD* pdwSupportedOptions,
                                                             DWORD* pdwEnabledOptions)
{
    // The control is always safe for both; nothing is stored.
    if (!pdwSupportedOptions || !pdwEnabledOptions) return E_POINTER;
    const HRESULT hr = supports(m_pThis, riid);
    *pdwSupportedOptions = kSafeOptions;
    *pdwEnabledOptions = kSafeOptions;
    return hr;
}

HRESULT STDMETHODCALLTYPE CImageCtrl::XObjectSafety::SetInterfaceSafetyOptions(REFIID riid, DWORD dwOptionSetMask,
                                                             DWORD dwEnabledOptions)
{
    if (FAILED(supports(m_pThis, riid))) return E_NOINTERFACE;
    if (dwOptionSetMask & ~kSafeOptions) return E_FAIL;
    if ((dwOptionSetMask & dwEnabledOptions) == dwOptionSetMask) return S_OK;
    return E_FAIL;
}

HRESULT STDMETHODCALLTYPE CImageCtrl::XOleCommandTarget::QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*) { return S_OK; }

HRESULT STDMETHODCALLTYPE CImageCtrl::XOleCommandTarget::Exec(const GUID*, DWORD nCmdID, DWORD, VARIANT*, VARIANT*)
{
    // Stop, whatever the command group: the next tick ends the stream.
    if (nCmdID == OLECMDID_STOP) m_pThis->m_bStopped = TRUE;
    return S_OK;
}
