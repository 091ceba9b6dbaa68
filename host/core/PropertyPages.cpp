#include "host/core/PropertyPages.h"

#include <string_view>

#include "platform/com/ComCreation.h"
#include "platform/com/Variant.h"

namespace {

std::string text(LPCOLESTR s) { return s ? OleToUtf8(s, std::char_traits<OLECHAR>::length(s)) : std::string(); }

} // namespace

HRESULT VisitPropertyPages(IUnknown* control, const std::function<bool(IPropertyPage*, const PageDescription&)>& visit,
                           ULONG* counted, CAUUID* classes)
{
    if (!control || !counted) return E_POINTER;
    *counted = 0;
    ISpecifyPropertyPages* specify = nullptr;
    if (FAILED(control->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&specify))) || !specify)
        return E_NOINTERFACE;
    CAUUID pages{};
    const HRESULT hr = specify->GetPages(&pages);
    specify->Release();
    if (FAILED(hr)) return hr;
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
            if (visit(page, PageDescription{text(info.pszTitle), text(info.pszDocString), info.size})) ++*counted;
            CoTaskMemFree(info.pszTitle);
            CoTaskMemFree(info.pszDocString);
            CoTaskMemFree(info.pszHelpFile);
        }
        page->SetObjects(0, nullptr);
        page->Release();
    }
    if (classes)
        *classes = pages;
    else
        CoTaskMemFree(pages.pElems);
    return S_OK;
}
