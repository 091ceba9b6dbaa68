// Start-up of the stream machinery, once per control: the connection
// object, what the hosting browser tells of itself, and the tick.
//
// A container may load the properties before it gives the control its site
// (and so its window). The tick is a timer on that window, so it starts
// when the window is there, whichever came first; the browser is asked
// once the site is there, before the first tick can start the stream.
#include <new>

#include "control/ImageCtrl.h"
#include "platform/com/ServiceProvider.h"
#include "stream/StreamClient.h"

void CImageCtrl::StartStreamMachinery()
{
    m_pStreamClient = new (std::nothrow) CStreamClient(m_pStreamBuffer);
    // Without a connection object the next exchange tries again; until then
    // no tick runs.
    if (!m_pStreamClient) return;
    m_pStreamClient->SetAnyPictureStream(m_bAnyPictureStream);
    m_pStreamClient->SetRestingWorker((m_dwViewTuning & VIEW_TUNE_COALESCED_TICK) != 0);

    if (GetClientSite())
        QueryHostingBrowser();
    else
        m_bBrowserQueryPending = TRUE;
    StartTick();
}

void CImageCtrl::FinishStartUpAtSiting()
{
    if (!m_pStreamClient || m_bDestroying) return;
    if (m_bBrowserQueryPending && GetClientSite()) {
        m_bBrowserQueryPending = FALSE;
        QueryHostingBrowser();
    }
    if (m_bTickPending) StartTick();
}

void CImageCtrl::StartTick()
{
    // A timer set without a window would be a thread timer whose messages
    // reach no control: wait for the window instead.
    if (!GetSafeHwnd()) {
        m_bTickPending = TRUE;
        return;
    }
    m_bTickPending = FALSE;
    m_bTickResting = false;
    // Asked for, the tick may come a period late, so that the ticks of
    // all the controls of a thread come on one wake-up.
    if (m_dwViewTuning & VIEW_TUNE_COALESCED_TICK)
        SetCoalescedTick(TIMER_TICK_PERIOD_MS);
    else
        m_nTimerId = static_cast<UINT>(SetTimer(TIMER_TICK, TIMER_TICK_PERIOD_MS, nullptr));
}

void CImageCtrl::QueryHostingBrowser()
{
    IServiceProvider* provider = nullptr;
    if (IOleClientSite* site = GetClientSite())
        site->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&provider));
    if (!provider) return;

    IServiceProvider* topProvider = nullptr;
    IWebBrowser2* topBrowser = nullptr;
    if (SUCCEEDED(provider->QueryService(SID_STopLevelBrowser, IID_IServiceProvider,
                                         reinterpret_cast<void**>(&topProvider))) &&
        topProvider) {
        if (SUCCEEDED(topProvider->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2,
                                                reinterpret_cast<void**>(&topBrowser))) &&
            topBrowser) {
            SHANDLE_PTR hwnd = 0;
            if (SUCCEEDED(topBrowser->get_HWND(&hwnd))) m_hBrowserWnd = reinterpret_cast<HWND>(hwnd);
        }
    }
    m_pStreamClient->SetBrowserWindow(m_hBrowserWnd);
    if (!m_pBrowser)
        provider->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, reinterpret_cast<void**>(&m_pBrowser));
    if (topBrowser) topBrowser->Release();
    if (topProvider) topProvider->Release();

    IWebBrowserApp* app = nullptr;
    if (SUCCEEDED(provider->QueryService(SID_SWebBrowserApp, IID_IWebBrowserApp, reinterpret_cast<void**>(&app))) &&
        app) {
        IWebBrowser2* browser = nullptr;
        if (SUCCEEDED(app->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser))) && browser) {
            BSTR url = nullptr;
            if (browser->get_LocationURL(&url) == S_OK) {
                m_pStreamClient->SetPageUrl(BstrToUtf8(url));
                SysFreeString(url);
            }
            browser->Release();
        }
        app->Release();
    }
    provider->Release();
}
