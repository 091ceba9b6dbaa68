// The property page's COM side, the same on both platforms; the dialog
// itself is in PropertyPageDialog.cpp of each platform.
#include "platform/framework/OlePropertyPage.h"

#include <cstring>

#include "platform/com/ComCreation.h"
#include "platform/com/Variant.h"
#include "platform/framework/OleControlShared.h"
#include "platform/window/StringResources.h"

namespace {

// A copy of UTF-8 text in task memory, as PROPPAGEINFO hands its strings over.
LPOLESTR taskString(const std::string& utf8)
{
    const OleString text = Utf8ToOle(utf8);
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
    if (!copy) return nullptr;
    std::memcpy(copy, text.data(), text.size() * sizeof(OLECHAR));
    copy[text.size()] = 0;
    return copy;
}

} // namespace

COlePropertyPage::COlePropertyPage(UINT idTemplate, UINT idCaption, SIZE templateSize)
    : m_idTemplate(idTemplate), m_idCaption(idCaption), m_templateSize(templateSize)
{
}

COlePropertyPage::~COlePropertyPage()
{
    if (IsActive()) Deactivate();
    for (IUnknown* object : m_objects) object->Release();
    if (m_pPageSite) m_pPageSite->Release();
}

HRESULT COlePropertyPage::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyPage)) {
        *ppv = static_cast<IPropertyPage*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG COlePropertyPage::AddRef() { return ++m_refs; }

ULONG COlePropertyPage::Release()
{
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HRESULT COlePropertyPage::SetPageSite(IPropertyPageSite* pPageSite)
{
    if (pPageSite) pPageSite->AddRef();
    if (m_pPageSite) m_pPageSite->Release();
    m_pPageSite = pPageSite;
    return S_OK;
}

// The caption from the string table, the dialog's size, and the
// description.
HRESULT COlePropertyPage::GetPageInfo(PROPPAGEINFO* pPageInfo)
{
    if (!pPageInfo) return E_POINTER;
    char caption[256] = "";
    LoadStringA(AfxGetResourceHandle(), m_idCaption, caption, sizeof caption);
    pPageInfo->cb = sizeof(PROPPAGEINFO);
    pPageInfo->pszTitle = taskString(caption);
    pPageInfo->size = MeasurePageDialog();
    pPageInfo->pszDocString = taskString(GetDocString());
    pPageInfo->pszHelpFile = nullptr;
    pPageInfo->dwHelpContext = 0;
    if (!pPageInfo->pszTitle || !pPageInfo->pszDocString) {
        CoTaskMemFree(pPageInfo->pszTitle);
        CoTaskMemFree(pPageInfo->pszDocString);
        pPageInfo->pszTitle = pPageInfo->pszDocString = nullptr;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT COlePropertyPage::SetObjects(ULONG cObjects, IUnknown** ppUnk)
{
    if (cObjects > 0 && !ppUnk) return E_POINTER;
    for (IUnknown* object : m_objects) object->Release();
    m_objects.clear();
    for (ULONG i = 0; i < cObjects; ++i) {
        if (!ppUnk[i]) continue;
        ppUnk[i]->AddRef();
        m_objects.push_back(ppUnk[i]);
    }
    return S_OK;
}

HRESULT COlePropertyPage::IsPageDirty() { return IsModified() ? S_OK : S_FALSE; }
HRESULT COlePropertyPage::Apply() { return OnApply(); }
// No help file.
HRESULT COlePropertyPage::Help(LPCOLESTR) { return E_NOTIMPL; }

// The dialog, a child of the frame's window at the given place, hidden until
// Show.
HRESULT COlePropertyPage::Activate(HWND hWndParent, LPCRECT pRect, BOOL)
{
    if (!pRect) return E_POINTER;
    if (IsActive()) return E_UNEXPECTED;
    m_hDlg = CreatePageDialog(hWndParent);
    m_bActive = m_hDlg != nullptr;
    return m_bActive ? Move(pRect) : E_FAIL;
}

HRESULT COlePropertyPage::Deactivate()
{
    if (!IsActive()) return E_UNEXPECTED;
    DestroyPageDialog();
    m_hDlg = nullptr;
    m_bActive = false;
    return S_OK;
}
