// A reference-counted COM object base for test doubles: the object deletes
// itself at the last Release, so the leak checker sees references the code
// under test forgets to release.
#pragma once

#include <atomic>
#include <initializer_list>

#include "platform/com/Unknown.h"

class ComObject {
public:
    virtual ~ComObject() = default;
    ULONG addRef() { return ++m_refs; }
    ULONG release()
    {
        const ULONG left = --m_refs;
        if (left == 0) delete this;
        return left;
    }
    ULONG refs() const { return m_refs; }

protected:
    // Answers riid from a list of (iid, interface) pairs.
    HRESULT answer(REFIID riid, void** ppv, std::initializer_list<std::pair<const IID*, IUnknown*>> table)
    {
        if (!ppv) return E_POINTER;
        for (const auto& [iid, itf] : table) {
            if (*iid == riid) {
                *ppv = itf;
                addRef();
                return S_OK;
            }
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }

private:
    std::atomic<ULONG> m_refs{1};
};

#define VE_TEST_IUNKNOWN                                          \
    ULONG AddRef() override { return addRef(); }                 \
    ULONG Release() override { return release(); }
