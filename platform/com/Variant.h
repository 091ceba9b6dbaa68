// BSTR and VARIANT: the minimum the control's interfaces pass, and the
// portable helpers over them (UTF-8 text to and from COM's wide strings,
// VARIANT makers).
//
// OLECHAR is UTF-16 as on Windows. A BSTR points at its characters; its
// length in bytes is stored in the four bytes before them, and it is always
// terminated, so that it can also be read as a plain string.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#ifdef _WIN32

// On Windows BSTR, VARIANT and their functions are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/win/WinError.h"

using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;
// A wide string literal of OLECHARs.
#define OLESTR(str) u##str

BSTR SysAllocString(LPCOLESTR text);
BSTR SysAllocStringLen(LPCOLESTR text, UINT length);
void SysFreeString(BSTR bstr);
UINT SysStringLen(BSTR bstr);

using VARTYPE = USHORT;
enum : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R8 = 5,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_BOOL = 11,
    VT_UNKNOWN = 13,
    VT_UI1 = 17,
};

using VARIANT_BOOL = SHORT;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;

struct IUnknown;

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        SHORT iVal;
        LONG lVal;
        BYTE bVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        BSTR bstrVal;
        IUnknown* punkVal;
    };
};
using VARIANTARG = VARIANT;

void VariantInit(VARIANT* v);
// Frees what the variant owns (a BSTR, an interface reference) and empties it.
HRESULT VariantClear(VARIANT* v);
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);

// Arguments of a dispatch call, in reverse order as COM passes them.
struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

#endif

// The system's UTF-8 text and COM's wide strings. Invalid input becomes
// U+FFFD on both platforms.
using OleString = std::basic_string<OLECHAR>;
OleString Utf8ToOle(std::string_view text);
std::string OleToUtf8(const OLECHAR* text, std::size_t length);
// The whole of a BSTR (embedded nulls included); "" for a null BSTR.
std::string BstrToUtf8(BSTR bstr);
BSTR SysAllocStringFromUtf8(std::string_view text);

VARIANT MakeVariantI2(SHORT v);
VARIANT MakeVariantI4(LONG v);
VARIANT MakeVariantR8(double v);
VARIANT MakeVariantBool(bool v);
// The variant owns a new BSTR: VariantClear frees it.
VARIANT MakeVariantBstr(std::string_view utf8);
