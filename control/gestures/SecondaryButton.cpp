// The secondary-button test: sampled from the physical buttons at the
// moment of the test, honouring swapped buttons.
#include "control/ImageCtrl.h"
#include "platform/window/InputState.h"

BOOL CImageCtrl::IsSecondaryButtonHeld() const
{
    const int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_LBUTTON : VK_RBUTTON;
    return (GetAsyncKeyState(button) & 0x8000) ? TRUE : FALSE;
}
