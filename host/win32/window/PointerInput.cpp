#include "host/win32/window/PointerInput.h"

#include <algorithm>

namespace {

LONG normalized(LONG offset, LONG extent)
{
    if (extent <= 0) return 0;
    const long long value = (static_cast<long long>(offset) * 65536 + extent - 1) / extent;
    return static_cast<LONG>(std::clamp<long long>(value, 0, 65535));
}

RECT virtualScreen()
{
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

bool send(INPUT input) { return SendInput(1, &input, sizeof input) == 1; }

} // namespace

POINT NormalizedPointerPosition(POINT screen, const RECT& desktop)
{
    return POINT{normalized(screen.x - desktop.left, desktop.right - desktop.left),
                 normalized(screen.y - desktop.top, desktop.bottom - desktop.top)};
}

bool PointerInput::moveTo(POINT screen)
{
    POINT now{};
    if (GetCursorPos(&now) && now.x == screen.x && now.y == screen.y) return true;
    const POINT to = NormalizedPointerPosition(screen, virtualScreen());
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = to.x;
    input.mi.dy = to.y;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
    if (!send(input)) return false;
    return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
}

void PointerInput::button(bool right, bool down)
{
    bool& held = right ? m_right : m_left;
    if (held == down) return;
    held = down;
    // SendInput names physical buttons; the system swaps them into the
    // logical ones.
    const bool physicalLeft = right == (GetSystemMetrics(SM_SWAPBUTTON) != 0);
    INPUT input{};
    input.type = INPUT_MOUSE;
    if (physicalLeft) input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    else input.mi.dwFlags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
    send(input);
}

void PointerInput::wheel(int notches)
{
    if (notches == 0) return;
    // The wheel's amount travels as a 16-bit delta in the message.
    const int delta = std::clamp(notches, -270, 270) * WHEEL_DELTA;
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_WHEEL;
    input.mi.mouseData = static_cast<DWORD>(delta);
    send(input);
}

void PointerInput::releaseAll()
{
    button(false, false);
    button(true, false);
}
