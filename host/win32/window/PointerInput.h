// The mouse as a person moves it, made through the system's input queue
// (SendInput): the pointer moves to a point of the screen, buttons go down
// and up and the wheel turns where the pointer is. The system then does
// what it does for a real mouse: the window under the pointer (or the one
// holding the capture) gets the messages, WM_SETCURSOR before them, double
// clicks where its class asks for them, and GetAsyncKeyState answers with
// the buttons held. Buttons still held are released at the latest when
// this goes, so that no button stays down after the run.
#pragma once

#include <windows.h>

// The absolute position SendInput takes for `screen` with
// MOUSEEVENTF_VIRTUALDESK: 0 to 65535 across `desktop` (the virtual
// screen), rounded up, so that the pixel the system maps it back to (by
// truncation) is `screen` itself.
POINT NormalizedPointerPosition(POINT screen, const RECT& desktop);

class PointerInput {
public:
    PointerInput() = default;
    ~PointerInput() { releaseAll(); }
    PointerInput(const PointerInput&) = delete;
    PointerInput& operator=(const PointerInput&) = delete;

    // Moves the pointer to `screen` unless it is there; false when it did
    // not get there (a point off the screen, or input refused).
    bool moveTo(POINT screen);
    // The logical button (`right`: the secondary one) down or up where the
    // pointer is; with swapped buttons the other physical button is the one
    // pressed, as for a person with a swapped mouse.
    void button(bool right, bool down);
    // Wheel notches where the pointer is: positive away from the user.
    void wheel(int notches);
    bool isDown(bool right) const { return right ? m_right : m_left; }
    void releaseAll();

private:
    bool m_left = false;
    bool m_right = false;
};
