#include "host/win32/container/ParamBag.h"

#include <cwctype>

#include "host/win32/container/Utf.h"

namespace {

bool sameName(const std::wstring& a, const wchar_t* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return i == a.size() && !b[i];
}

} // namespace

ParamBag::ParamBag(const std::vector<std::pair<std::string, std::string>>& params)
{
    for (const auto& [name, value] : params) m_params.emplace_back(Widen(name), Widen(value));
}

HRESULT ParamBag::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPropertyBag)) return E_NOINTERFACE;
    *ppv = static_cast<IPropertyBag*>(this);
    AddRef();
    return S_OK;
}

HRESULT ParamBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*)
{
    if (!name || !value) return E_POINTER;
    // The first PARAM of a name counts, as in a browser.
    for (const auto& [key, text] : m_params) {
        if (!sameName(key, name)) continue;
        VARIANT textValue;
        VariantInit(&textValue);
        textValue.vt = VT_BSTR;
        textValue.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        if (!textValue.bstrVal) return E_OUTOFMEMORY;
        const VARTYPE wanted = value->vt;
        if (wanted == VT_EMPTY || wanted == VT_BSTR) {
            VariantClear(value);
            *value = textValue;
            return S_OK;
        }
        VARIANT converted;
        VariantInit(&converted);
        const HRESULT hr = VariantChangeType(&converted, &textValue, 0, wanted);
        VariantClear(&textValue);
        if (FAILED(hr)) return hr;
        VariantClear(value);
        *value = converted;
        return S_OK;
    }
    return E_INVALIDARG;
}
