// The container's side of one control: the client site with its services,
// the browser object (the page's address, the viewer's window, navigation
// of the "Message" frame by a real HTTP GET in the background). What
// happens is reported to a listener the host supplies.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "host/core/MessageFrame.h"
#include "host/linux/container/BrowserBase.h"
#include "host/linux/container/SiteDefaults.h"
#include "platform/com/ServiceProvider.h"

struct HostListener {
    std::function<void(const std::string& url)> onNavigate;
    std::function<void(const std::string& text)> onMessage; // the "Message" frame's text
    std::function<void()> onInvalidate;
    // The property frame: each page's title and text, shown for the control.
    std::function<void(const std::string& title, const std::string& text)> onPropertyPage;
};

class HostSite final : public WindowlessSite, public IServiceProvider, public BrowserBase {
public:
    HostSite(std::string pageUrl, HWND window, HostListener listener);
    ~HostSite();

    // Lets the navigation in flight and the one waiting finish (for a
    // bounded while: after it they end unreported), and takes no more;
    // call before the last release.
    void Shutdown();
    // The control this site holds (not counted: the container owns it), for
    // the property frame.
    void SetControl(IUnknown* control) { m_control = control; }

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override;

    HRESULT QueryService(REFGUID service, REFIID riid, void** ppv) override;
    HRESULT InvalidateRect(LPCRECT pRect, BOOL fErase) override;
    HRESULT OnPosRectChange(LPCRECT lprcPosRect) override;
    HRESULT ShowPropertyFrame() override;
    HRESULT get_LocationURL(BSTR* url) override;
    HRESULT Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData, VARIANT* headers) override;
    HRESULT get_HWND(SHANDLE_PTR* hwnd) override;

    SIZE size() const { return m_size; }

private:
    std::atomic<ULONG> m_refs{1};
    std::string m_pageUrl;
    HWND m_window;
    IUnknown* m_control = nullptr;
    HostListener m_listener;
    SIZE m_size{320, 240};
    // The "Message" frame's navigations, fetched in the background.
    MessageFrameLoader m_messages;
};
