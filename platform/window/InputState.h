// The state of the physical input devices, which the container supplies:
// which mouse buttons are down, whether the buttons are swapped, the
// double-click time. GetAsyncKeyState and GetSystemMetrics read it.
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#else

#include <memory>

#include "platform/win/WinUser.h"

class InputStateSource {
public:
    virtual ~InputStateSource() = default;
    // vk is a virtual key: VK_LBUTTON, VK_RBUTTON (physical buttons) or a key.
    virtual bool isKeyDown(int vk) const = 0;
    virtual bool buttonsSwapped() const = 0;
    virtual UINT doubleClickTimeMs() const = 0;
};

// A source whose answers are set by the container (or by a test script).
class SettableInputState final : public InputStateSource {
public:
    bool isKeyDown(int vk) const override;
    bool buttonsSwapped() const override { return m_swapped; }
    UINT doubleClickTimeMs() const override { return m_doubleClickMs; }

    void setKeyDown(int vk, bool down);
    void setButtonsSwapped(bool swapped) { m_swapped = swapped; }
    void setDoubleClickTimeMs(UINT ms) { m_doubleClickMs = ms; }

private:
    bool m_keys[256] = {};
    bool m_swapped = false;
    UINT m_doubleClickMs = 500;
};

// Installs the source (null restores one with nothing held).
void SetInputStateSource(std::shared_ptr<InputStateSource> source);
std::shared_ptr<InputStateSource> GetInputStateSource();

// Bit 15 set while the key or physical button is down.
SHORT GetAsyncKeyState(int vk);
int GetSystemMetrics(int index);
UINT GetDoubleClickTime();

#endif
