#include "platform/window/InputState.h"
#include "platform/window/linux/StandInWindow.h"

#include <mutex>

bool SettableInputState::isKeyDown(int vk) const
{
    return vk >= 0 && vk < 256 && m_keys[vk].load(std::memory_order_acquire);
}

void SettableInputState::setKeyDown(int vk, bool down)
{
    if (vk >= 0 && vk < 256) m_keys[vk].store(down, std::memory_order_release);
}

namespace {
std::mutex g_inputMutex;
std::shared_ptr<InputStateSource>& inputSlot()
{
    static std::shared_ptr<InputStateSource> source = std::make_shared<SettableInputState>();
    return source;
}
} // namespace

void standin::SetInputStateSource(std::shared_ptr<InputStateSource> source)
{
    std::lock_guard lock(g_inputMutex);
    inputSlot() = source ? std::move(source) : std::make_shared<SettableInputState>();
}

std::shared_ptr<InputStateSource> standin::GetInputStateSource()
{
    std::lock_guard lock(g_inputMutex);
    return inputSlot();
}

SHORT GetAsyncKeyState(int vk)
{
    return standin::GetInputStateSource()->isKeyDown(vk) ? static_cast<SHORT>(0x8000) : 0;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_SWAPBUTTON:
        return standin::GetInputStateSource()->buttonsSwapped() ? 1 : 0;
    case SM_CXSCREEN:
        return 1920;
    case SM_CYSCREEN:
        return 1080;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    default:
        return 0;
    }
}

UINT GetDoubleClickTime() { return standin::GetInputStateSource()->doubleClickTimeMs(); }
