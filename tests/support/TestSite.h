// The container's site for one control in tests: services leading to the
// browser, and records of invalidations, size changes and property frames.
#pragma once

#include <optional>
#include <vector>

#include "host/linux/container/SiteDefaults.h"
#include "platform/com/ServiceProvider.h"
#include "tests/support/TestBrowser.h"

class TestSite final : public ComObject, public WindowlessSite, public IServiceProvider {
public:
    // Which services the site offers; a test removes some to see the control
    // cope without them.
    bool offersServiceProvider = true;
    bool offersTopLevelBrowser = true;
    bool offersWebBrowser = true;

    explicit TestSite(TestBrowser* browser);
    ~TestSite() override;

    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    VE_TEST_IUNKNOWN
    HRESULT QueryService(REFGUID service, REFIID riid, void** ppv) override;
    HRESULT InvalidateRect(LPCRECT pRect, BOOL fErase) override;
    HRESULT OnPosRectChange(LPCRECT lprcPosRect) override;
    HRESULT ShowPropertyFrame() override;

    int invalidations = 0;
    bool repaintPending = false;
    std::optional<RECT> lastSize;
    int propertyFrames = 0;

private:
    TestBrowser* m_browser;
};

// Records every event a control fires, arguments in their natural order.
struct FiredEvent {
    DISPID dispid;
    std::vector<VARIANT> args;
};

class TestEventSink final : public ComObject, public IDispatch {
public:
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    VE_TEST_IUNKNOWN
    HRESULT GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                   VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

    std::vector<FiredEvent> events;
    int count(DISPID dispid) const;
};
