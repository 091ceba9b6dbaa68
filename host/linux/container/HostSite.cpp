#include "host/linux/container/HostSite.h"

#include "host/core/PropertyPages.h"
#include "host/linux/container/PageFetch.h"
#include "host/core/page/ViewerPage.h"
#include "platform/com/ComCreation.h"
#include "platform/com/ComPtr.h"
#include "platform/com/PropertyPage.h"
#include "platform/com/linux/StandInCom.h"

HostSite::HostSite(std::string pageUrl, HWND window, HostListener listener)
    : m_pageUrl(std::move(pageUrl)), m_window(window), m_listener(std::move(listener)),
      m_messages(
          [](const std::string& url) {
              const FetchedPage page = FetchViewerPage(url);
              return page.error.empty() ? PageText(page.body) : page.error;
          },
          m_listener.onMessage)
{
}

HostSite::~HostSite() { Shutdown(); }

void HostSite::Shutdown() { m_messages.shutdown(); }

ULONG HostSite::Release()
{
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HRESULT HostSite::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    void* found = SiteInterface(riid);
    if (riid == IID_IServiceProvider) found = static_cast<IServiceProvider*>(this);
    else if (riid == IID_IDispatch || riid == IID_IWebBrowser || riid == IID_IWebBrowserApp ||
             riid == IID_IWebBrowser2)
        found = static_cast<IWebBrowser2*>(this);
    *ppv = found;
    if (!found) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

// The top-level browser and the web browser are this same object.
HRESULT HostSite::QueryService(REFGUID service, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (service == SID_STopLevelBrowser || service == SID_SWebBrowserApp) return QueryInterface(riid, ppv);
    return E_NOINTERFACE;
}

HRESULT HostSite::InvalidateRect(LPCRECT, BOOL)
{
    if (m_listener.onInvalidate) m_listener.onInvalidate();
    return S_OK;
}

HRESULT HostSite::OnPosRectChange(LPCRECT rect)
{
    if (rect) m_size = SIZE{rect->right - rect->left, rect->bottom - rect->top};
    return S_OK;
}

// The property frame: asks the control for its pages, creates each by
// class, gives it the control, asks what it is, activates it over the
// frame's window and shows it, and reports its title and description (the
// stand-in has no dialogs to draw). The frame offers the page no site.
HRESULT HostSite::ShowPropertyFrame()
{
    if (!m_control) return E_FAIL;
    ULONG shown = 0;
    const HRESULT hr = VisitPropertyPages(
        m_control,
        [this](IPropertyPage* page, const PageDescription& description) {
            const RECT area{0, 0, description.size.cx, description.size.cy};
            if (FAILED(page->Activate(m_window, &area, TRUE))) return false;
            page->Show(SW_SHOW);
            if (m_listener.onPropertyPage) m_listener.onPropertyPage(description.title, description.text);
            page->Deactivate();
            return true;
        },
        &shown);
    if (FAILED(hr)) return hr;
    return shown ? S_OK : E_FAIL;
}

HRESULT HostSite::get_LocationURL(BSTR* url)
{
    if (!url) return E_POINTER;
    *url = SysAllocStringFromUtf8(m_pageUrl);
    return S_OK;
}

HRESULT HostSite::get_HWND(SHANDLE_PTR* hwnd)
{
    if (!hwnd) return E_POINTER;
    *hwnd = reinterpret_cast<SHANDLE_PTR>(m_window);
    return S_OK;
}

HRESULT HostSite::Navigate(BSTR url, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
{
    const std::string target = url ? standin::Utf16ToUtf8(std::u16string_view(url, SysStringLen(url))) : "";
    if (m_listener.onNavigate) m_listener.onNavigate(target);
    // The "Message" frame shows the camera's answer; it is fetched in the
    // background, as a browser would.
    m_messages.navigate(target);
    return S_OK;
}
