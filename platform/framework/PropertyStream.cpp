#include "platform/framework/PropertyStream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char kMagic[4] = {'V', 'E', 'P', 'X'};
constexpr std::uint32_t kFormatVersion = 1;
// The fewest bytes one property takes: a name length, a type and a 16-bit
// value.
constexpr std::uint64_t kMinPropertyBytes = 4 + 2 + 2;
// Text is read in pieces of at most this size when the source does not know
// its length, so that what is held grows with the bytes that came, not with
// what a length claimed.
constexpr std::size_t kTextPiece = 4096;

void putU32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void putU16(std::string& out, std::uint16_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}

bool readU32(PropertyStreamSource& in, std::uint32_t& v)
{
    unsigned char b[4];
    if (!in.Read(b, sizeof b)) return false;
    v = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
        static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    return true;
}
bool readU16(PropertyStreamSource& in, std::uint16_t& v)
{
    unsigned char b[2];
    if (!in.Read(b, sizeof b)) return false;
    v = static_cast<std::uint16_t>(b[0] | b[1] << 8);
    return true;
}

// A 32-bit length, at most limit and at most the bytes left, then that many
// bytes.
bool readText(PropertyStreamSource& in, std::uint32_t limit, std::string& text)
{
    std::uint32_t size = 0;
    if (!readU32(in, size) || size > limit || size > in.Remaining()) return false;
    text.clear();
    while (text.size() < size) {
        const std::size_t piece = std::min<std::size_t>(kTextPiece, size - text.size());
        const std::size_t at = text.size();
        text.resize(at + piece);
        if (!in.Read(text.data() + at, piece)) return false;
    }
    return true;
}

} // namespace

bool PropertyStreamBytes::Read(void* data, std::size_t size)
{
    if (size > m_size - m_offset) return false;
    if (size) std::memcpy(data, m_data + m_offset, size);
    m_offset += size;
    return true;
}

PropertyStreamBag::~PropertyStreamBag()
{
    for (auto& entry : m_entries) VariantClear(&entry.second);
}

HRESULT STDMETHODCALLTYPE PropertyStreamBag::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
        *ppv = static_cast<IPropertyBag*>(this);
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE PropertyStreamBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog*)
{
    if (!name || !value) return E_POINTER;
    for (auto& entry : m_entries)
        if (entry.first == name) return VariantCopy(value, &entry.second);
    return E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE PropertyStreamBag::Write(LPCOLESTR name, VARIANT* value)
{
    if (!name || !value) return E_POINTER;
    VARIANT copy;
    VariantInit(&copy);
    const HRESULT hr = VariantCopy(&copy, value);
    if (FAILED(hr)) return hr;
    for (auto& entry : m_entries) {
        if (entry.first == name) {
            VariantClear(&entry.second);
            entry.second = copy;
            return S_OK;
        }
    }
    m_entries.emplace_back(OleString(name), copy);
    return S_OK;
}

bool WritePropertyStream(const PropertyStreamBag& bag, std::string& out)
{
    const auto& entries = bag.Entries();
    if (entries.size() > kPropertyStreamMaxProperties) return false;
    std::string bytes(kMagic, sizeof kMagic);
    putU32(bytes, kFormatVersion);
    putU32(bytes, static_cast<std::uint32_t>(entries.size()));
    for (const auto& [name, value] : entries) {
        const std::string utf8 = OleToUtf8(name.data(), name.size());
        if (utf8.size() > kPropertyStreamMaxNameBytes) return false;
        putU32(bytes, static_cast<std::uint32_t>(utf8.size()));
        bytes += utf8;
        putU16(bytes, value.vt);
        switch (value.vt) {
        case VT_I2:
            putU16(bytes, static_cast<std::uint16_t>(value.iVal));
            break;
        case VT_I4:
            putU32(bytes, static_cast<std::uint32_t>(value.lVal));
            break;
        case VT_BOOL:
            putU16(bytes, static_cast<std::uint16_t>(value.boolVal));
            break;
        case VT_BSTR: {
            const std::string text = BstrToUtf8(value.bstrVal);
            if (text.size() > kPropertyStreamMaxTextBytes) return false;
            putU32(bytes, static_cast<std::uint32_t>(text.size()));
            bytes += text;
            break;
        }
        default:
            return false;
        }
    }
    out += bytes;
    return true;
}

bool ReadPropertyStream(PropertyStreamSource& in, PropertyStreamBag& bag)
{
    char magic[sizeof kMagic];
    std::uint32_t version = 0;
    std::uint32_t count = 0;
    if (!in.Read(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof kMagic) != 0) return false;
    if (!readU32(in, version) || version != kFormatVersion) return false;
    if (!readU32(in, count) || count > kPropertyStreamMaxProperties) return false;
    if (count * kMinPropertyBytes > in.Remaining()) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name;
        std::uint16_t vt = 0;
        if (!readText(in, kPropertyStreamMaxNameBytes, name) || !readU16(in, vt)) return false;
        VARIANT value;
        VariantInit(&value);
        switch (vt) {
        case VT_I2: {
            std::uint16_t v = 0;
            if (!readU16(in, v)) return false;
            value = MakeVariantI2(static_cast<SHORT>(v));
            break;
        }
        case VT_I4: {
            std::uint32_t v = 0;
            if (!readU32(in, v)) return false;
            value = MakeVariantI4(static_cast<LONG>(v));
            break;
        }
        case VT_BOOL: {
            std::uint16_t v = 0;
            if (!readU16(in, v)) return false;
            value = MakeVariantBool(v != 0);
            break;
        }
        case VT_BSTR: {
            std::string text;
            if (!readText(in, kPropertyStreamMaxTextBytes, text)) return false;
            value = MakeVariantBstr(text);
            // A text the system could not allocate is a load that failed,
            // not an empty value.
            if (!value.bstrVal) return false;
            break;
        }
        default:
            return false;
        }
        const OleString wide = Utf8ToOle(name);
        const HRESULT hr = bag.Write(wide.c_str(), &value);
        VariantClear(&value);
        if (FAILED(hr)) return false;
    }
    return true;
}
