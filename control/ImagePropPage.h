// CImagePropPage: the control's property page. The control has no property
// a script or page could change at run time (its settings come from the
// page's PARAM elements), so the page's dialog says so in its one static
// text; the page keeps "ImagePath" (field 201) and "AutoSize" (check box
// 202), which the control does not dispatch and the dialog does not show,
// so Apply changes nothing and the page is never dirty.
#pragma once

#include <string>

#include "platform/framework/OlePropertyPage.h"

class CImagePropPage final : public COlePropertyPage {
public:
    // onDestroy runs when the last reference goes (the module counts objects).
    explicit CImagePropPage(void (*onDestroy)() = nullptr);

    // The dialog's two exchanged fields.
    std::string m_strImagePath;
    BOOL m_bAutoSize = TRUE;

protected:
    ~CImagePropPage() override;
    // The dialog's text, as the page's description.
    std::string GetDocString() const override;

private:
    void (*m_onDestroy)();
};
