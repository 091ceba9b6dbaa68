#include "platform/framework/PropExchange.h"

#include <cctype>
#include <cstdint>
#include <string>

namespace {

std::string_view trimBlanks(std::string_view text)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<std::int64_t> parseInteger(std::string_view text, std::int64_t lo, std::int64_t hi)
{
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > hi + 1) return std::nullopt; // keeps the sum bounded
    }
    if (negative) value = -value;
    if (value < lo || value > hi) return std::nullopt;
    return value;
}

} // namespace

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::optional<SHORT> ParseShortProperty(std::string_view text)
{
    auto v = parseInteger(text, -32768, 32767);
    if (!v) return std::nullopt;
    return static_cast<SHORT>(*v);
}

std::optional<LONG> ParseLongProperty(std::string_view text)
{
    auto v = parseInteger(text, INT32_MIN, INT32_MAX);
    if (!v) return std::nullopt;
    return static_cast<LONG>(*v);
}

std::optional<bool> ParseBoolProperty(std::string_view text)
{
    const std::string_view t = trimBlanks(text);
    if (EqualsNoCase(t, "true")) return true;
    if (EqualsNoCase(t, "false")) return false;
    if (auto v = ParseLongProperty(t)) return *v != 0;
    return std::nullopt;
}

BOOL CPropExchange::ExchangeVersion(DWORD& dwVersionLoaded, DWORD dwVersionDefault, BOOL)
{
    LONG version = static_cast<LONG>(dwVersionDefault);
    if (m_bLoading) {
        const LONG def = static_cast<LONG>(dwVersionDefault);
        if (!ExchangeProp("_Version", VT_I4, &version, &def)) return FALSE;
        dwVersionLoaded = static_cast<DWORD>(version);
    } else {
        if (!ExchangeProp("_Version", VT_I4, &version, nullptr)) return FALSE;
        dwVersionLoaded = dwVersionDefault;
    }
    m_dwVersion = dwVersionLoaded;
    return TRUE;
}

BOOL PX_Short(CPropExchange* pPX, LPCSTR name, SHORT& value, SHORT def)
{
    return pPX->ExchangeProp(name, VT_I2, &value, &def);
}

BOOL PX_Long(CPropExchange* pPX, LPCSTR name, LONG& value, LONG def)
{
    return pPX->ExchangeProp(name, VT_I4, &value, &def);
}

BOOL PX_Bool(CPropExchange* pPX, LPCSTR name, BOOL& value, BOOL def)
{
    return pPX->ExchangeProp(name, VT_BOOL, &value, &def);
}

BOOL PX_String(CPropExchange* pPX, LPCSTR name, std::string& value, const std::string& def)
{
    return pPX->ExchangeProp(name, VT_BSTR, &value, &def);
}

namespace {

void assignDefault(VARTYPE vt, void* pv, const void* def)
{
    if (!def) return;
    switch (vt) {
    case VT_I2:
        *static_cast<SHORT*>(pv) = *static_cast<const SHORT*>(def);
        break;
    case VT_I4:
        *static_cast<LONG*>(pv) = *static_cast<const LONG*>(def);
        break;
    case VT_BOOL:
        *static_cast<BOOL*>(pv) = *static_cast<const BOOL*>(def);
        break;
    case VT_BSTR:
        *static_cast<std::string*>(pv) = *static_cast<const std::string*>(def);
        break;
    default:
        break;
    }
}

// Converts a stored text into the variable; false when it does not convert.
bool assignFromText(VARTYPE vt, void* pv, const std::string& text)
{
    switch (vt) {
    case VT_I2:
        if (auto v = ParseShortProperty(text)) {
            *static_cast<SHORT*>(pv) = *v;
            return true;
        }
        return false;
    case VT_I4:
        if (auto v = ParseLongProperty(text)) {
            *static_cast<LONG*>(pv) = *v;
            return true;
        }
        return false;
    case VT_BOOL:
        if (auto v = ParseBoolProperty(text)) {
            *static_cast<BOOL*>(pv) = *v ? TRUE : FALSE;
            return true;
        }
        return false;
    case VT_BSTR:
        *static_cast<std::string*>(pv) = text;
        return true;
    default:
        return false;
    }
}

// The stored text of a variant as a bag hands it back (text, or a number).
std::optional<std::string> variantText(const VARIANT& v)
{
    switch (v.vt) {
    case VT_BSTR:
        return BstrToUtf8(v.bstrVal);
    case VT_I2:
        return std::to_string(v.iVal);
    case VT_I4:
        return std::to_string(v.lVal);
    case VT_BOOL:
        return std::string(v.boolVal ? "-1" : "0");
    default:
        return std::nullopt;
    }
}

} // namespace

BOOL CPropbagLoadExchange::ExchangeProp(LPCSTR name, VARTYPE vt, void* pv, const void* def)
{
    if (!m_pBag || !name || !pv) return FALSE;
    const OleString wide = Utf8ToOle(name);
    VARIANT value;
    VariantInit(&value);
    std::optional<std::string> text;
    if (SUCCEEDED(m_pBag->Read(wide.c_str(), &value, nullptr))) text = variantText(value);
    VariantClear(&value);
    if (!text || !assignFromText(vt, pv, *text)) assignDefault(vt, pv, def);
    return TRUE;
}

BOOL CPropbagSaveExchange::ExchangeProp(LPCSTR name, VARTYPE vt, void* pv, const void*)
{
    if (!m_pBag || !name || !pv) return FALSE;
    VARIANT value;
    switch (vt) {
    case VT_I2:
        value = MakeVariantI2(*static_cast<SHORT*>(pv));
        break;
    case VT_I4:
        value = MakeVariantI4(*static_cast<LONG*>(pv));
        break;
    case VT_BOOL:
        value = MakeVariantBool(*static_cast<BOOL*>(pv) != FALSE);
        break;
    case VT_BSTR:
        value = MakeVariantBstr(*static_cast<std::string*>(pv));
        break;
    default:
        return FALSE;
    }
    const OleString wide = Utf8ToOle(name);
    const HRESULT hr = m_pBag->Write(wide.c_str(), &value);
    VariantClear(&value);
    return SUCCEEDED(hr) ? TRUE : FALSE;
}

BOOL CResetPropExchange::ExchangeVersion(DWORD& dwVersionLoaded, DWORD dwVersionDefault, BOOL)
{
    dwVersionLoaded = dwVersionDefault;
    m_dwVersion = dwVersionDefault;
    return TRUE;
}

BOOL CResetPropExchange::ExchangeProp(LPCSTR, VARTYPE vt, void* pv, const void* def)
{
    if (!pv) return FALSE;
    assignDefault(vt, pv, def);
    return TRUE;
}
