// The members of a control's site that a container without the feature
// answers: the client site, the in-place site (IOleInPlaceSite for a
// control in a window of the container's, IOleInPlaceSiteWindowless for one
// the container draws) and the control site. A site derives from one of
// them, answers QueryInterface through SiteInterface, and overrides what it
// does.
#pragma once

#include "platform/com/OleInterfaces.h"

template <typename InPlaceSite>
class SiteDefaults : public IOleClientSite, public InPlaceSite, public IOleControlSite {
public:
    virtual ~SiteDefaults() = default;
    // IOleClientSite
    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** ppmk) override
    {
        if (ppmk) *ppmk = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** ppContainer) override
    {
        if (ppContainer) *ppContainer = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    // IOleWindow: the container's window is not the control's to use.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* phwnd) override
    {
        if (phwnd) *phwnd = nullptr;
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceSite
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT, LPRECT,
                                               LPOLEINPLACEFRAMEINFO) override
    {
        if (ppFrame) *ppFrame = nullptr;
        if (ppDoc) *ppDoc = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
    // IOleControlSite
    HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** ppDisp) override
    {
        if (ppDisp) *ppDisp = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }


protected:
    // The site's interface riid among these, not counted; null for others.
    void* SiteInterface(REFIID riid)
    {
        if (riid == IID_IUnknown || riid == IID_IOleClientSite) return static_cast<IOleClientSite*>(this);
        if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) return static_cast<InPlaceSite*>(this);
        if (riid == IID_IOleControlSite) return static_cast<IOleControlSite*>(this);
        return nullptr;
    }
};

// A windowless site: the container draws the control and repaints it after
// InvalidateRect.
class WindowlessSite : public SiteDefaults<IOleInPlaceSiteWindowless> {
public:
    // IOleInPlaceSiteEx
    HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* pfNoRedraw, DWORD) override
    {
        if (pfNoRedraw) *pfNoRedraw = FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestUIActivate() override { return S_OK; }
    // IOleInPlaceSiteWindowless: the container keeps the capture and the
    // focus, and gives out no device context of its own.
    HRESULT STDMETHODCALLTYPE CanWindowlessActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCapture() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetCapture(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFocus() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE SetFocus(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDC(LPCRECT, DWORD, HDC* phDC) override
    {
        if (phDC) *phDC = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InvalidateRect(LPCRECT, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE InvalidateRgn(HRGN, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ScrollRect(INT, INT, LPCRECT, LPCRECT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AdjustRect(LPRECT) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* plResult) override
    {
        if (plResult) *plResult = 0;
        return S_FALSE;
    }

protected:
    void* SiteInterface(REFIID riid)
    {
        if (riid == IID_IOleInPlaceSiteEx || riid == IID_IOleInPlaceSiteWindowless)
            return static_cast<IOleInPlaceSiteWindowless*>(this);
        return SiteDefaults::SiteInterface(riid);
    }
};
