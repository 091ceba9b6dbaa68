#include "host/win32/headless/Headless.h"

#include <cwchar>

#include <algorithm>
#include <cstdio>
#include <string>

#include "host/core/EventLog.h"
#include "host/core/HeadlessLoop.h"
#include "host/core/InputScript.h"
#include "host/win32/window/Canvas.h"
#include "host/core/page/WallLoad.h"
#include "host/win32/container/Container.h"
#include "host/win32/container/PageLoader.h"
#include "host/win32/container/PasswordCalls.h"
#include "host/win32/window/PointerInput.h"
#include "host/win32/container/PngWriter.h"

namespace {

constexpr wchar_t kWindowClass[] = L"CamviewHeadlessViewer";

// The viewer's window: never shown, unless the script moves the mouse.
// Then it is a plain window the size of the grid, on top of the others at
// the top-left corner of the work area, so that the pointer the script
// moves over the screen finds the controls there.
HWND makeViewerWindow(bool forPointer)
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
    if (forPointer)
        return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kWindowClass, L"camview", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 640,
                               480, nullptr, nullptr, wc.hInstance, nullptr);
    return CreateWindowExW(0, kWindowClass, L"camview", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

// Shows the window for the script's pointer, on top, at the top-left
// corner of the work area, the size of the grid. The pointer is first put
// away from where the window comes (the screen's last pixel, when the
// window does not cover it), so that the script's first move is one
// wherever a run before left the pointer.
void showForPointer(HWND window, SIZE extent, PointerInput& mouse)
{
    RECT work{0, 0, 0, 0};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT area{work.left, work.top, work.left + std::max<LONG>(extent.cx, 1), work.top + std::max<LONG>(extent.cy, 1)};
    const POINT corner{GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1,
                       GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1};
    if (!PtInRect(&area, corner)) mouse.moveTo(corner);
    SetWindowPos(window, HWND_TOPMOST, area.left, area.top, area.right - area.left, area.bottom - area.top, SWP_SHOWWINDOW);
    SetForegroundWindow(window);
    UpdateWindow(window);
}

bool movesThePointer(const InputScript& script)
{
    return std::any_of(script.actions.begin(), script.actions.end(),
                       [](const InputAction& a) { return a.kind != InputAction::Kind::Key; });
}

// The Windows face of the headless run: the controls are drawn into a
// bitmap whenever their picture changes; the mouse goes through the
// system's input queue at the point of the screen where the grid's point
// is (the pointer first moves there, then the button or the wheel acts).
class WindowsHeadlessFace final : public HeadlessFace {
public:
    WindowsHeadlessFace(Container& container, PointerInput& mouse, HWND window, EventLog& log, Canvas& canvas)
        : m_container(container), m_mouse(mouse), m_window(window), m_log(log), m_canvas(canvas)
    {
        m_container.pollCursor();
    }

    bool applyPointer(const InputAction& a) override
    {
        POINT screen = a.pt;
        ClientToScreen(m_window, &screen);
        if (!m_mouse.moveTo(screen) && !m_unreachableTold) {
            m_unreachableTold = true;
            std::fprintf(stderr, "camview: the pointer cannot be moved to (%ld, %ld) of the viewer, (%ld, %ld) on the screen\n",
                         static_cast<long>(a.pt.x), static_cast<long>(a.pt.y), static_cast<long>(screen.x),
                         static_cast<long>(screen.y));
        }
        switch (a.kind) {
        case InputAction::Kind::Down:
            m_mouse.button(a.right, true);
            break;
        case InputAction::Kind::Up:
            m_mouse.button(a.right, false);
            break;
        case InputAction::Kind::Click: {
            // The press is delivered before the release is made.
            m_mouse.button(a.right, true);
            const bool running = pump();
            m_mouse.button(a.right, false);
            return running;
        }
        case InputAction::Kind::Wheel:
            m_mouse.wheel(a.notches);
            break;
        default:
            break;
        }
        return true;
    }
    ControlHost& host() override { return m_container; }
    void showProperties(POINT pt) override
    {
        m_container.showProperties(static_cast<std::size_t>(std::max(0, m_container.controlAt(pt))), false);
    }
    // Delivers what is due: the mouse's messages through the container's
    // routing, as in the shown viewer; a control that paints its window has
    // a new picture to report and to draw into the canvas. A dialog that a
    // control's internet layer opens is cancelled: no one can answer it.
    bool pump() override
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return false;
            if (msg.message == WM_PAINT) {
                const int index = m_container.controlOfWindow(msg.hwnd);
                if (index >= 0) m_container.markChanged(static_cast<std::size_t>(index));
            }
            m_container.routeInput(msg);
            m_container.dispatch(msg);
            if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) m_container.pollCursor();
            pollFocus();
        }
        m_container.pollNotices();
        CancelOwnDialogs();
        return true;
    }
    void paint() override
    {
        m_container.pollCursor();
        m_container.refresh(m_canvas.dc(), false);
    }
    bool writePng(const std::string& path) override { return m_canvas.write(path); }
    void wait(std::uint64_t ms) override
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT);
    }

