// Property exchange: one routine (DoPropExchange) serves loading, saving and
// resetting a control's properties. Each PX_ call names one property, the
// variable it lives in and its default.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/com/OleInterfaces.h"
#include "platform/com/Variant.h"

class CPropExchange {
public:
    virtual ~CPropExchange() = default;
    BOOL IsLoading() const { return m_bLoading; }
    DWORD GetVersion() const { return m_dwVersion; }

    // Exchanges "_Version": a load reads it (default when absent), a save
    // writes dwVersionDefault.
    virtual BOOL ExchangeVersion(DWORD& dwVersionLoaded, DWORD dwVersionDefault, BOOL bConvert);
    // vtProp is VT_I2 (SHORT), VT_I4 (LONG), VT_BOOL (BOOL) or VT_BSTR
    // (std::string). A load assigns the stored value, or the default when the
    // property is absent or its text does not convert.
    virtual BOOL ExchangeProp(LPCSTR pszPropName, VARTYPE vtProp, void* pvProp, const void* pvDefault) = 0;

protected:
    explicit CPropExchange(BOOL loading) : m_bLoading(loading) {}
    BOOL m_bLoading;
    DWORD m_dwVersion = 0;
};

BOOL PX_Short(CPropExchange* pPX, LPCSTR pszPropName, SHORT& sValue, SHORT sDefault);
BOOL PX_Long(CPropExchange* pPX, LPCSTR pszPropName, LONG& lValue, LONG lDefault);
BOOL PX_Bool(CPropExchange* pPX, LPCSTR pszPropName, BOOL& bValue, BOOL bDefault);
BOOL PX_String(CPropExchange* pPX, LPCSTR pszPropName, std::string& strValue, const std::string& strDefault);

// Loads from a property bag (the PARAM elements of a page, for instance).
class CPropbagLoadExchange final : public CPropExchange {
public:
    explicit CPropbagLoadExchange(IPropertyBag* bag) : CPropExchange(TRUE), m_pBag(bag) {}
    BOOL ExchangeProp(LPCSTR pszPropName, VARTYPE vtProp, void* pvProp, const void* pvDefault) override;

private:
    IPropertyBag* m_pBag;
};

// Saves into a property bag.
class CPropbagSaveExchange final : public CPropExchange {
public:
    explicit CPropbagSaveExchange(IPropertyBag* bag) : CPropExchange(FALSE), m_pBag(bag) {}
    BOOL ExchangeProp(LPCSTR pszPropName, VARTYPE vtProp, void* pvProp, const void* pvDefault) override;

private:
    IPropertyBag* m_pBag;
};

// Assigns every default; counts as loading, as a new control's reset does.
class CResetPropExchange final : public CPropExchange {
public:
    CResetPropExchange() : CPropExchange(TRUE) {}
    BOOL ExchangeVersion(DWORD& dwVersionLoaded, DWORD dwVersionDefault, BOOL bConvert) override;
    BOOL ExchangeProp(LPCSTR pszPropName, VARTYPE vtProp, void* pvProp, const void* pvDefault) override;
};

// ASCII comparison without regard to letter case, as property names and
// keywords are compared.
bool EqualsNoCase(std::string_view a, std::string_view b);

// Text conversion as an automation framework does it for property text.
// 16 and 32 bits: blanks, an optional sign, decimal digits, blanks; in range.
std::optional<SHORT> ParseShortProperty(std::string_view text);
std::optional<LONG> ParseLongProperty(std::string_view text);
// "true"/"false" in any letter case, or a number (non-zero is true).
std::optional<bool> ParseBoolProperty(std::string_view text);
