// The state of the physical input devices, which the container supplies:
// which mouse buttons are down, whether the buttons are swapped, the
// double-click time. GetAsyncKeyState and GetSystemMetrics read it.
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#else

#include <atomic>
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

// A source whose answers are set by the container (or by a test script),
// and read by the controls on any of its threads.
class SettableInputState final : public InputStateSource {
public:
    bool isKeyDown(int vk) const override;
    bool buttonsSwapped() const override { return m_swapped.load(std::memory_order_acquire); }
    UINT doubleClickTimeMs() const override { return m_doubleClickMs.load(std::memory_order_acquire); }

    void setKeyDown(int vk, bool down);
    void setButtonsSwapped(bool swapped) { m_swapped.store(swapped, std::memory_order_release); }
    void setDoubleClickTimeMs(UINT ms) { m_doubleClickMs.store(ms, std::memory_order_release); }

private:
    std::atomic<bool> m_keys[256] = {};
    std::atomic<bool> m_swapped{false};
    std::atomic<UINT> m_doubleClickMs{500};
};

// Installs the source (null restores one with nothing held).
void SetInputStateSource(std::shared_ptr<InputStateSource> source);
std::shared_ptr<InputStateSource> GetInputStateSource();

// Bit 15 set while the key or physical button is down.
SHORT GetAsyncKeyState(int vk);
int GetSystemMetrics(int index);
UINT GetDoubleClickTime();

#endif
