#include "host/desktop/PhysicalButtons.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include "platform/window/linux/StandInWindow.h"

namespace {
// The mapping can change while the viewer runs (a person switches to
// left-handed); it is read again at most this often.
constexpr std::uint64_t kMappingRefreshMs = 500;
} // namespace

PhysicalButtons::PhysicalButtons() : m_display(XOpenDisplay(nullptr)) {}

PhysicalButtons::~PhysicalButtons()
{
    if (m_display) XCloseDisplay(m_display);
}

PointerMapping PhysicalButtons::mapping() const
{
    const std::uint64_t now = standin::GetProcessClock()->nowMs();
    if (m_display && (m_readMs == 0 || now - m_readMs >= kMappingRefreshMs)) {
        m_readMs = now;
        unsigned char map[256] = {};
        const int count = XGetPointerMapping(m_display, map, 256);
        PointerMapping read;
        for (int i = 0; i < 3 && i < count; ++i) read.logicalOf[static_cast<std::size_t>(i)] = map[i];
        m_mapping = read;
    }
    return m_mapping;
}

bool PhysicalButtons::PhysicalDown(std::uint32_t logicalMask, const PointerMapping& mapping, int physical)
{
    if (physical < 1 || physical > 3) return false;
    const int logical = mapping.logicalOf[static_cast<std::size_t>(physical - 1)];
    if (logical < 1 || logical > 32) return false; // 0: the button is switched off
    return (logicalMask & SDL_BUTTON(logical)) != 0;
}

bool PhysicalButtons::isKeyDown(int vk) const
{
    const std::uint32_t mask = SDL_GetGlobalMouseState(nullptr, nullptr);
    switch (vk) {
    case VK_LBUTTON: return PhysicalDown(mask, mapping(), 1);
    case VK_MBUTTON: return PhysicalDown(mask, mapping(), 2);
    case VK_RBUTTON: return PhysicalDown(mask, mapping(), 3);
    case VK_SHIFT: return (SDL_GetModState() & KMOD_SHIFT) != 0;
    case VK_CONTROL: return (SDL_GetModState() & KMOD_CTRL) != 0;
    default: return false;
    }
}

bool PhysicalButtons::buttonsSwapped() const { return mapping().swapped(); }
