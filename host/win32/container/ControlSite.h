// The container's side of one control: the client site, in-place
// activation in a cell of the viewer's window, the control site, the
// ambient properties (through IDispatch), the services (the browser), and
// the view's advise sink, through which a control that is not active in
// place says that its picture changed.
#pragma once

#include "host/linux/container/SiteDefaults.h"

#include <ole2.h>
#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <functional>

class ControlSite final : public SiteDefaults<IOleInPlaceSite>,
                          public IServiceProvider,
                          public IDispatch,
                          public IAdviseSink {
public:
    struct Listener {
        std::function<void()> onViewChange;     // the picture changed
        std::function<HRESULT()> onPropertyFrame; // the control asks for its property frame
    };

    // window: the viewer's window the control is active in; frame: its
    // in-place frame; browser: what the control finds as the web browser
    // (both held by the site).
    ControlSite(HWND window, IOleInPlaceFrame* frame, IUnknown* browser, Listener listener);
    virtual ~ControlSite();

    void setPosition(const RECT& position) { m_position = position; }
    const RECT& position() const { return m_position; }
    // Drops the frame, the browser and the listener: the container is done
    // with the control, which may still hold the site.
    void Detach();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override;
    // IOleWindow, IOleInPlaceSite: the viewer's window, a cell of it. The
    // grid places its controls; a control does not move itself.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    // IOleControlSite
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override;
    // IServiceProvider: the browser, as the web browser and the top-level browser
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID riid, void** ppv) override;
    // IDispatch: the ambient properties
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override;
    // IAdviseSink: only the view's change is of interest
    void STDMETHODCALLTYPE OnDataChange(FORMATETC*, STGMEDIUM*) override {}
    void STDMETHODCALLTYPE OnViewChange(DWORD aspect, LONG) override;
    void STDMETHODCALLTYPE OnRename(IMoniker*) override {}
    void STDMETHODCALLTYPE OnSave() override {}
    void STDMETHODCALLTYPE OnClose() override {}

private:
    std::atomic<ULONG> m_refs{1};
    HWND m_window;
    RECT m_position{0, 0, 0, 0};
    IOleInPlaceFrame* m_frame;
    IUnknown* m_browser;
    Listener m_listener;
};
