// The Linux stand-in's own calls for windows, message queues, the clock,
// cursors and icons, input state and string tables: how a container (or a
// test) makes windows, drives the queues and supplies what Windows would
// take from the hardware or from linked resources. None of them is a Windows
// call, so they live in namespace standin; only the stand-in's own side
// (its containers, tests and tools) calls them.
#pragma once

#include <atomic>
#include <functional>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/window/Cursor.h"
#include "platform/window/InputState.h"
#include "platform/window/StringResources.h"
#include "platform/window/Window.h"
#include "platform/window/linux/Clock.h"

// What a window does with its messages (the window procedure).
class WindowHandler {
public:
    virtual ~WindowHandler() = default;
    virtual LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

struct IconImage {
    int width = 0;
    int height = 0;
    int hotspotX = 0;
    int hotspotY = 0;
    // Row-major from the top row, 0xAARRGGBB; alpha 0 is transparent.
    std::vector<std::uint32_t> argb;
};

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

namespace standin {

// Creates a window on the calling thread. The handler must outlive the
// window or destroy it first. classStyle may hold CS_DBLCLKS.
HWND CreateHandlerWindow(WindowHandler* handler, UINT classStyle);
// When the calling thread's next timer is due, if it has one.
std::optional<std::uint64_t> NextTimerDueMs();
// Wakes a GetMessage that waits on the given thread's queue (any thread).
void WakeMessageQueueOf(HWND hwnd);
// Called, from the posting thread, after each message posted to the
// calling thread's queue: a loop that waits for something else as well
// (a toolkit's events) is woken by it. Null: none.
void SetMessageQueueWaker(std::function<void()> waker);

// The process's clock; the real clock until a container installs another.
void SetProcessClock(std::shared_ptr<Clock> clock);
std::shared_ptr<Clock> GetProcessClock();

// A module's icons, as a resource compiler would have linked them in.
void RegisterIconResource(HINSTANCE module, WORD id, IconImage image);
void UnregisterIconResources(HINSTANCE module);
// For the container: what a handle stands for. A system cursor gives its
// identifier (IDC_HAND_ID, ...), a module icon its image.
bool GetSystemCursorId(HCURSOR cursor, WORD* id);
const IconImage* GetIconImage(HICON icon);
// The resource number a module icon was registered under.
bool GetIconResourceId(HICON icon, WORD* id);

// Installs the source (null restores one with nothing held).
void SetInputStateSource(std::shared_ptr<InputStateSource> source);
std::shared_ptr<InputStateSource> GetInputStateSource();

// A module's string table, as a resource compiler would have linked it in.
void RegisterStringResource(HINSTANCE module, UINT id, const std::string& text);
void UnregisterStringResources(HINSTANCE module);

} // namespace standin
