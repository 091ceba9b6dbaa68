#include "tests/support/TestBrowser.h"
#include "platform/com/linux/StandInCom.h"

HRESULT TestBrowser::QueryInterface(REFIID riid, void** ppv)
{
    IUnknown* self = static_cast<IWebBrowser2*>(this);
    return answer(riid, ppv,
                  {{&IID_IUnknown, self}, {&IID_IWebBrowser, self}, {&IID_IWebBrowserApp, self}, {&IID_IWebBrowser2, self}});
}

HRESULT TestBrowser::get_LocationURL(BSTR* url)
{
    if (!url) return E_POINTER;
    if (locationFails) {
        *url = nullptr;
        return E_FAIL;
    }
    *url = SysAllocStringFromUtf8(locationUrl);
    return S_OK;
}

HRESULT TestBrowser::Navigate(BSTR url, VARIANT*, VARIANT* targetFrameName, VARIANT*, VARIANT*)
{
    NavigateCall call;
    if (url) call.url = standin::Utf16ToUtf8(std::u16string_view(url, SysStringLen(url)));
    if (targetFrameName && targetFrameName->vt == VT_BSTR && targetFrameName->bstrVal)
        call.targetFrame = standin::Utf16ToUtf8(std::u16string_view(targetFrameName->bstrVal, SysStringLen(targetFrameName->bstrVal)));
    navigations.push_back(call);
    return S_OK;
}

HRESULT TestBrowser::get_HWND(SHANDLE_PTR* out)
{
    if (!out) return E_POINTER;
    *out = reinterpret_cast<SHANDLE_PTR>(hwnd);
    return S_OK;
}

TestTopLevelProvider::TestTopLevelProvider(TestBrowser* browser) : m_browser(browser) { m_browser->AddRef(); }

TestTopLevelProvider::~TestTopLevelProvider() { m_browser->Release(); }

HRESULT TestTopLevelProvider::QueryInterface(REFIID riid, void** ppv)
{
    IUnknown* self = static_cast<IServiceProvider*>(this);
    return answer(riid, ppv, {{&IID_IUnknown, self}, {&IID_IServiceProvider, self}});
}

HRESULT TestTopLevelProvider::QueryService(REFGUID service, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (service == SID_SWebBrowserApp) return m_browser->QueryInterface(riid, ppv);
    return E_NOINTERFACE;
}
