#include "platform/framework/linux/TextPropertyBag.h"

#include "platform/framework/PropExchange.h"
#include "platform/com/linux/StandInCom.h"


TextPropertyBag::TextPropertyBag(const std::vector<std::pair<std::string, std::string>>& params)
{
    // The first PARAM of a name counts, as in a browser (and in the
    // Windows viewer's bag); a later one of the same name is ignored.
    for (const auto& [name, value] : params)
        if (!get(name)) m_entries.emplace_back(name, value);
}

void TextPropertyBag::set(const std::string& name, const std::string& value)
{
    for (auto& entry : m_entries) {
        if (EqualsNoCase(entry.first, name)) {
            entry.second = value;
            return;
        }
    }
    m_entries.emplace_back(name, value);
}

std::optional<std::string> TextPropertyBag::get(const std::string& name) const
{
    for (const auto& entry : m_entries)
        if (EqualsNoCase(entry.first, name)) return entry.second;
    return std::nullopt;
}

HRESULT TextPropertyBag::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
        *ppv = static_cast<IPropertyBag*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG TextPropertyBag::AddRef() { return ++m_refs; }
ULONG TextPropertyBag::Release() { return --m_refs; }

HRESULT TextPropertyBag::Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog*)
{
    if (!pszPropName || !pVar) return E_POINTER;
    auto value = get(standin::Utf16ToUtf8(pszPropName));
    if (!value) return E_INVALIDARG;
    VariantClear(pVar);
    *pVar = MakeVariantBstr(*value);
    return pVar->bstrVal ? S_OK : E_OUTOFMEMORY;
}

HRESULT TextPropertyBag::Write(LPCOLESTR pszPropName, VARIANT* pVar)
{
    if (!pszPropName || !pVar) return E_POINTER;
    std::string text;
    switch (pVar->vt) {
    case VT_BSTR:
        text = pVar->bstrVal ? standin::Utf16ToUtf8(std::u16string_view(pVar->bstrVal, SysStringLen(pVar->bstrVal))) : "";
        break;
    case VT_I2:
        text = std::to_string(pVar->iVal);
        break;
    case VT_I4:
        text = std::to_string(pVar->lVal);
        break;
    case VT_BOOL:
        text = pVar->boolVal ? "-1" : "0";
        break;
    default:
        return DISP_E_TYPEMISMATCH;
    }
    set(standin::Utf16ToUtf8(pszPropName), text);
    return S_OK;
}
