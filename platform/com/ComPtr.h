// Owning smart pointer for COM interfaces, for the containers and the
// platform layer (the control keeps plain counted pointers).
#pragma once

#include <utility>

#include "platform/com/Unknown.h"

template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes over a reference the caller already owns.
    static ComPtr adopt(T* p)
    {
        ComPtr c;
        c.m_p = p;
        return c;
    }
    // Adds a reference of its own.
    static ComPtr share(T* p)
    {
        if (p) p->AddRef();
        return adopt(p);
    }
    ComPtr(const ComPtr& o) : m_p(o.m_p)
    {
        if (m_p) m_p->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept
    {
        std::swap(m_p, o.m_p);
        return *this;
    }
    ~ComPtr() { reset(); }

    void reset()
    {
        if (T* p = std::exchange(m_p, nullptr)) p->Release();
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For out-parameters: releases what is held and hands out the slot.
    T** put()
    {
        reset();
        return &m_p;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    T* detach() { return std::exchange(m_p, nullptr); }

    template <typename U>
    ComPtr<U> query(REFIID iid) const
    {
        ComPtr<U> out;
        if (m_p) m_p->QueryInterface(iid, out.putVoid());
        return out;
    }

private:
    T* m_p = nullptr;
};
