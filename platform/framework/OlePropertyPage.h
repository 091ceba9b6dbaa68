// COlePropertyPage: the base of a control's property page. It is the page's
// IPropertyPage: the objects it edits, the frame's site, the caption from
// the string table, and the dialog from the module's resources shown inside
// the frame's window (on Windows; the stand-in has no dialogs, so there the
// page keeps only whether the frame activated it, and its calls answer in
// the same order).
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "platform/com/PropertyPage.h"

class COlePropertyPage : public IPropertyPage {
public:
    // idTemplate: the dialog; idCaption: the caption's string; templateSize:
    // the dialog's size in dialog units, which the page reports as pixels
    // where no dialog can be made to measure.
    COlePropertyPage(UINT idTemplate, UINT idCaption, SIZE templateSize);
    COlePropertyPage(const COlePropertyPage&) = delete;
    COlePropertyPage& operator=(const COlePropertyPage&) = delete;

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

protected:
    // The last reference deletes the page.
    virtual ~COlePropertyPage();
    // The page's description (PROPPAGEINFO's doc string), in UTF-8.
    virtual std::string GetDocString() const { return std::string(); }
    // Whether the page holds changes Apply would write; none by default.
    virtual BOOL IsModified() const { return FALSE; }
    // Writes the page's fields to its objects; nothing by default.
    virtual HRESULT OnApply() { return S_OK; }
    const std::vector<IUnknown*>& GetObjects() const { return m_objects; }
    HWND GetSafeHwnd() const { return m_hDlg; }

private:
    // platform/framework[/win32]/PropertyPageDialog.cpp: the dialog itself.
    HWND CreatePageDialog(HWND parent);
    void DestroyPageDialog();
    SIZE MeasurePageDialog() const;
    bool IsActive() const { return m_bActive; }

    UINT m_idTemplate;
    UINT m_idCaption;
    SIZE m_templateSize;
    std::atomic<ULONG> m_refs{1};
    std::vector<IUnknown*> m_objects;
    IPropertyPageSite* m_pPageSite = nullptr;
    bool m_bActive = false;
    HWND m_hDlg = nullptr; // the dialog while active, where there is one
};
