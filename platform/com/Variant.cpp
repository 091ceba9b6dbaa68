#include "platform/com/Variant.h"

#include "platform/com/Unknown.h"

std::string BstrToUtf8(BSTR bstr) { return bstr ? OleToUtf8(bstr, SysStringLen(bstr)) : std::string(); }

BSTR SysAllocStringFromUtf8(std::string_view text)
{
    const OleString wide = Utf8ToOle(text);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

namespace {
VARIANT emptyVariant()
{
    VARIANT v;
    VariantInit(&v);
    return v;
}
} // namespace

VARIANT MakeVariantI2(SHORT value)
{
    VARIANT v = emptyVariant();
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

VARIANT MakeVariantI4(LONG value)
{
    VARIANT v = emptyVariant();
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT MakeVariantR8(double value)
{
    VARIANT v = emptyVariant();
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

VARIANT MakeVariantBool(bool value)
{
    VARIANT v = emptyVariant();
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

VARIANT MakeVariantBstr(std::string_view utf8)
{
    VARIANT v = emptyVariant();
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocStringFromUtf8(utf8);
    return v;
}