private:
    // Reports which control has the keyboard focus when that changes (-1:
    // none of them), so that what the focus does to the input can be told.
    void pollFocus()
    {
        const int focused = m_container.focusedControl();
        if (focused == m_focused) return;
        m_focused = focused;
        m_log.write("\"focus\":" + std::to_string(focused));
    }

    Container& m_container;
    PointerInput& m_mouse;
    HWND m_window;
    EventLog& m_log;
    Canvas& m_canvas;
    bool m_unreachableTold = false;
    int m_focused = -1;
};

} // namespace

int RunHeadless(const CamviewOptions& options, const std::string& modulePath)
{
    InputScript script;
    if (!LoadInputScript(options.inputFile, script)) return 2;

    EventLog log(options.events ? stdout : nullptr);
    ControlStatuses statuses;
    ContainerListener chained;
    chained.onStatus = [&](int control, const std::string& text) { statuses.set(control, text); };
    // Ends are reported whether or not the cameras are made again.
    ReconnectWatch reconnect(&log);
    reconnect.setReconnecting(options.reconnect);
    chained = reconnect.listener(chained);

    // Only a shown window receives the system's mouse input: the controls
    // are then active in place in it and paint there.
    const bool forPointer = movesThePointer(script);
    HWND window = makeViewerWindow(forPointer);
    if (!window) {
        // Without a window the controls' timers never run: the run would
        // sit at "Connecting..." and end with no picture, saying nothing.
        std::fprintf(stderr,
                     "camview: no window can be made here (error %lu), and the controls need windows even headless; "
                     "under Wine, set DISPLAY to a running X server, or choose Wine's null display driver: "
                     "wine reg add \"HKCU\\Software\\Wine\\Drivers\" /v Graphics /d null /f\n",
                     GetLastError());
        return 2;
    }
    // Headless no one can be asked: a camera that refuses the credentials
    // given, or asks without any for it, gets its request cancelled.
    auto credentials = std::make_shared<CameraCredentials>(
        options.givenUsers, AskPerson(), TellOnStderr(std::make_shared<std::atomic<EventLog*>>(&log)), SystemPasswordStore());
    AnswerPasswordsWith(credentials);
    // --duration bounds the whole run, the page's fetch included.
    const DWORD pageTimeoutMs = static_cast<DWORD>(std::max(1.0, options.durationSeconds * 1000));
    PageLoad page;
    if (options.sources.size() <= 1) {
        page = LoadPageSource(options.pageUrl, options.params, options.user, window, false, pageTimeoutMs);
    } else {
        const std::atomic<bool> never{false};
        WallLoad wall = LoadWall(
            options.sources,
            [window](const PageSource& source, const std::string& user, DWORD timeoutMs, const std::atomic<bool>&) {
                return LoadPageSource(source.url, source.params, user, window, false, timeoutMs);
            },
            [&options](const std::string& url) { return CredentialsForUrl(options.givenUsers, url); }, pageTimeoutMs, never);
        for (const auto& [address, why] : wall.failures) {
            std::fprintf(stderr, "camview: %s\n", why.c_str());
            log.pageFailed(address, why);
        }
        page = std::move(wall.page);
    }
    if (!page.error.empty()) {
        std::fprintf(stderr, "camview: %s\n", page.error.c_str());
        log.pageFailed(page.name, page.error);
        AnswerPasswordsWith(nullptr);
        DestroyWindow(window);
        return 1;
    }
    ContainerSetup setup;
    setup.pageUrl = options.pageUrl;
    setup.modulePath = modulePath;
    setup.window = window;
    setup.inPlace = forPointer;
    setup.getter = [given = options.givenUsers](const std::string& url, std::string& body, std::string& error) {
        return FetchPageBody(url, CredentialsForUrl(given, url), nullptr, false, body, error);
    };
    setup.listener = log.listener(chained);
    setup.policy = ControlPolicy(options.allowedClasses);
    setup.tuning = options.tuning;
    // One thread unless --threads asks for more, as on Linux.
    setup.threads = options.threads > 0 ? options.threads : 1u;
    auto container = std::make_unique<Container>(setup);
    if (container->embed(page.objects) == 0) {
        std::fprintf(stderr, "camview: %s\n", NoControlText(page).c_str());
        container.reset();
        AnswerPasswordsWith(nullptr);
        DestroyWindow(window);
        return 2;
    }

    reconnect.attach(*container);
    const SIZE extent = container->extent();
    Canvas canvas(std::max<int>(extent.cx, 1), std::max<int>(extent.cy, 1));
    PointerInput mouse;
    if (forPointer) showForPointer(window, extent, mouse);
    WindowsHeadlessFace face(*container, mouse, window, log, canvas);
    const long frames = RunHeadlessLoop(face, script, log,
                                        {options.durationSeconds, options.frames, options.snapshot, options.snapshotEvery,
                                         options.snapshotDir, options.record},
                                        statuses, &reconnect);
    // The controls go first, then any button the script still holds is let
    // go: no control hears a release the script did not make.
    container->release();
    mouse.releaseAll();
    container.reset();
    AnswerPasswordsWith(nullptr);
    DestroyWindow(window);
    return HeadlessExitStatus(frames, statuses.last(), !options.user.empty() && !credentials->withheld(), &reconnect);
}
