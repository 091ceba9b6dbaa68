// The mouse buttons a headless script holds, made physical: the control
// asks GetAsyncKeyState whether a button is still held, and only input
// through the system's queue (SendInput) changes what that answers. The
// buttons pressed are released again at the latest when this goes.
#pragma once

#include <windows.h>

class HeldButtons {
public:
    HeldButtons() = default;
    ~HeldButtons() { releaseAll(); }
    HeldButtons(const HeldButtons&) = delete;
    HeldButtons& operator=(const HeldButtons&) = delete;

    // vk: VK_LBUTTON or VK_RBUTTON.
    void set(int vk, bool down);
    bool isDown(int vk) const { return vk == VK_LBUTTON ? m_left : vk == VK_RBUTTON ? m_right : false; }
    // The MK_ flags of the buttons held.
    WPARAM keys() const { return (m_left ? MK_LBUTTON : 0) | (m_right ? MK_RBUTTON : 0); }
    void releaseAll();

private:
    bool m_left = false;
    bool m_right = false;
};
