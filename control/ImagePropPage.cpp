#include "control/ImagePropPage.h"

#include "control/ImageCtrlIds.h"
#include "resources/ImageCtrlResources.h"
#include "resources/ResourceIds.h"

CImagePropPage::CImagePropPage(void (*onDestroy)())
    : COlePropertyPage(IDD_PROPPAGE_IMAGECTRL, IDS_IMAGECTRL_PPG_CAPTION,
                       SIZE{VE_RC_PROPPAGE_WIDTH, VE_RC_PROPPAGE_HEIGHT}),
      m_onDestroy(onDestroy)
{
}

CImagePropPage::~CImagePropPage()
{
    if (m_onDestroy) m_onDestroy();
}

std::string CImagePropPage::GetDocString() const { return kPropPageDialog.text; }
