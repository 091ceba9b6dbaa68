#include "host/linux/window/PhysicalButtons.h"

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
    std::lock_guard lock(m_mutex);
    std::uint32_t mask = 0;
    bool shift = false, control = false;
    if (std::this_thread::get_id() == m_owner || !m_display) {
        mask = SDL_GetGlobalMouseState(nullptr, nullptr);
        shift = (SDL_GetModState() & KMOD_SHIFT) != 0;
        control = (SDL_GetModState() & KMOD_CTRL) != 0;
    } else {
        // What SDL's global state reads, asked of the X server directly.
        Window root = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int state = 0;
        XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &x, &y, &state);
        mask = ((state & Button1Mask) ? SDL_BUTTON_LMASK : 0) | ((state & Button2Mask) ? SDL_BUTTON_MMASK : 0) |
               ((state & Button3Mask) ? SDL_BUTTON_RMASK : 0);
        shift = (state & ShiftMask) != 0;
        control = (state & ControlMask) != 0;
    }
    switch (vk) {
    case VK_LBUTTON: return PhysicalDown(mask, mapping(), 1);
    case VK_MBUTTON: return PhysicalDown(mask, mapping(), 2);
    case VK_RBUTTON: return PhysicalDown(mask, mapping(), 3);
    case VK_SHIFT: return shift;
    case VK_CONTROL: return control;
    default: return false;
    }
}

bool PhysicalButtons::buttonsSwapped() const
{
    std::lock_guard lock(m_mutex);
    return mapping().swapped();
}
