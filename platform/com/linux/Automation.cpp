// The Linux stand-in's OLE Automation calls: BSTR and VARIANT, and the UTF-8
// and UTF-16 conversions behind COM's wide strings (Windows' own are in
// com/win32/Text.cpp and the system's DLLs).
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/com/linux/StandInCom.h"
#include "platform/trace/Trace.h"

BSTR SysAllocStringLen(LPCOLESTR text, UINT length)
{
    VE_TRACE(com, "(%p, 0x%lx)", traceHandle(text), static_cast<unsigned long>(length));
    if (length > (std::numeric_limits<UINT>::max() - 8) / sizeof(OLECHAR)) return nullptr;
    const size_t bytes = static_cast<size_t>(length) * sizeof(OLECHAR);
    auto* block = static_cast<unsigned char*>(std::malloc(sizeof(std::uint32_t) + bytes + sizeof(OLECHAR)));
    if (!block) return nullptr;
    const std::uint32_t prefix = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &prefix, sizeof prefix);
    auto* chars = reinterpret_cast<OLECHAR*>(block + sizeof prefix);
    if (text)
        std::memcpy(chars, text, bytes);
    else
        std::memset(chars, 0, bytes);
    chars[length] = 0;
    return chars;
}

BSTR SysAllocString(LPCOLESTR text)
{
    VE_TRACE(com, "(%p)", traceHandle(text));
    if (!text) return nullptr;
    UINT n = 0;
    while (text[n]) ++n;
    return SysAllocStringLen(text, n);
}

void SysFreeString(BSTR bstr)
{
    VE_TRACE(com, "(%p)", traceHandle(bstr));
    if (bstr) std::free(reinterpret_cast<unsigned char*>(bstr) - sizeof(std::uint32_t));
}

UINT SysStringLen(BSTR bstr)
{
    if (!bstr) return 0;
    std::uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<unsigned char*>(bstr) - sizeof bytes, sizeof bytes);
    return bytes / sizeof(OLECHAR);
}

std::u16string standin::Utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c >> 5) == 0x6 || (c >> 4) == 0xE || (c >> 3) == 0x1E) {
            len = (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : 4;
            char32_t v = c & (0x3F >> (len - 1));
            bool ok = i + len <= s.size();
            for (size_t k = 1; ok && k < len; ++k) {
                const auto cc = static_cast<unsigned char>(s[i + k]);
                if ((cc >> 6) != 0x2)
                    ok = false;
                else
                    v = (v << 6) | (cc & 0x3F);
            }
            static const char32_t minimum[5] = {0, 0, 0x80, 0x800, 0x10000};
            if (ok && v >= minimum[len] && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF))
                cp = v;
            else
                len = 1;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string standin::Utf16ToUtf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

void VariantInit(VARIANT* v)
{
    VE_TRACE(com, "(%p)", traceHandle(v));
    std::memset(v, 0, sizeof *v);
    v->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* v)
{
    VE_TRACE(com, "(%p)", traceHandle(v));
    if (!v) return E_INVALIDARG;
    if (v->vt == VT_BSTR)
        SysFreeString(v->bstrVal);
    else if ((v->vt == VT_UNKNOWN || v->vt == VT_DISPATCH) && v->punkVal)
        v->punkVal->Release();
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src)
{
    VE_TRACE(com, "(%p, %p)", traceHandle(dest), traceHandle(src));
    if (!dest || !src) return E_INVALIDARG;
    if (dest == src) return S_OK;
    VariantClear(dest);
    *dest = *src;
    if (src->vt == VT_BSTR && src->bstrVal) {
        dest->bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
        if (!dest->bstrVal) {
            VariantInit(dest);
            return E_OUTOFMEMORY;
        }
    } else if ((src->vt == VT_UNKNOWN || src->vt == VT_DISPATCH) && src->punkVal) {
        src->punkVal->AddRef();
    }
    return S_OK;
}

OleString Utf8ToOle(std::string_view text) { return standin::Utf8ToUtf16(text); }

std::string OleToUtf8(const OLECHAR* text, std::size_t length)
{
    return text ? standin::Utf16ToUtf8(std::u16string_view(text, length)) : std::string();
}
