#include "platform/com/Guid.h"

#include <cstdio>

std::string GuidToString(REFGUID g)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                  g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads exactly `digits` hexadecimal digits at `pos`.
bool readHex(std::string_view text, size_t& pos, int digits, std::uint32_t& out)
{
    if (pos + static_cast<size_t>(digits) > text.size()) return false;
    std::uint32_t value = 0;
    for (int i = 0; i < digits; ++i) {
        int v = hexValue(text[pos++]);
        if (v < 0) return false;
        value = (value << 4) | static_cast<std::uint32_t>(v);
    }
    out = value;
    return true;
}

bool expect(std::string_view text, size_t& pos, char c)
{
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

} // namespace

std::optional<GUID> GuidFromString(std::string_view text)
{
    bool braced = !text.empty() && text.front() == '{';
    if (braced) {
        if (text.size() != 38 || text.back() != '}') return std::nullopt;
        text = text.substr(1, 36);
    }
    if (text.size() != 36) return std::nullopt;
    GUID g{};
    size_t pos = 0;
    std::uint32_t v = 0;
    if (!readHex(text, pos, 8, v)) return std::nullopt;
    g.Data1 = v;
    if (!expect(text, pos, '-') || !readHex(text, pos, 4, v)) return std::nullopt;
    g.Data2 = static_cast<WORD>(v);
    if (!expect(text, pos, '-') || !readHex(text, pos, 4, v)) return std::nullopt;
    g.Data3 = static_cast<WORD>(v);
    if (!expect(text, pos, '-')) return std::nullopt;
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !expect(text, pos, '-')) return std::nullopt;
        if (!readHex(text, pos, 2, v)) return std::nullopt;
        g.Data4[i] = static_cast<BYTE>(v);
    }
    return g;
}
