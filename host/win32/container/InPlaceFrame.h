// The viewer's window as the in-place frame of its controls: it gives no
// border space, menus or accelerators; a control's status text goes to the
// viewer's status line.
#pragma once

#include <ole2.h>

#include <atomic>
#include <functional>
#include <string>

class InPlaceFrame final : public IOleInPlaceFrame {
public:
    InPlaceFrame(HWND window, std::function<void(const std::string&)> onStatusText)
        : m_window(window), m_onStatusText(std::move(onStatusText))
    {
    }
    virtual ~InPlaceFrame() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override;
    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceUIWindow
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override;
    // IOleInPlaceFrame
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR text) override;
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // The control that is UI-active, if any (held until it lets go).
    IOleInPlaceActiveObject* activeObject() const { return m_active; }

private:
    std::atomic<ULONG> m_refs{1};
    HWND m_window;
    std::function<void(const std::string&)> m_onStatusText;
    IOleInPlaceActiveObject* m_active = nullptr;
};
