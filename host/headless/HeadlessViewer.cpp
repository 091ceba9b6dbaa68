#include "host/headless/HeadlessViewer.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "host/container/EventLog.h"
#include "host/container/PageLoader.h"
#include "host/container/ViewerContainer.h"
#include "host/container/ViewerSession.h"
#include "host/headless/InputScript.h"
#include "host/page/NetworkErrors.h"
#include "platform/window/InputState.h"
#include "platform/wininet/WinInet.h"

namespace {

// Applies one scripted action: the physical button state first (what
// GetAsyncKeyState reports), then the messages.
bool apply(const InputAction& a, ViewerContainer& container, SettableInputState& input, POINT& pointer, EventLog& log)
{
    auto keys = [&] {
        return (input.isKeyDown(VK_LBUTTON) ? MK_LBUTTON : 0) | (input.isKeyDown(VK_RBUTTON) ? MK_RBUTTON : 0);
    };
    const MouseButton button = a.right ? MouseButton::Right : MouseButton::Left;
    const int vk = a.right ? VK_RBUTTON : VK_LBUTTON;
    switch (a.kind) {
    case InputAction::Kind::Move:
        pointer = a.pt;
        container.mouseMove(a.pt, keys());
        break;
    case InputAction::Kind::Down:
    case InputAction::Kind::Up:
        pointer = a.pt;
        input.setKeyDown(vk, a.kind == InputAction::Kind::Down);
        container.mouseButton(button, a.kind == InputAction::Kind::Down, a.pt, keys());
        break;
    case InputAction::Kind::Click:
        pointer = a.pt;
        input.setKeyDown(vk, true);
        container.mouseButton(button, true, a.pt, keys());
        input.setKeyDown(vk, false);
        container.mouseButton(button, false, a.pt, keys());
        break;
    case InputAction::Kind::Wheel:
        pointer = a.pt;
        container.mouseWheel(a.pt, a.notches, keys());
        break;
    case InputAction::Kind::Key:
        // The report says when the key was given, so that what follows it
        // can be told from what came before however busy the machine is.
        log.write("\"key\":\"" + EventLog::Escape(a.key) + "\"");
        if (a.key == "Escape") container.stop();
        else if (a.key == "p") container.showProperties(static_cast<std::size_t>(std::max(0, container.controlAt(pointer))));
        else if (a.key == "q") return false;
        break;
    }
    return true;
}

} // namespace

int RunHeadless(const HeadlessOptions& options)
{
    InputScript script;
    if (!options.inputFile.empty()) {
        script = ReadInputScript(options.inputFile);
        if (!script.error.empty()) {
            std::fprintf(stderr, "camview: %s\n", script.error.c_str());
            return 2;
        }
    }

    // The physical buttons are what the script holds down.
    auto input = std::make_shared<SettableInputState>();
    std::string status;
    ContainerListener chained;
    chained.onStatus = [&](int, const std::string& text) { status = text; };
    ViewerSession session({options.pageUrl, options.params, options.modulePath, input, CredentialsPrompt(options.user),
                           options.events ? stdout : nullptr},
                          chained);
    if (const int failed = session.open()) return failed;
    ViewerContainer& container = session.container();
    EventLog& log = session.log();

    const SIZE extent = container.extent();
    auto surface = std::make_shared<Surface>(std::max<int>(extent.cx, 1), std::max<int>(extent.cy, 1));
    // Script times count from the viewer's start, as the report's do.
    auto elapsedMs = [&] { return static_cast<std::uint64_t>(log.elapsedMs()); };
    std::size_t next = 0;
    long lastSnapshotFrames = 0;
    POINT pointer{0, 0};
    bool running = true;
    container.pollCursor();
    while (running && elapsedMs() < options.durationSeconds * 1000 && (options.frames < 0 || log.frames() < options.frames)) {
        while (running && next < script.actions.size() && script.actions[next].atMs <= elapsedMs())
            running = apply(script.actions[next++], container, *input, pointer, log);
        container.pumpMessages();
        container.pollCursor();
        container.paint(surface);
        if (options.snapshotEvery > 0 && log.frames() - lastSnapshotFrames >= options.snapshotEvery) {
            lastSnapshotFrames = log.frames();
            char name[32];
            std::snprintf(name, sizeof name, "/frame-%06ld.png", lastSnapshotFrames);
            WriteSurfacePng(*surface, options.snapshotDir + name);
        }
        std::uint64_t idle = container.idleMs(16);
        if (next < script.actions.size()) idle = std::min(idle, script.actions[next].atMs - std::min(script.actions[next].atMs, elapsedMs()));
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max<std::uint64_t>(idle, 1)));
    }
    if (!options.snapshot.empty()) {
        if (WriteSurfacePng(*surface, options.snapshot))
            std::fprintf(stderr, "camview: snapshot written to %s\n", options.snapshot.c_str());
        else
            std::fprintf(stderr, "camview: cannot write %s\n", options.snapshot.c_str());
    }
    const long frames = log.frames();
    session.close();
    if (frames == 0) {
        const std::string meaning = ExplainControlStatus(status);
        std::string shown = status;
        while (!shown.empty() && (shown.back() == '\n' || shown.back() == ' ')) shown.pop_back();
        shown.erase(0, shown.find_first_not_of(' '));
        std::fprintf(stderr, "camview: no picture; the control shows: %s\n", shown.c_str());
        if (!meaning.empty()) std::fprintf(stderr, "camview: %s\n", meaning.c_str());
        return 1;
    }
    return 0;
}
