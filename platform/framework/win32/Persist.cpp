// Persistence through the property exchange: IPersistPropertyBag over the
// container's bag, IPersistStreamInit over a stream holding the same named
// properties.
//
// The stream's format, little-endian: "VEPX", a 32-bit format version (1),
// a 32-bit count, then per property a 32-bit name length, the name in
// UTF-8, a 16-bit variant type (VT_I2, VT_I4, VT_BOOL, VT_BSTR) and the
// value: 2 or 4 bytes, or for text a 32-bit length and the UTF-8 bytes.
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/framework/OleControl.h"

VE_FORWARD_IUNKNOWN(COleControl, XPersistPropertyBag)
VE_FORWARD_IUNKNOWN(COleControl, XPersistStreamInit)

namespace {

constexpr char kMagic[4] = {'V', 'E', 'P', 'X'};
constexpr std::uint32_t kFormatVersion = 1;
// Bounds on what a stream may claim, so that a damaged or hostile stream
// cannot make the control allocate without limit.
constexpr std::uint32_t kMaxProperties = 1024;
constexpr std::uint32_t kMaxNameBytes = 256;
constexpr std::uint32_t kMaxTextBytes = 64 * 1024;

// The named values of one exchange, in the order they were written. It lives
// on the stack of one call; its count only guards misuse.
class MemoryPropertyBag final : public IPropertyBag {
public:
    ~MemoryPropertyBag()
    {
        for (auto& entry : m_entries) VariantClear(&entry.second);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
            *ppv = static_cast<IPropertyBag*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override
    {
        if (!name || !value) return E_POINTER;
        for (auto& entry : m_entries)
            if (entry.first == name) return VariantCopy(value, &entry.second);
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override
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
    std::vector<std::pair<OleString, VARIANT>> m_entries;
};

void putBytes(std::string& out, const void* data, std::size_t size)
{
    out.append(static_cast<const char*>(data), size);
}
void putU32(std::string& out, std::uint32_t v) { putBytes(out, &v, sizeof v); }
void putU16(std::string& out, std::uint16_t v) { putBytes(out, &v, sizeof v); }

// The bag's properties in the stream format; false for a type the format
// does not hold.
bool serialize(const MemoryPropertyBag& bag, std::string& out)
{
    putBytes(out, kMagic, sizeof kMagic);
    putU32(out, kFormatVersion);
    putU32(out, static_cast<std::uint32_t>(bag.m_entries.size()));
    for (const auto& [name, value] : bag.m_entries) {
        const std::string utf8 = OleToUtf8(name.data(), name.size());
        putU32(out, static_cast<std::uint32_t>(utf8.size()));
        out += utf8;
        putU16(out, value.vt);
        switch (value.vt) {
        case VT_I2:
            putU16(out, static_cast<std::uint16_t>(value.iVal));
            break;
        case VT_I4:
            putU32(out, static_cast<std::uint32_t>(value.lVal));
            break;
        case VT_BOOL:
            putU16(out, static_cast<std::uint16_t>(value.boolVal));
            break;
        case VT_BSTR: {
            const std::string text = BstrToUtf8(value.bstrVal);
            putU32(out, static_cast<std::uint32_t>(text.size()));
            out += text;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

bool readExactly(IStream* stream, void* data, ULONG size)
{
    if (size == 0) return true;
    ULONG read = 0;
    return SUCCEEDED(stream->Read(data, size, &read)) && read == size;
}
bool readU32(IStream* stream, std::uint32_t& v) { return readExactly(stream, &v, sizeof v); }
bool readU16(IStream* stream, std::uint16_t& v) { return readExactly(stream, &v, sizeof v); }
bool readText(IStream* stream, std::uint32_t limit, std::string& text)
{
    std::uint32_t size = 0;
    if (!readU32(stream, size) || size > limit) return false;
    text.assign(size, '\0');
    return readExactly(stream, text.data(), size);
}

// Reads the stream's properties into the bag; false when the stream is not
// in the format or breaks its bounds.
bool deserialize(IStream* stream, MemoryPropertyBag& bag)
{
    char magic[sizeof kMagic];
    std::uint32_t version = 0;
    std::uint32_t count = 0;
    if (!readExactly(stream, magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof kMagic) != 0) return false;
    if (!readU32(stream, version) || version != kFormatVersion) return false;
    if (!readU32(stream, count) || count > kMaxProperties) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name;
        std::uint16_t vt = 0;
        if (!readText(stream, kMaxNameBytes, name) || !readU16(stream, vt)) return false;
        VARIANT value;
        VariantInit(&value);
        switch (vt) {
        case VT_I2: {
            std::uint16_t v = 0;
            if (!readU16(stream, v)) return false;
            value = MakeVariantI2(static_cast<SHORT>(v));
            break;
        }
        case VT_I4: {
            std::uint32_t v = 0;
            if (!readU32(stream, v)) return false;
            value = MakeVariantI4(static_cast<LONG>(v));
            break;
        }
        case VT_BOOL: {
            std::uint16_t v = 0;
            if (!readU16(stream, v)) return false;
            value = MakeVariantBool(v != 0);
            break;
        }
        case VT_BSTR: {
            std::string text;
            if (!readText(stream, kMaxTextBytes, text)) return false;
            value = MakeVariantBstr(text);
            break;
        }
        default:
            return false;
        }
        const OleString wide = Utf8ToOle(name);
        bag.Write(wide.c_str(), &value);
        VariantClear(&value);
    }
    return true;
}

} // namespace

HRESULT COleControl::Load(IPropertyBag* bag)
{
    if (!bag) return E_POINTER;
    CPropbagLoadExchange px(bag);
    DoPropExchange(&px);
    m_bModified = false;
    return S_OK;
}

HRESULT COleControl::Save(IPropertyBag* bag)
{
    if (!bag) return E_POINTER;
    CPropbagSaveExchange px(bag);
    DoPropExchange(&px);
    return S_OK;
}

HRESULT COleControl::LoadStream(IStream* stream)
{
    if (!stream) return E_POINTER;
    MemoryPropertyBag bag;
    if (!deserialize(stream, bag)) return E_FAIL;
    return Load(&bag);
}

HRESULT COleControl::SaveStream(IStream* stream)
{
    if (!stream) return E_POINTER;
    MemoryPropertyBag bag;
    HRESULT hr = Save(&bag);
    if (FAILED(hr)) return hr;
    std::string bytes;
    if (!serialize(bag, bytes)) return E_FAIL;
    ULONG written = 0;
    hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    if (FAILED(hr)) return hr;
    return written == bytes.size() ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistPropertyBag::GetClassID(CLSID* pClassID)
{
    return m_pThis->GetClassID(pClassID);
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistPropertyBag::InitNew()
{
    m_pThis->OnResetState();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistPropertyBag::Load(IPropertyBag* pPropBag, IErrorLog*)
{
    return m_pThis->Load(pPropBag);
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistPropertyBag::Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL)
{
    const HRESULT hr = m_pThis->Save(pPropBag);
    if (SUCCEEDED(hr) && fClearDirty) m_pThis->m_bModified = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistStreamInit::GetClassID(CLSID* pClassID)
{
    return m_pThis->GetClassID(pClassID);
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistStreamInit::IsDirty() { return m_pThis->m_bModified ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE COleControl::XPersistStreamInit::Load(LPSTREAM pStm) { return m_pThis->LoadStream(pStm); }

HRESULT STDMETHODCALLTYPE COleControl::XPersistStreamInit::Save(LPSTREAM pStm, BOOL fClearDirty)
{
    const HRESULT hr = m_pThis->SaveStream(pStm);
    if (SUCCEEDED(hr) && fClearDirty) m_pThis->m_bModified = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistStreamInit::GetSizeMax(ULARGE_INTEGER* pCbSize)
{
    if (!pCbSize) return E_POINTER;
    MemoryPropertyBag bag;
    std::string bytes;
    if (FAILED(m_pThis->Save(&bag)) || !serialize(bag, bytes)) return E_FAIL;
    pCbSize->QuadPart = bytes.size();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistStreamInit::InitNew()
{
    m_pThis->OnResetState();
    return S_OK;
}
