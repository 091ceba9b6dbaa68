// A control's named properties as one stream of bytes, the form
// IPersistStreamInit keeps them in, and the property bag a stream is read
// into and written from. Both platforms' frameworks build this file.
//
// The format, little-endian: "VEPX", a 32-bit format version (1), a 32-bit
// count, then per property a 32-bit name length, the name in UTF-8, a 16-bit
// variant type (VT_I2, VT_I4, VT_BOOL, VT_BSTR) and the value: 2 or 4 bytes,
// or for text a 32-bit length and the UTF-8 bytes.
//
// A stream comes from outside the control (a container's storage, a file),
// so the reader trusts none of its counts: each is held to a fixed bound and
// to the bytes actually there before anything is allocated for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/OleInterfaces.h"
#include "platform/com/Variant.h"

// Bounds on what a stream may hold. The writer keeps to them too, so that
// whatever it writes can be read back.
constexpr std::uint32_t kPropertyStreamMaxProperties = 1024;
constexpr std::uint32_t kPropertyStreamMaxNameBytes = 256;
constexpr std::uint32_t kPropertyStreamMaxTextBytes = 64 * 1024;

// Where the reader takes its bytes from.
class PropertyStreamSource {
public:
    virtual ~PropertyStreamSource() = default;
    // Exactly size bytes into data; false when fewer are there.
    virtual bool Read(void* data, std::size_t size) = 0;
    // The bytes left, when the source knows; a length that claims more is
    // refused without reading.
    virtual std::uint64_t Remaining() const { return UINT64_MAX; }
};

// A stream held in memory.
class PropertyStreamBytes final : public PropertyStreamSource {
public:
    PropertyStreamBytes(const void* data, std::size_t size)
        : m_data(static_cast<const unsigned char*>(data)), m_size(data ? size : 0)
    {
    }
    bool Read(void* data, std::size_t size) override;
    std::uint64_t Remaining() const override { return m_size - m_offset; }
    std::size_t Offset() const { return m_offset; }

private:
    const unsigned char* m_data;
    std::size_t m_size;
    std::size_t m_offset = 0;
};

// The named values of one exchange, in the order they were first written; a
// name written again replaces its value. It lives on the stack of one call:
// its reference count only guards misuse.
class PropertyStreamBag final : public IPropertyBag {
public:
    PropertyStreamBag() = default;
    ~PropertyStreamBag();
    PropertyStreamBag(const PropertyStreamBag&) = delete;
    PropertyStreamBag& operator=(const PropertyStreamBag&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    // A copy of the stored value, of its stored type; E_INVALIDARG when
    // absent.
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override;

    const std::vector<std::pair<OleString, VARIANT>>& Entries() const { return m_entries; }

private:
    std::vector<std::pair<OleString, VARIANT>> m_entries;
};

// Reads a stream's properties into the bag; false when the stream is not in
// the format or breaks its bounds (the bag may then hold the properties
// read before the fault).
bool ReadPropertyStream(PropertyStreamSource& in, PropertyStreamBag& bag);
// Appends the bag's properties in the stream format; false, and nothing
// appended, for a type the format does not hold or a property past the
// bounds, since the reader would refuse the stream.
bool WritePropertyStream(const PropertyStreamBag& bag, std::string& out);
