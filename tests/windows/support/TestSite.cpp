#include "tests/windows/support/TestSite.h"

#include <cwctype>

namespace {

// Answers riid with `object` when it is one of the identifiers given.
template <typename Interface>
bool answer(REFIID riid, std::initializer_list<const IID*> ids, Interface* object, void** ppv)
{
    for (const IID* id : ids) {
        if (IsEqualIID(riid, *id)) {
            *ppv = object;
            object->AddRef();
            return true;
        }
    }
    return false;
}

bool equalNoCase(const std::wstring& a, const wchar_t* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return i == a.size() && !b[i];
}

} // namespace

HRESULT TestBrowser::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (answer<IWebBrowser2>(riid, {&IID_IUnknown, &IID_IDispatch, &IID_IWebBrowser, &IID_IWebBrowserApp, &IID_IWebBrowser2},
                             this, ppv))
        return S_OK;
    return E_NOINTERFACE;
}

HRESULT TestBrowser::get_LocationURL(BSTR* url)
{
    if (!url) return E_POINTER;
    *url = SysAllocString(m_url.c_str());
    return *url ? S_OK : E_OUTOFMEMORY;
}

HRESULT TestBrowser::get_HWND(SHANDLE_PTR* hwnd)
{
    if (!hwnd) return E_POINTER;
    *hwnd = reinterpret_cast<SHANDLE_PTR>(m_window);
    return S_OK;
}

HRESULT TestBrowser::Navigate(BSTR url, VARIANT*, VARIANT* frame, VARIANT*, VARIANT*)
{
    Navigation n;
    if (url) n.url.assign(url, SysStringLen(url));
    if (frame && frame->vt == VT_BSTR && frame->bstrVal) n.frame.assign(frame->bstrVal, SysStringLen(frame->bstrVal));
    m_navigations.push_back(n);
    return S_OK;
}

HRESULT TestSite::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (answer<IOleClientSite>(riid, {&IID_IUnknown, &IID_IOleClientSite}, this, ppv) ||
        answer<IOleInPlaceSite>(riid, {&IID_IOleWindow, &IID_IOleInPlaceSite}, this, ppv) ||
        answer<IOleControlSite>(riid, {&IID_IOleControlSite}, this, ppv) ||
        answer<IServiceProvider>(riid, {&IID_IServiceProvider}, this, ppv) ||
        answer<IDispatch>(riid, {&IID_IDispatch}, this, ppv))
        return S_OK;
    return E_NOINTERFACE;
}

HRESULT TestSite::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT TestSite::GetContainer(IOleContainer** container)
{
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT TestSite::GetWindow(HWND* window)
{
    if (!window) return E_POINTER;
    *window = m_window;
    return S_OK;
}

HRESULT TestSite::OnInPlaceActivate()
{
    ++m_activations;
    return S_OK;
}

HRESULT TestSite::OnInPlaceDeactivate()
{
    ++m_deactivations;
    return S_OK;
}

HRESULT TestSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position, LPRECT clip,
                                   LPOLEINPLACEFRAMEINFO info)
{
    if (frame) *frame = nullptr;
    if (document) *document = nullptr;
    if (position) *position = m_position;
    if (clip) *clip = m_position;
    if (info) {
        info->fMDIApp = FALSE;
        info->hwndFrame = m_window;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
    }
    return S_OK;
}

HRESULT TestSite::OnPosRectChange(LPCRECT position)
{
    if (position) m_positionChanges.push_back(*position);
    return S_OK;
}

HRESULT TestSite::GetExtendedControl(IDispatch** control)
{
    if (control) *control = nullptr;
    return E_NOTIMPL;
}

HRESULT TestSite::ShowPropertyFrame()
{
    ++m_propertyFrames;
    return S_OK;
}

HRESULT TestSite::QueryService(REFGUID service, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualGUID(service, SID_STopLevelBrowser)) return QueryInterface(riid, ppv);
    if (IsEqualGUID(service, SID_SWebBrowserApp) && m_browser) return m_browser->QueryInterface(riid, ppv);
    return E_NOINTERFACE;
}

HRESULT TestSite::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT TestSite::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*)
{
    if (!(flags & DISPATCH_PROPERTYGET) || !result) return DISP_E_MEMBERNOTFOUND;
    switch (member) {
    case DISPID_AMBIENT_USERMODE:
        result->vt = VT_BOOL;
        result->boolVal = VARIANT_TRUE;
        return S_OK;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT TestPropertyBag::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (answer<IPropertyBag>(riid, {&IID_IUnknown, &IID_IPropertyBag}, this, ppv)) return S_OK;
    return E_NOINTERFACE;
}

HRESULT TestPropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*)
{
    if (!name || !value) return E_POINTER;
    for (const auto& [key, text] : m_values) {
        if (!equalNoCase(key, name)) continue;
        const VARTYPE wanted = value->vt;
        VARIANT textValue;
        VariantInit(&textValue);
        textValue.vt = VT_BSTR;
        textValue.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (wanted == VT_EMPTY || wanted == VT_BSTR) {
            *value = textValue;
            return S_OK;
        }
        const HRESULT hr = VariantChangeType(value, &textValue, 0, wanted);
        VariantClear(&textValue);
        return hr;
    }
    return E_INVALIDARG;
}

HRESULT TestPropertyBag::Write(LPCOLESTR name, VARIANT* value)
{
    if (!name || !value) return E_POINTER;
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, value, 0, VT_BSTR))) return E_FAIL;
    m_values[name] = std::wstring(text.bstrVal, SysStringLen(text.bstrVal));
    VariantClear(&text);
    return S_OK;
}

HRESULT EventSink::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (answer<IDispatch>(riid, {&IID_IUnknown, &IID_IDispatch, &m_eventsIid}, this, ppv)) return S_OK;
    return E_NOINTERFACE;
}

HRESULT EventSink::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT EventSink::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    Event event{member, {}};
    if (params)
        for (UINT i = 0; i < params->cArgs; ++i) event.args.push_back(params->rgvarg[i]);
    m_events.push_back(event);
    return S_OK;
}
