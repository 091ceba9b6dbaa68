#include "control/ImagePropPage.h"

#include <cstring>

#include "control/ImageCtrlIds.h"
#include "platform/com/ComCreation.h"
#include "platform/framework/OleControl.h"
#include "platform/window/StringResources.h"
#include "resources/ImageCtrlResources.h"
#include "resources/ResourceIds.h"

namespace {

// A copy of text in task memory, as PROPPAGEINFO hands its strings over.
LPOLESTR taskString(const OLECHAR* text, std::size_t length)
{
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((length + 1) * sizeof(OLECHAR)));
    if (!copy) return nullptr;
    std::memcpy(copy, text, length * sizeof(OLECHAR));
    copy[length] = 0;
    return copy;
}

#ifdef _WIN32

LPOLESTR taskStringOfResource(UINT id)
{
    WCHAR text[128];
    const int length = LoadStringW(AfxGetResourceHandle(), id, text, 128);
    return taskString(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

LPOLESTR taskStringOf(const char* utf8)
{
    WCHAR text[256];
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text, 256); // counts the terminator
    return taskString(text, static_cast<std::size_t>(length > 0 ? length - 1 : 0));
}

INT_PTR CALLBACK pageDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    // The dialog holds only its text: nothing to handle, and the focus stays
    // with the frame.
    return FALSE;
}

HWND createPageDialog(HWND parent)
{
    return CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDD_PROPPAGE_IMAGECTRL), parent, pageDialogProc, 0);
}

// The dialog's size in pixels, as its template and font make it: measured on
// a dialog made for the purpose under a hidden window that is never shown.
SIZE pageDialogSize()
{
    SIZE size{0, 0};
    HWND scratch = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!scratch) return size;
    if (HWND dialog = createPageDialog(scratch)) {
        RECT rect;
        if (GetWindowRect(dialog, &rect)) size = SIZE{rect.right - rect.left, rect.bottom - rect.top};
        DestroyWindow(dialog);
    }
    DestroyWindow(scratch);
    return size;
}

#else

LPOLESTR taskStringOf(const char* utf8)
{
    const std::u16string text = Utf8ToUtf16(utf8);
    return taskString(text.data(), text.size());
}

LPOLESTR taskStringOfResource(UINT id)
{
    char text[128] = "";
    LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
    return taskStringOf(text);
}

// No dialogs here to measure: the template's dialog units count as pixels
// (the base units of a 4 x 8 font).
SIZE pageDialogSize() { return SIZE{VE_RC_PROPPAGE_WIDTH, VE_RC_PROPPAGE_HEIGHT}; }

#endif

} // namespace

CImagePropPage::CImagePropPage(void (*onDestroy)()) : m_onDestroy(onDestroy) {}

CImagePropPage::~CImagePropPage()
{
    Deactivate();
    for (IUnknown* object : m_objects) object->Release();
    if (m_pPageSite) m_pPageSite->Release();
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

HRESULT CImagePropPage::SetPageSite(IPropertyPageSite* pPageSite)
{
    if (pPageSite) pPageSite->AddRef();
    if (m_pPageSite) m_pPageSite->Release();
    m_pPageSite = pPageSite;
    return S_OK;
}

// The caption (string 100), the dialog's size, and its text as the page's
// description.
HRESULT CImagePropPage::GetPageInfo(PROPPAGEINFO* pPageInfo)
{
    if (!pPageInfo) return E_POINTER;
    pPageInfo->cb = sizeof(PROPPAGEINFO);
    pPageInfo->pszTitle = taskStringOfResource(IDS_IMAGECTRL_PPG_CAPTION);
    pPageInfo->size = pageDialogSize();
    pPageInfo->pszDocString = taskStringOf(kPropPageDialog.text);
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

HRESULT CImagePropPage::SetObjects(ULONG cObjects, IUnknown** ppUnk)
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

// The control dispatches no property: nothing is ever changed, nothing to
// write back.
HRESULT CImagePropPage::IsPageDirty() { return S_FALSE; }
HRESULT CImagePropPage::Apply() { return S_OK; }
// The module carries no help file.
HRESULT CImagePropPage::Help(LPCOLESTR) { return E_NOTIMPL; }

#ifdef _WIN32

bool CImagePropPage::IsActive() const { return m_hDlg != nullptr; }

// The dialog from the module's resources, a child of the frame's window at
// the given place, hidden until Show.
HRESULT CImagePropPage::Activate(HWND hWndParent, LPCRECT pRect, BOOL)
{
    if (!pRect) return E_POINTER;
    if (IsActive()) return E_UNEXPECTED;
    m_hDlg = createPageDialog(hWndParent);
    if (!m_hDlg) return E_FAIL;
    return Move(pRect);
}

HRESULT CImagePropPage::Deactivate()
{
    if (!IsActive()) return E_UNEXPECTED;
    DestroyWindow(m_hDlg);
    m_hDlg = nullptr;
    return S_OK;
}

HRESULT CImagePropPage::Show(UINT nCmdShow)
{
    if (!IsActive()) return E_UNEXPECTED;
    ShowWindow(m_hDlg, static_cast<int>(nCmdShow));
    return S_OK;
}

HRESULT CImagePropPage::Move(LPCRECT pRect)
{
    if (!pRect) return E_POINTER;
    if (!IsActive()) return E_UNEXPECTED;
    MoveWindow(m_hDlg, pRect->left, pRect->top, pRect->right - pRect->left, pRect->bottom - pRect->top, TRUE);
    return S_OK;
}

// Keyboard navigation inside the dialog.
HRESULT CImagePropPage::TranslateAccelerator(MSG* pMsg)
{
    if (!pMsg) return E_POINTER;
    if (!IsActive()) return E_UNEXPECTED;
    return IsDialogMessageW(m_hDlg, pMsg) ? S_OK : S_FALSE;
}

#else

bool CImagePropPage::IsActive() const { return m_bActive; }

HRESULT CImagePropPage::Activate(HWND, LPCRECT pRect, BOOL)
{
    if (!pRect) return E_POINTER;
    if (IsActive()) return E_UNEXPECTED;
    m_bActive = true;
    return S_OK;
}

HRESULT CImagePropPage::Deactivate()
{
    if (!IsActive()) return E_UNEXPECTED;
    m_bActive = false;
    return S_OK;
}

HRESULT CImagePropPage::Show(UINT)
{
    return IsActive() ? S_OK : E_UNEXPECTED;
}

HRESULT CImagePropPage::Move(LPCRECT pRect)
{
    if (!pRect) return E_POINTER;
    return IsActive() ? S_OK : E_UNEXPECTED;
}

// No dialog, so no keyboard navigation of its own.
HRESULT CImagePropPage::TranslateAccelerator(MSG* pMsg)
{
    if (!pMsg) return E_POINTER;
    if (!IsActive()) return E_UNEXPECTED;
    return S_FALSE;
}

#endif
