// COM enumerators over a snapshot of items: the control's connection
// points, a connection point's connections, its verbs (and on Windows its
// data formats).
// Each item holds a reference the enumerator owns; Next hands the caller a
// copy of its own (a reference, or a verb name the caller frees).
#pragma once

#include "platform/com/ComCreation.h"
#include "platform/com/OleInterfaces.h"

#include <atomic>
#include <new>
#include <vector>

// The interface an item carries, for its reference.
inline IUnknown* ItemUnknown(IConnectionPoint* item) { return item; }
inline IUnknown* ItemUnknown(const CONNECTDATA& item) { return item.pUnk; }
inline IUnknown* ItemUnknown(const OLEVERB&) { return nullptr; }

// The caller's copy of an item.
template <typename Item>
Item CopyItemOut(const Item& item)
{
    if (IUnknown* unknown = ItemUnknown(item)) unknown->AddRef();
    return item;
}
// A verb's name is the caller's to free with CoTaskMemFree; a copy that
// cannot be made goes without a name.
inline OLEVERB CopyItemOut(const OLEVERB& verb)
{
    OLEVERB copy = verb;
    copy.lpszVerbName = nullptr;
    if (verb.lpszVerbName) {
        std::size_t length = 0;
        while (verb.lpszVerbName[length]) ++length;
        auto* name = static_cast<LPOLESTR>(CoTaskMemAlloc((length + 1) * sizeof(OLECHAR)));
        if (name) {
            for (std::size_t i = 0; i <= length; ++i) name[i] = verb.lpszVerbName[i];
            copy.lpszVerbName = name;
        }
    }
    return copy;
}

template <typename Enum, typename Item, const IID& EnumIid>
class Enumerator final : public Enum {
public:
    // Takes a reference on each item.
    static HRESULT Create(std::vector<Item> items, std::size_t position, Enum** ppEnum)
    {
        if (!ppEnum) return E_POINTER;
        auto* e = new (std::nothrow) Enumerator(std::move(items), position);
        *ppEnum = e;
        return e ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, EnumIid)) {
            *ppv = static_cast<Enum*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* items, ULONG* fetched) override
    {
        if (!items || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && m_position < m_items.size(); ++n, ++m_position) items[n] = CopyItemOut(m_items[m_position]);
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const std::size_t left = m_items.size() - m_position;
        m_position += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        m_position = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Enum** ppEnum) override { return Create(m_items, m_position, ppEnum); }

private:
    Enumerator(std::vector<Item> items, std::size_t position) : m_items(std::move(items)), m_position(position)
    {
        for (const Item& item : m_items)
            if (IUnknown* unknown = ItemUnknown(item)) unknown->AddRef();
    }
    ~Enumerator()
    {
        for (const Item& item : m_items)
            if (IUnknown* unknown = ItemUnknown(item)) unknown->Release();
    }

    std::atomic<ULONG> m_refs{1};
    std::vector<Item> m_items;
    std::size_t m_position;
};

using ConnectionPointEnumerator = Enumerator<IEnumConnectionPoints, IConnectionPoint*, IID_IEnumConnectionPoints>;
using ConnectionEnumerator = Enumerator<IEnumConnections, CONNECTDATA, IID_IEnumConnections>;
using VerbEnumerator = Enumerator<IEnumOLEVERB, OLEVERB, IID_IEnumOLEVERB>;
