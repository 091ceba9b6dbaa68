#include "host/win32/MessageBrowser.h"

#include "host/page/ViewerPage.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "host/win32/Utf.h"

// The "Message" frame's loads: one thread fetches them in turn; a newer
// request replaces one still waiting, as a frame sent elsewhere before it
// started loading.
struct MessageBrowser::Worker {
    PageGetter getter;
    std::function<void(const std::string&)> onMessage;
    std::mutex mutex;
    std::condition_variable wake;
    std::optional<std::string> pending;
    bool closing = false;   // no more navigations
    bool busy = false;      // a fetch is running
    bool detached = false;  // its answer goes unreported
    std::thread thread;

    static void Run(const std::shared_ptr<Worker>& self)
    {
        std::unique_lock lock(self->mutex);
        for (;;) {
            self->wake.wait(lock, [&] { return self->closing || self->pending; });
            if (!self->pending || self->detached) break;
            const std::string url = std::move(*self->pending);
            self->pending.reset();
            self->busy = true;
            lock.unlock();
            std::string body, error;
            const bool ok = self->getter && self->getter(url, body, error);
            const std::string text = ok ? TextOfPage(body) : error;
            lock.lock();
            self->busy = false;
            // Reported under the lock, so that Shutdown cannot return while
            // the listener is still being called.
            if (!self->detached && self->onMessage) self->onMessage(text);
            self->wake.notify_all();
        }
        self->busy = false;
        self->wake.notify_all();
    }
};

MessageBrowser::MessageBrowser(std::string pageUrl, HWND window, PageGetter getter, Listener listener)
    : m_pageUrl(std::move(pageUrl)), m_window(window), m_listener(std::move(listener)),
      m_worker(std::make_shared<Worker>())
{
    m_worker->getter = std::move(getter);
    m_worker->onMessage = m_listener.onMessage;
}

MessageBrowser::~MessageBrowser() { Shutdown(); }

void MessageBrowser::Shutdown(DWORD waitMs)
{
    std::unique_lock lock(m_worker->mutex);
    m_worker->closing = true;
    m_worker->pending.reset();
    m_worker->wake.notify_all();
    if (!m_worker->thread.joinable()) return;
    const bool ended = m_worker->wake.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return !m_worker->busy; });
    m_worker->detached = true;
    lock.unlock();
    if (ended) m_worker->thread.join();
    else m_worker->thread.detach();
}

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
    {
        std::lock_guard lock(m_worker->mutex);
        if (m_worker->closing) return S_OK;
        m_worker->pending = target;
        if (!m_worker->thread.joinable()) {
            auto worker = m_worker;
            m_worker->thread = std::thread([worker] { Worker::Run(worker); });
        }
    }
    m_worker->wake.notify_all();
    return S_OK;
}

std::string MessageBrowser::TextOfPage(const std::string& html) { return PageText(html); }
