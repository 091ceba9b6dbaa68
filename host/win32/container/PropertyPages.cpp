#include "host/win32/container/PropertyPages.h"

#include "host/core/PropertyPages.h"

HRESULT ShowPropertyPages(IUnknown* control, HWND owner, bool show,
                          const std::function<void(const std::string&, const std::string&)>& onPage)
{
    ULONG found = 0;
    CAUUID pages{};
    const HRESULT hr = VisitPropertyPages(
        control,
        [&](IPropertyPage*, const PageDescription& page) {
            if (onPage) onPage(page.title, page.text);
            return true;
        },
        &found, &pages);
    if (FAILED(hr)) return hr;
    if (found && show) {
        IUnknown* objects[] = {control};
        OleCreatePropertyFrame(owner, 20, 20, L"camview", 1, objects, pages.cElems, pages.pElems, GetUserDefaultLCID(), 0,
                               nullptr);
    }
    CoTaskMemFree(pages.pElems);
    return found ? S_OK : E_FAIL;
}
