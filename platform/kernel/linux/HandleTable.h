// The Linux stand-in's one shape of every handle table, shared by all its
// rooms (it is no part of the Windows API, so nothing outside platform/
// includes it). A handle names a shared object; looking it up hands out a
// reference, so a caller keeps the object alive after the table's lock is
// released, and closing the handle meanwhile only drops the table's own
// reference. Handle values are never reused, so a stale handle can never name
// a newer object.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

template <typename Handle, typename Object>
class HandleTable {
public:
    // Handles are first, first + step, first + 2 * step, ...; tables whose
    // handles must never meet use the same step and different offsets.
    explicit HandleTable(std::uintptr_t first, std::uintptr_t step = 4) : m_next(first), m_step(step) {}
    HandleTable(const HandleTable&) = delete;
    HandleTable& operator=(const HandleTable&) = delete;

    Handle insert(std::shared_ptr<Object> object)
    {
        std::lock_guard lock(m_mutex);
        const Handle h = toHandle(m_next);
        m_next += m_step;
        m_objects.emplace(h, std::move(object));
        return h;
    }

    // The object, or null when the handle names none.
    std::shared_ptr<Object> find(Handle h) const
    {
        std::lock_guard lock(m_mutex);
        auto it = m_objects.find(h);
        return it == m_objects.end() ? nullptr : it->second;
    }

    // Takes the handle out of the table and gives its object to the caller,
    // who lets it go outside the table's lock; null when there was none.
    std::shared_ptr<Object> remove(Handle h)
    {
        std::lock_guard lock(m_mutex);
        auto it = m_objects.find(h);
        if (it == m_objects.end()) return nullptr;
        auto object = std::move(it->second);
        m_objects.erase(it);
        return object;
    }

private:
    static Handle toHandle(std::uintptr_t value)
    {
        if constexpr (std::is_pointer_v<Handle>)
            return reinterpret_cast<Handle>(value);
        else
            return static_cast<Handle>(value);
    }

    mutable std::mutex m_mutex;
    std::map<Handle, std::shared_ptr<Object>> m_objects;
    std::uintptr_t m_next;
    const std::uintptr_t m_step;
};
