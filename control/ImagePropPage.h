// CImagePropPage: the control's property page. The control has no property
// a script or page could change at run time (its settings come from the
// page's PARAM elements), so the page's dialog says so in its one static
// text; the page keeps "ImagePath" (field 201) and "AutoSize" (check box
// 202), which the control does not dispatch and the dialog does not show,
// so Apply changes nothing and the page is never dirty.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/com/OleControl.h"
#include "platform/com/PropertyPage.h"

class CImagePropPage final : public IPropertyPage {
public:
    // onDestroy runs when the last reference goes (the module counts objects).
    explicit CImagePropPage(void (*onDestroy)() = nullptr);
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* pPageSite) override;
    HRESULT STDMETHODCALLTYPE Activate(HWND hWndParent, LPCRECT pRect, BOOL bModal) override;
    HRESULT STDMETHODCALLTYPE Deactivate() override;
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* pPageInfo) override;
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG cObjects, IUnknown** ppUnk) override;
    HRESULT STDMETHODCALLTYPE Show(UINT nCmdShow) override;
    HRESULT STDMETHODCALLTYPE Move(LPCRECT pRect) override;
    HRESULT STDMETHODCALLTYPE IsPageDirty() override;
    HRESULT STDMETHODCALLTYPE Apply() override;
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR pszHelpDir) override;
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* pMsg) override;

    // The dialog's two exchanged fields.
    std::string m_strImagePath;
    BOOL m_bAutoSize = TRUE;

private:
    ~CImagePropPage();
    bool IsActive() const;

    std::atomic<ULONG> m_refs{1};
    std::vector<IUnknown*> m_objects;
    IPropertyPageSite* m_pPageSite = nullptr;
#ifdef _WIN32
    // The page's dialog, a child of the frame's window, while active.
    HWND m_hDlg = nullptr;
#else
    // The stand-in's windows are message targets without parent, place or
    // visibility, and it has no dialogs: the page has nothing to create,
    // show or move, and keeps only whether the frame activated it, so that
    // its calls answer in the same order as on Windows.
    bool m_bActive = false;
#endif
    void (*m_onDestroy)();
};
