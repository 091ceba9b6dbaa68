// The browser a control finds through its site: the page's address, the
// viewer's window, and the "Message" frame. A navigation is reported at
// once and fetched on a worker thread, as a browser loads a frame; the
// answer's text is reported when it has come. Every other member of the
// browser answers E_NOTIMPL.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "host/core/MessageFrame.h"
#include "host/linux/container/BrowserBase.h"

class MessageBrowser final : public BrowserBase {
public:
    // Fetches one address: true with the body, or false with the sentence
    // that says why not.
    using PageGetter = std::function<bool(const std::string& url, std::string& body, std::string& error)>;
    struct Listener {
        std::function<void(const std::string& url)> onNavigate; // on the caller's thread
        std::function<void(const std::string& text)> onMessage;  // on the worker thread
    };

    MessageBrowser(std::string pageUrl, HWND window, PageGetter getter, Listener listener);
    ~MessageBrowser() override;

    // Takes no more navigations; waits up to `waitMs` for the one being
    // fetched and the one waiting, and after that lets them end unreported
    // (a stalled camera must not hold the viewer). Call before the last
    // release.
    void Shutdown(DWORD waitMs = static_cast<DWORD>(MessageFrameLoader::kShutdownWait.count()));

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE get_LocationURL(BSTR* url) override;
    HRESULT STDMETHODCALLTYPE get_HWND(SHANDLE_PTR* hwnd) override;
    HRESULT STDMETHODCALLTYPE Navigate(BSTR url, VARIANT* flags, VARIANT* frame, VARIANT* postData,
                                       VARIANT* headers) override;

    // A page's text without its tags, blanks folded: what the frame shows.
    static std::string TextOfPage(const std::string& html);

private:
    std::atomic<ULONG> m_refs{1};
    std::string m_pageUrl;
    HWND m_window;
    Listener m_listener;
    MessageFrameLoader m_messages;
};
