#include "host/win32/container/ControlSite.h"

#include <exdisp.h>
#include <shlguid.h>

#include <utility>

namespace {

void setBool(VARIANT* v, bool value)
{
    v->vt = VT_BOOL;
    v->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

ControlSite::ControlSite(HWND window, IOleInPlaceFrame* frame, IUnknown* browser, Listener listener)
    : m_window(window), m_frame(frame), m_browser(browser), m_listener(std::move(listener))
{
    if (m_frame) m_frame->AddRef();
    if (m_browser) m_browser->AddRef();
}

ControlSite::~ControlSite() { Detach(); }

void ControlSite::Detach()
{
    if (IOleInPlaceFrame* frame = std::exchange(m_frame, nullptr)) frame->Release();
    if (IUnknown* browser = std::exchange(m_browser, nullptr)) browser->Release();
    m_listener = Listener{};
}

ULONG ControlSite::Release()
{
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HRESULT ControlSite::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = SiteInterface(riid);
    if (IsEqualIID(riid, IID_IServiceProvider)) *ppv = static_cast<IServiceProvider*>(this);
    else if (IsEqualIID(riid, IID_IDispatch)) *ppv = static_cast<IDispatch*>(this);
    else if (IsEqualIID(riid, IID_IAdviseSink)) *ppv = static_cast<IAdviseSink*>(this);
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT ControlSite::GetWindow(HWND* window)
{
    if (!window) return E_POINTER;
    *window = m_window;
    return m_window ? S_OK : E_FAIL;
}

HRESULT ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                      LPRECT clip, LPOLEINPLACEFRAMEINFO info)
{
    if (!frame || !document || !position || !clip) return E_POINTER;
    *frame = m_frame;
    if (m_frame) m_frame->AddRef();
    *document = nullptr;
    *position = m_position;
    *clip = m_position;
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = m_window;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT ControlSite::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags)
{
    if (!himetric || !container) return E_POINTER;
    // The container's units are pixels at the screen's resolution.
    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
        container->x = static_cast<float>(himetric->x) * dpiX / 2540.0f;
        container->y = static_cast<float>(himetric->y) * dpiY / 2540.0f;
    } else {
        himetric->x = static_cast<LONG>(container->x * 2540.0f / dpiX);
        himetric->y = static_cast<LONG>(container->y * 2540.0f / dpiY);
    }
    return S_OK;
}

HRESULT ControlSite::ShowPropertyFrame()
{
    return m_listener.onPropertyFrame ? m_listener.onPropertyFrame() : E_NOTIMPL;
}

HRESULT ControlSite::QueryService(REFGUID service, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    // The top-level browser is reached through this site again; the web
    // browser is the viewer's browser object.
    if (IsEqualGUID(service, SID_STopLevelBrowser) && IsEqualIID(riid, IID_IServiceProvider))
        return QueryInterface(riid, ppv);
    if ((IsEqualGUID(service, SID_STopLevelBrowser) || IsEqualGUID(service, SID_SWebBrowserApp) ||
         IsEqualGUID(service, IID_IWebBrowserApp)) &&
        m_browser)
        return m_browser->QueryInterface(riid, ppv);
    return E_NOINTERFACE;
}

HRESULT ControlSite::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

// The ambient properties of a page in a browser: run mode, no hatching or
// handles, the system's locale.
HRESULT ControlSite::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*)
{
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    switch (member) {
    case DISPID_AMBIENT_USERMODE: setBool(result, true); return S_OK;
    case DISPID_AMBIENT_UIDEAD: setBool(result, false); return S_OK;
    case DISPID_AMBIENT_SHOWHATCHING: setBool(result, false); return S_OK;
    case DISPID_AMBIENT_SHOWGRABHANDLES: setBool(result, false); return S_OK;
    case DISPID_AMBIENT_MESSAGEREFLECT: setBool(result, false); return S_OK;
    case DISPID_AMBIENT_LOCALEID:
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(GetUserDefaultLCID());
        return S_OK;
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

void ControlSite::OnViewChange(DWORD aspect, LONG)
{
    if ((aspect & DVASPECT_CONTENT) && m_listener.onViewChange) m_listener.onViewChange();
}
