// The hosting browser as a test sees it: a top-level window handle, the
// page's address, and a record of every Navigate call.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/com/ServiceProvider.h"
#include "host/linux/container/BrowserBase.h"
#include "tests/support/ComObject.h"

struct NavigateCall {
    std::string url;
    std::string targetFrame;
};

class TestBrowser final : public ComObject, public BrowserBase {
public:
    HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xB000));
    // No camera page name in it: a control on this page finds no camera
    // and keeps waiting, unless a test gives a camera's address.
    std::string locationUrl = "http://camera.test/LiveView.html";
    bool locationFails = false;
    std::vector<NavigateCall> navigations;
    // Called when the last reference goes, before the object is deleted.
    std::function<void()> onFinalRelease;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    VE_TEST_IUNKNOWN
    HRESULT get_LocationURL(BSTR* url) override;
    HRESULT Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData, VARIANT* headers) override;
    HRESULT get_HWND(SHANDLE_PTR* hwnd) override;

    ~TestBrowser() override
    {
        if (onFinalRelease) onFinalRelease();
    }
};

// The top-level browser's service provider: answers the web-browser service.
class TestTopLevelProvider final : public ComObject, public IServiceProvider {
public:
    explicit TestTopLevelProvider(TestBrowser* browser);
    ~TestTopLevelProvider() override;
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    VE_TEST_IUNKNOWN
    HRESULT QueryService(REFGUID service, REFIID riid, void** ppv) override;

private:
    TestBrowser* m_browser;
};
