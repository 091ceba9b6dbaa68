#include "control/ImagePropPage.h"

#include "control/ImageCtrlIds.h"
#include "platform/framework/OleControl.h"
#include "platform/window/StringResources.h"
#include "resources/ImageCtrlResources.h"

CImagePropPage::CImagePropPage(void (*onDestroy)()) : m_onDestroy(onDestroy) {}

CImagePropPage::~CImagePropPage()
{
    for (IUnknown* object : m_objects) object->Release();
    if (m_onDestroy) m_onDestroy();
}

HRESULT CImagePropPage::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPropertyPage) {
        *ppv = static_cast<IPropertyPage*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG CImagePropPage::AddRef() { return ++m_refs; }

ULONG CImagePropPage::Release()
{
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HRESULT CImagePropPage::GetPageInfo(PROPPAGEINFO* info)
{
    if (!info) return E_POINTER;
    char caption[64];
    LoadStringA(AfxGetResourceHandle(), IDS_IMAGECTRL_PPG_CAPTION, caption, sizeof caption);
    info->title = caption;
    info->size = SIZE{250, 62};
    info->staticText = kPropPageDialog.text;
    return S_OK;
}

HRESULT CImagePropPage::SetObjects(ULONG count, IUnknown** objects)
{
    for (IUnknown* object : m_objects) object->Release();
    m_objects.clear();
    for (ULONG i = 0; i < count && objects; ++i) {
        if (!objects[i]) continue;
        objects[i]->AddRef();
        m_objects.push_back(objects[i]);
    }
    return S_OK;
}

// The control dispatches no property: nothing to write back.
HRESULT CImagePropPage::Apply() { return S_OK; }
