#include "tests/support/TestSite.h"

TestSite::TestSite(TestBrowser* browser) : m_browser(browser) { m_browser->AddRef(); }

TestSite::~TestSite() { m_browser->Release(); }

HRESULT TestSite::QueryInterface(REFIID riid, void** ppv)
{
    if (riid == IID_IServiceProvider && !offersServiceProvider) {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    if (void* site = SiteInterface(riid)) {
        *ppv = site;
        addRef();
        return S_OK;
    }
    return answer(riid, ppv, {{&IID_IServiceProvider, static_cast<IServiceProvider*>(this)}});
}

HRESULT TestSite::QueryService(REFGUID service, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (service == SID_STopLevelBrowser && offersTopLevelBrowser && riid == IID_IServiceProvider) {
        *ppv = static_cast<IServiceProvider*>(new TestTopLevelProvider(m_browser));
        return S_OK;
    }
    if (service == SID_SWebBrowserApp && offersWebBrowser) return m_browser->QueryInterface(riid, ppv);
    return E_NOINTERFACE;
}

HRESULT TestSite::InvalidateRect(LPCRECT, BOOL)
{
    ++invalidations;
    repaintPending = true;
    return S_OK;
}

HRESULT TestSite::OnPosRectChange(LPCRECT rect)
{
    if (rect) lastSize = *rect;
    return S_OK;
}

HRESULT TestSite::ShowPropertyFrame()
{
    ++propertyFrames;
    return S_OK;
}

HRESULT TestEventSink::QueryInterface(REFIID riid, void** ppv)
{
    IUnknown* self = static_cast<IDispatch*>(this);
    return answer(riid, ppv, {{&IID_IUnknown, self}, {&IID_IDispatch, self}});
}

HRESULT TestEventSink::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT TestEventSink::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    FiredEvent event{dispid, {}};
    if (params)
        for (UINT i = params->cArgs; i > 0; --i) event.args.push_back(params->rgvarg[i - 1]);
    events.push_back(event);
    return S_OK;
}

int TestEventSink::count(DISPID dispid) const
{
    int n = 0;
    for (const auto& e : events) n += e.dispid == dispid;
    return n;
}
