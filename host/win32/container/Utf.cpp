#include "host/win32/container/Utf.h"

#include <climits>

std::wstring Widen(const std::string& text)
{
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (wide <= 0) return {};
    std::wstring out(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, out.data(), wide);
    return out;
}

std::string Narrow(const wchar_t* text, std::size_t length)
{
    if (!text || length == 0 || length > INT_MAX) return {};
    const int count = static_cast<int>(length);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, count, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, count, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::string Narrow(const std::wstring& text) { return Narrow(text.data(), text.size()); }

BSTR AllocBstr(const std::string& text)
{
    const std::wstring wide = Widen(text);
    return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}
