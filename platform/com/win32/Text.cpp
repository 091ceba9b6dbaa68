// UTF-8 <-> UTF-16 on Windows: Windows' own conversion, which also turns
// invalid input into U+FFFD.
#include <climits>

#include "platform/com/Variant.h"

OleString Utf8ToOle(std::string_view text)
{
    if (text.empty() || text.size() > INT_MAX) return {};
    const int size = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    if (needed <= 0) return {};
    OleString out(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), needed);
    return out;
}

std::string OleToUtf8(const OLECHAR* text, std::size_t length)
{
    if (!text || length == 0 || length > INT_MAX) return {};
    const int size = static_cast<int>(length);
    const int needed = ::WideCharToMultiByte(CP_UTF8, 0, text, size, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string out(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, size, out.data(), needed, nullptr, nullptr);
    return out;
}
