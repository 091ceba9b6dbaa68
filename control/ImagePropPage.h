// CImagePropPage: the control's property page. The control has no property
// a script or page could change at run time (its settings come from the
// page's PARAM elements), so the page says so in its one static text; it
// exchanges "ImagePath" (field 201) and "AutoSize" (check box 202), which
// the control does not dispatch, so Apply changes nothing.
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
    HRESULT QueryInterface(REFIID riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetPageInfo(PROPPAGEINFO* info) override;
    HRESULT SetObjects(ULONG count, IUnknown** objects) override;
    HRESULT Apply() override;

    // The dialog's two exchanged fields.
    std::string m_strImagePath;
    BOOL m_bAutoSize = TRUE;

private:
    ~CImagePropPage();
    std::atomic<ULONG> m_refs{1};
    std::vector<IUnknown*> m_objects;
    void (*m_onDestroy)();
};
