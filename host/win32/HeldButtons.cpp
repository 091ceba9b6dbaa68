#include "host/win32/HeldButtons.h"

void HeldButtons::set(int vk, bool down)
{
    bool& held = vk == VK_LBUTTON ? m_left : m_right;
    if (held == down || (vk != VK_LBUTTON && vk != VK_RBUTTON)) return;
    held = down;
    INPUT input{};
    input.type = INPUT_MOUSE;
    // A button alone, without a move: the pointer stays where it is.
    if (vk == VK_LBUTTON) input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    else input.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
    SendInput(1, &input, sizeof input);
}

void HeldButtons::releaseAll()
{
    set(VK_LBUTTON, false);
    set(VK_RBUTTON, false);
}
