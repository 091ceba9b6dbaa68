#include "host/linux/headless/HeadlessViewer.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "host/core/EventLog.h"
#include "host/core/HeadlessLoop.h"
#include "host/linux/container/PageLoader.h"
#include "host/linux/container/ViewerContainer.h"
#include "host/linux/container/ViewerSession.h"
#include "host/core/InputScript.h"
#include "host/core/page/NetworkErrors.h"
#include "platform/window/linux/StandInWindow.h"
#include "platform/wininet/WinInet.h"
#include "platform/gdi/linux/StandInGdi.h"

namespace {

// The Linux face of the headless run: the controls paint into an
// off-screen surface; the script's buttons are the physical button state
// (what GetAsyncKeyState reports), set before the messages go out.
class LinuxHeadlessFace final : public HeadlessFace {
public:
    LinuxHeadlessFace(ViewerContainer& container, SettableInputState& input, std::shared_ptr<Surface> surface)
        : m_container(container), m_input(input), m_surface(std::move(surface))
    {
        m_container.pollCursor();
    }

    bool applyPointer(const InputAction& a) override
    {
        auto keys = [&] {
            return (m_input.isKeyDown(VK_LBUTTON) ? MK_LBUTTON : 0) | (m_input.isKeyDown(VK_RBUTTON) ? MK_RBUTTON : 0);
        };
        const MouseButton button = a.right ? MouseButton::Right : MouseButton::Left;
        const int vk = a.right ? VK_RBUTTON : VK_LBUTTON;
        switch (a.kind) {
        case InputAction::Kind::Move:
            m_container.mouseMove(a.pt, keys());
            break;
        case InputAction::Kind::Down:
        case InputAction::Kind::Up:
            m_input.setKeyDown(vk, a.kind == InputAction::Kind::Down);
            m_container.mouseButton(button, a.kind == InputAction::Kind::Down, a.pt, keys());
            break;
        case InputAction::Kind::Click:
            m_input.setKeyDown(vk, true);
            m_container.mouseButton(button, true, a.pt, keys());
            m_input.setKeyDown(vk, false);
            m_container.mouseButton(button, false, a.pt, keys());
            break;
        case InputAction::Kind::Wheel:
            m_container.mouseWheel(a.pt, a.notches, keys());
            break;
        case InputAction::Kind::Key:
            break;
        }
        return true;
    }
    ControlHost& host() override { return m_container; }
    void showProperties(POINT pt) override
    {
        m_container.showProperties(static_cast<std::size_t>(std::max(0, m_container.controlAt(pt))));
    }
    bool pump() override
    {
        m_container.pumpMessages();
        m_container.pollCursor();
        return true;
    }
    void paint() override { m_container.paint(m_surface); }
    bool writePng(const std::string& path) override { return standin::WriteSurfacePng(*m_surface, path); }
    void wait(std::uint64_t ms) override
    {
        // Until a message comes (a socket's notice, a timer, an apartment's
        // report) or the time is up.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::max<std::uint64_t>(ms, 1)), QS_ALLINPUT);
    }

private:
    ViewerContainer& m_container;
    SettableInputState& m_input;
    std::shared_ptr<Surface> m_surface;
};

} // namespace

int RunHeadless(const CamviewOptions& options, const std::string& modulePath)
{
    InputScript script;
    if (!LoadInputScript(options.inputFile, script)) return 2;

    // The physical buttons are what the script holds down.
    auto input = std::make_shared<SettableInputState>();
    ControlStatuses statuses;
    ContainerListener chained;
    chained.onStatus = [&](int control, const std::string& text) { statuses.set(control, text); };
    // Ends are reported whether or not the cameras are made again.
    ReconnectWatch reconnect;
    reconnect.setReconnecting(options.reconnect);
    chained = reconnect.listener(chained);
    // Headless no one can be asked: a camera that refuses the credentials
    // given, or asks without any for it, gets its request cancelled.
    // --duration bounds the whole run, the page's fetch included. Headless
    // runs its controls on its own thread unless --threads asks otherwise:
    // the report then keeps the order things happened in (a frame drawn
    // before a scripted key is reported before it), which scripts rely on.
    auto report = std::make_shared<std::atomic<EventLog*>>(nullptr);
    auto credentials = std::make_shared<CameraCredentials>(options.givenUsers, AskPerson(), TellOnStderr(report),
                                                           SystemPasswordStore());
    ViewerSession session({options.pageUrl, options.params, modulePath, input,
                           ViewerPasswordPrompt(credentials), options.events ? stdout : nullptr,
                           static_cast<DWORD>(std::max(1.0, options.durationSeconds * 1000)), options.allowedClasses,
                           options.threads > 0 ? options.threads : 1u, options.sources, options.givenUsers,
                           options.tuning},
                          chained);
    report->store(&session.log(), std::memory_order_release);
    if (const int failed = session.open()) return failed;
    ViewerContainer& container = session.container();
    reconnect.setLog(&session.log());
    reconnect.attach(container);

    // With --geometry the cameras are composed as the window would show
    // them in a window of that size: each smaller, decoded smaller.
    if (options.width > 0 && options.height > 0) container.showAt(SIZE{options.width, options.height});
    const SIZE extent = container.shownExtent();
    auto surface = std::make_shared<Surface>(std::max<int>(extent.cx, 1), std::max<int>(extent.cy, 1));
    LinuxHeadlessFace face(container, *input, surface);
    const long frames = RunHeadlessLoop(face, script, session.log(),
                                        {options.durationSeconds, options.frames, options.snapshot, options.snapshotEvery,
                                         options.snapshotDir, options.record},
                                        statuses, &reconnect);
    session.close();
    return HeadlessExitStatus(frames, statuses.last(), !options.user.empty() && !credentials->withheld(), &reconnect);
}
