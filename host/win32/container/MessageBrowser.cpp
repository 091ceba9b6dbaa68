#include "host/win32/container/MessageBrowser.h"

#include "host/core/page/ViewerPage.h"

#include <chrono>

#include "host/win32/container/Utf.h"

MessageBrowser::MessageBrowser(std::string pageUrl, HWND window, PageGetter getter, Listener listener)
    : m_pageUrl(std::move(pageUrl)), m_window(window), m_listener(std::move(listener)),
      m_messages(
          [getter = std::move(getter)](const std::string& url) {
              std::string body, error;
              return getter && getter(url, body, error) ? TextOfPage(body) : error;
          },
          m_listener.onMessage)
{
}

MessageBrowser::~MessageBrowser() { Shutdown(); }

void MessageBrowser::Shutdown(DWORD waitMs) { m_messages.shutdown(std::chrono::milliseconds(waitMs)); }

HRESULT MessageBrowser::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) && !IsEqualIID(riid, IID_IWebBrowser) &&
        !IsEqualIID(riid, IID_IWebBrowserApp) && !IsEqualIID(riid, IID_IWebBrowser2))
        return E_NOINTERFACE;
    *ppv = static_cast<IWebBrowser2*>(this);
    AddRef();
    return S_OK;
}

ULONG MessageBrowser::AddRef() { return ++m_refs; }

ULONG MessageBrowser::Release()
{
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HRESULT MessageBrowser::get_LocationURL(BSTR* url)
{
    if (!url) return E_POINTER;
    *url = AllocBstr(m_pageUrl);
    return *url ? S_OK : E_OUTOFMEMORY;
}

HRESULT MessageBrowser::get_HWND(SHANDLE_PTR* hwnd)
{
    if (!hwnd) return E_POINTER;
    *hwnd = reinterpret_cast<SHANDLE_PTR>(m_window);
    return S_OK;
}

HRESULT MessageBrowser::Navigate(BSTR url, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
{
    const std::string target = url ? Narrow(url, SysStringLen(url)) : std::string();
    if (m_listener.onNavigate) m_listener.onNavigate(target);
    m_messages.navigate(target);
    return S_OK;
}

std::string MessageBrowser::TextOfPage(const std::string& html) { return PageText(html); }
