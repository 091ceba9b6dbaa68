#include "host/win32/PropertyPages.h"

#include <ocidl.h>
#include <olectl.h>

#include <cwchar>

#include "host/win32/Utf.h"

namespace {

std::string text(LPCOLESTR s) { return s ? Narrow(s, std::wcslen(s)) : std::string(); }

} // namespace

HRESULT ShowPropertyPages(IUnknown* control, HWND owner, bool show,
                          const std::function<void(const std::string&, const std::string&)>& onPage)
{
    if (!control) return E_POINTER;
    ISpecifyPropertyPages* specify = nullptr;
    if (FAILED(control->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&specify))) || !specify)
        return E_NOINTERFACE;
    CAUUID pages{};
    const HRESULT hr = specify->GetPages(&pages);
    specify->Release();
    if (FAILED(hr)) return hr;
    ULONG found = 0;
    for (ULONG i = 0; i < pages.cElems; ++i) {
        IPropertyPage* page = nullptr;
        if (FAILED(CoCreateInstance(pages.pElems[i], nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                                    reinterpret_cast<void**>(&page))) ||
            !page)
            continue;
        IUnknown* objects[] = {control};
        page->SetObjects(1, objects);
        PROPPAGEINFO info{};
        info.cb = sizeof info;
        if (SUCCEEDED(page->GetPageInfo(&info))) {
            ++found;
            if (onPage) onPage(text(info.pszTitle), text(info.pszDocString));
            CoTaskMemFree(info.pszTitle);
            CoTaskMemFree(info.pszDocString);
            CoTaskMemFree(info.pszHelpFile);
        }
        page->SetObjects(0, nullptr);
        page->Release();
    }
    if (found && show) {
        IUnknown* objects[] = {control};
        OleCreatePropertyFrame(owner, 20, 20, L"camview", 1, objects, pages.cElems, pages.pElems, GetUserDefaultLCID(), 0,
                               nullptr);
    }
    CoTaskMemFree(pages.pElems);
    return found ? S_OK : E_FAIL;
}
