#include "host/win32/Window.h"

#include "host/core/HeadlessLoop.h"
#include "host/core/Recording.h"
#include "host/core/StatusLine.h"
#include "host/core/ViewerAddress.h"

#include <windowsx.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "host/container/EventLog.h"
#include "host/win32/Container.h"
#include "host/win32/FetchText.h"
#include "host/win32/PageSource.h"
#include "host/win32/Utf.h"
#include "host/win32/VideosFolder.h"

namespace {

constexpr wchar_t kWindowClass[] = L"CamviewViewer";
constexpr int kMessageHeight = 44;
constexpr int kStatusHeight = 22;
constexpr int kMinWidth = 480;
constexpr UINT kMessageArrived = WM_APP + 1;
constexpr UINT_PTR kStatusTimer = 1;

class ViewerWindow {
public:
    ViewerWindow(const CamviewOptions& options, std::string modulePath)
        : m_options(options), m_modulePath(std::move(modulePath)), m_log(options.events ? stdout : nullptr)
    {
    }
    int run();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    // A key for the viewer, wherever the focus is; true when it was one.
    bool key(const MSG& msg);
    void layout();
    void updateStatus();
    void toggleFullScreen();
    int controlUnderPointer() const;

    const CamviewOptions& m_options;
    std::string m_modulePath;
    EventLog m_log;
    HWND m_window = nullptr;
    HWND m_messageLabel = nullptr;
    HWND m_messageText = nullptr;
    HWND m_statusLine = nullptr;
    std::unique_ptr<Container> m_container;
    // Written by the frame's worker, read by the window's thread.
    std::mutex m_messageMutex;
    std::string m_message;
    ControlStatuses m_events; // each camera's last event
    FrameRates m_rates;
    ControlStatuses m_statuses; // each camera's status text while it has no picture
    int m_focused = -1; // the control with the keyboard focus, or -1
    bool m_fullScreen = false;
    WINDOWPLACEMENT m_placement{};
    LONG_PTR m_style = 0;
    Recorder m_recorder; // r and --record
};

LRESULT CALLBACK ViewerWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<ViewerWindow*>(create->lpCreateParams)->m_window = hwnd;
    }
    auto* self = reinterpret_cast<ViewerWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT ViewerWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        layout();
        return 0;
    case WM_TIMER:
        if (wParam == kStatusTimer) updateStatus();
        return 0;
    case kMessageArrived: {
        std::string text;
        {
            std::lock_guard lock(m_messageMutex);
            text = m_message;
        }
        SetWindowTextW(m_messageText, Widen(text).c_str());
        return 0;
    }
    case WM_SETCURSOR:
        if (m_container) m_container->pollCursor();
        break;
    case WM_CLOSE:
        DestroyWindow(m_window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void ViewerWindow::layout()
{
    RECT client;
    GetClientRect(m_window, &client);
    const int width = client.right;
    const int height = client.bottom;
    const SIZE grid = m_container ? m_container->extent() : SIZE{0, 0};
    // The grid centred above the bars when the window is larger.
    const int areaHeight = std::max(0, height - kMessageHeight - kStatusHeight);
    const POINT origin{std::max(0, (width - static_cast<int>(grid.cx)) / 2), std::max(0, (areaHeight - static_cast<int>(grid.cy)) / 2)};
    if (m_container) m_container->setOrigin(origin);
    MoveWindow(m_messageLabel, 6, areaHeight + 3, 64, 18, TRUE);
    MoveWindow(m_messageText, 70, areaHeight + 3, std::max(0, width - 76), kMessageHeight - 5, TRUE);
    MoveWindow(m_statusLine, 6, height - kStatusHeight + 3, std::max(0, width - 12), kStatusHeight - 4, TRUE);
}

int ViewerWindow::controlUnderPointer() const
{
    if (!m_container) return -1;
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(m_window, &pt);
    return m_container->controlOfWindow(ChildWindowFromPointEx(m_window, pt, CWP_SKIPINVISIBLE));
}

void ViewerWindow::updateStatus()
{
    if (!m_container) return;
    const auto now = std::chrono::steady_clock::now();
    StatusLineInput in;
    const std::size_t count = std::min(m_container->count(), m_rates.size());
    for (std::size_t i = 0; i < count; ++i) {
        in.hosts.push_back(m_container->cameraHost(i));
        in.rates.push_back(m_rates.rate(i, now));
        in.statuses.push_back(m_statuses.of(static_cast<int>(i)));
    }
    in.shown = controlUnderPointer();
    for (std::size_t i = 0; i < count; ++i) in.lastEvents.push_back(m_events.of(static_cast<int>(i)));
    in.latestEvent = m_events.last();
    in.credentialsGiven = !m_options.user.empty();
    in.recording = m_recorder.status();
    SetWindowTextW(m_statusLine, Widen(ComposeStatusLine(in)).c_str());
}

void ViewerWindow::toggleFullScreen()
{
    m_fullScreen = !m_fullScreen;
    if (m_fullScreen) {
        m_placement.length = sizeof m_placement;
        GetWindowPlacement(m_window, &m_placement);
        m_style = GetWindowLongPtrW(m_window, GWL_STYLE);
        SetWindowLongPtrW(m_window, GWL_STYLE, m_style & ~static_cast<LONG_PTR>(WS_OVERLAPPEDWINDOW));
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(m_window, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& r = monitor.rcMonitor;
        SetWindowPos(m_window, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_FRAMECHANGED);
    } else {
        SetWindowLongPtrW(m_window, GWL_STYLE, m_style);
        SetWindowPlacement(m_window, &m_placement);
        SetWindowPos(m_window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
}

bool ViewerWindow::key(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN || !m_container) return false;
    if (msg.hwnd != m_window && !IsChild(m_window, msg.hwnd)) return false; // a dialog's own keys
    switch (msg.wParam) {
    case VK_ESCAPE:
        m_log.write("\"key\":\"Escape\"");
        if (m_recorder.recording()) m_recorder.stopText();
        m_container->stop();
        return true;
    case 'R':
        m_recorder.toggle(*m_container, controlUnderPointer(), VideosFolder());
        updateStatus();
        return true;
    case 'P': {
        m_log.write("\"key\":\"p\"");
        const int index = controlUnderPointer();
        m_container->showProperties(static_cast<std::size_t>(index < 0 ? 0 : index), true);
        return true;
    }
    case 'Q':
        m_log.write("\"key\":\"q\"");
        DestroyWindow(m_window);
        return true;
    case 'F':
    case VK_F11:
        toggleFullScreen();
        return true;
    default:
        return false;
    }
}

int ViewerWindow::run()
{
    if (m_options.pageUrl.empty()) {
        std::fprintf(stderr, "camview: give the camera's page address\n");
        return 2;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &ViewerWindow::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
    CreateWindowExW(0, kWindowClass, L"camview", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                    480, nullptr, nullptr, wc.hInstance, this);
    if (!m_window) {
        std::fprintf(stderr, "camview: cannot open a window\n");
        return 2;
    }
    m_messageLabel = CreateWindowExW(0, L"STATIC", L"Message", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_window, nullptr,
                                     wc.hInstance, nullptr);
    m_messageText = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, m_window, nullptr,
                                    wc.hInstance, nullptr);
    m_statusLine = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 0, 0, 0, 0, m_window,
                                   nullptr, wc.hInstance, nullptr);
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (HWND child : {m_messageLabel, m_messageText, m_statusLine}) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowTextW(m_statusLine, (L"loading " + Widen(m_options.pageUrl)).c_str());
    ShowWindow(m_window, SW_SHOWDEFAULT);
    UpdateWindow(m_window);

    const PageSource page = LoadPageSource(m_options.pageUrl, m_options.params, m_options.user, m_window, true);
    if (!page.error.empty()) {
        std::fprintf(stderr, "camview: %s\n", page.error.c_str());
        DestroyWindow(m_window);
        return 1;
    }
    ContainerListener chained;
    chained.onMessage = [this](const std::string& text) {
        {
            std::lock_guard lock(m_messageMutex);
            m_message = text;
        }
        PostMessageW(m_window, kMessageArrived, 0, 0);
    };
    chained.onFrame = [this](int control, int, int) {
        if (control >= 0) m_rates.frame(static_cast<std::size_t>(control), std::chrono::steady_clock::now());
    };
    chained.onEvent = [this](int control, const std::string& name, const std::string& value) {
        m_events.set(control, name + (value == "null" ? "" : " " + value));
    };
    chained.onStatus = [this](int control, const std::string& text) { m_statuses.set(control, text); };
    ContainerSetup setup;
    setup.pageUrl = m_options.pageUrl;
    setup.modulePath = m_modulePath;
    setup.window = m_window;
    setup.inPlace = true;
    const std::string user = m_options.user;
    setup.getter = [user](const std::string& url, std::string& body, std::string& error) {
        return FetchPageBody(url, user, nullptr, false, body, error);
    };
    setup.listener = m_log.listener(chained);
    setup.policy = ControlPolicy(m_options.allowedClasses);
    m_container = std::make_unique<Container>(setup);
    m_rates.resize(page.objects.size());
    if (m_container->embed(page.objects) == 0) {
        std::fprintf(stderr, "camview: %s holds no OBJECT of a registered control\n", page.name.c_str());
        m_container.reset();
        DestroyWindow(m_window);
        return 2;
    }
    // The window fits the grid and the bars.
    const SIZE grid = m_container->extent();
    RECT frame{0, 0, std::max<LONG>(grid.cx, kMinWidth), grid.cy + kMessageHeight + kStatusHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_STYLE)), FALSE, 0);
    // The size and place the user asked for (--geometry) are the window's.
    const int width = m_options.width > 0 ? m_options.width : static_cast<int>(frame.right - frame.left);
    const int height = m_options.height > 0 ? m_options.height : static_cast<int>(frame.bottom - frame.top);
    SetWindowPos(m_window, nullptr, m_options.x, m_options.y, width, height,
                 SWP_NOZORDER | (m_options.placed ? 0 : SWP_NOMOVE));
    if (m_options.fullScreen && !m_fullScreen) toggleFullScreen();
    layout();
    SetWindowTextW(m_window, Widen(ViewerTitle(m_options.pageUrl)).c_str());
    SetTimer(m_window, kStatusTimer, 500, nullptr);
    if (!m_options.record.empty()) m_recorder.startAll(*m_container, m_options.record);
    updateStatus();

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (key(msg)) continue;
        // A control about to paint: what it draws is read first, for the
        // report (frames, status texts).
        if (msg.message == WM_PAINT) {
            const int index = m_container->controlOfWindow(msg.hwnd);
            if (index >= 0) m_container->inspect(static_cast<std::size_t>(index));
        }
        m_container->routeInput(msg);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) m_container->pollCursor();
        // The control with the keyboard focus, reported when it changes, as
        // the headless run does.
        if (const int focused = m_container->focusedControl(); focused != m_focused) {
            m_focused = focused;
            m_log.write("\"focus\":" + std::to_string(focused));
        }
    }
    for (const std::string& line : m_recorder.stop()) std::fprintf(stderr, "camview: %s\n", line.c_str());
    m_container->release();
    m_container.reset();
    return 0;
}

} // namespace

int RunWindow(const CamviewOptions& options, const std::string& modulePath)
{
    ViewerWindow viewer(options, modulePath);
    return viewer.run();
}
