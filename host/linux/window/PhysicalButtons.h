// The physical mouse buttons, as GetAsyncKeyState reports them. SDL (like
// every X client) sees logical buttons: the X server's pointer mapping has
// already been applied, so a left-handed mapping turns the physical left
// button into logical button 3. This source maps SDL's global button state
// back through the pointer mapping, and reports the swap as
// SM_SWAPBUTTON does.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/window/linux/StandInWindow.h"

struct _XDisplay;

// Logical button numbers (1-based) for physical buttons 1 to 3.
struct PointerMapping {
    std::array<unsigned char, 3> logicalOf{1, 2, 3};
    bool swapped() const { return logicalOf[0] == 3; }
};

class PhysicalButtons final : public InputStateSource {
public:
    PhysicalButtons();
    ~PhysicalButtons() override;
    PhysicalButtons(const PhysicalButtons&) = delete;
    PhysicalButtons& operator=(const PhysicalButtons&) = delete;

    bool isKeyDown(int vk) const override;
    bool buttonsSwapped() const override;
    UINT doubleClickTimeMs() const override { return 500; }

    // Whether physical button `physical` (1-3) is down, given SDL's logical
    // button mask and a mapping.
    static bool PhysicalDown(std::uint32_t logicalMask, const PointerMapping& mapping, int physical);

private:
    PointerMapping mapping() const;

    // The controls' UI threads ask too: one at a time, and those other than
    // the viewer's own (which owns SDL's display) on this source's own
    // connection.
    mutable std::mutex m_mutex;
    std::thread::id m_owner = std::this_thread::get_id();
    _XDisplay* m_display = nullptr;
    mutable PointerMapping m_mapping;
    mutable std::uint64_t m_readMs = 0;
};
