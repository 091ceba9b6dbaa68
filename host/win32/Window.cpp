#include "host/win32/Window.h"

#include "host/core/HeadlessLoop.h"
#include "host/core/RecentAddresses.h"
#include "host/core/SnapshotName.h"
#include "host/core/Reconnect.h"
#include "host/core/Recording.h"
#include "host/core/StatusLine.h"
#include "host/core/ViewerAddress.h"
#include "host/core/ViewerKeys.h"

#include <windowsx.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <wininet.h>

#include "host/container/EventLog.h"
#include "host/page/NetworkErrors.h"
#include "host/win32/AddressPrompt.h"
#include "host/win32/Container.h"
#include "host/win32/FetchText.h"
#include "host/win32/PageSource.h"
#include "host/win32/PasswordCalls.h"
#include "host/win32/PasswordDialog.h"
#include "host/win32/PictureView.h"
#include "host/win32/Snapshots.h"
#include "host/win32/UserFolders.h"
#include "host/win32/Utf.h"
#include "host/win32/VideosFolder.h"

namespace {

constexpr wchar_t kWindowClass[] = L"CamviewViewer";
constexpr int kMinWidth = 480;
constexpr UINT kMessageArrived = WM_APP + 1;
constexpr UINT_PTR kStatusTimer = 1;
constexpr int kStatusLineId = 10;
// A page that has not answered by then is reported as not answering, and
// the address asked for again.
constexpr DWORD kPageTimeoutMs = 20000;
constexpr auto kNoticeTime = std::chrono::seconds(5);

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
    bool open();
    // Fetches the page on a worker while the window stays responsive; a
    // page that has not answered in kPageTimeoutMs is given up (WinInet's
    // own timeouts do not bound every wait under Wine). False when the
    // window was closed meanwhile.
    bool loadPage(const std::string& pageUrl, PageSource& page);
    // Shows the page until the window closes: 0; else why it could not be
    // shown is in m_failure, with the exit status.
    int showPage(const std::string& pageUrl);
    void closePage();
    // A key for the viewer, wherever the focus is; true when it was one.
    bool key(const MSG& msg);
    void layout();
    void updateStatus();
    void toggleFullScreen();
    void showAlone(int index);
    void takeSnapshot();
    void setNotice(const std::string& notice);

    const CamviewOptions& m_options;
    std::string m_modulePath;
    EventLog m_log;
    HWND m_window = nullptr;
    HWND m_messageLabel = nullptr;
    HWND m_messageText = nullptr;
    HWND m_statusLine = nullptr;
    HFONT m_font = nullptr;
    int m_lineHeight = 16; // of the bars' font
    PictureView m_picture;
    std::unique_ptr<Container> m_container;
    std::string m_pageUrl;
    std::string m_user; // NAME:PASSWORD for the page's camera: given, typed, or none
    std::string m_failure;
    bool m_closed = false; // the person closed the window
    // Written by the frame's worker, read by the window's thread.
    std::mutex m_messageMutex;
    std::string m_message;
    ControlStatuses m_events; // each camera's last event
    FrameRates m_rates;
    ControlStatuses m_statuses; // each camera's status text while it has no picture
    // Cameras whose stream ended are made again (unless --no-reconnect);
    // the view keeps the last picture of each that drew one.
    std::unique_ptr<ReconnectWatch> m_reconnect;
    std::vector<bool> m_drew;
    std::string m_notice;       // in the status line for a while
    std::chrono::steady_clock::time_point m_noticeUntil;
    int m_focused = -1; // the control with the keyboard focus, or -1
    int m_alone = -1;   // the camera shown alone, or -1 for the grid
    bool m_keys = false;
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
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = POINT{160, 120 + 4 * m_lineHeight};
        return 0;
    }
    case WM_TIMER:
        if (wParam == kStatusTimer) {
            if (m_container && m_reconnect && m_options.reconnect) {
                m_reconnect->step();
                m_recorder.follow(*m_container); // into the same file from a camera made again
                m_picture.tickReconnect();
            }
            if (m_container) m_container->pollNotices();
            updateStatus();
        }
        return 0;
    case WM_COMMAND:
        // A double click on the status line switches full screen.
        if (LOWORD(wParam) == kStatusLineId && HIWORD(wParam) == STN_DBLCLK) toggleFullScreen();
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
        m_closed = true;
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
    // The bars keep their size, as high as their font needs, and span the
    // whole width; the picture takes the rest.
    const int statusHeight = m_lineHeight + 6;
    const int messageHeight = 2 * m_lineHeight + 8;
    const int areaHeight = std::max(0, height - messageHeight - statusHeight);
    m_picture.layout(RECT{0, 0, width, areaHeight}, m_alone);
    const int labelWidth = 8 * m_lineHeight / 2 + 8;
    MoveWindow(m_messageLabel, 6, areaHeight + 4, labelWidth, m_lineHeight, TRUE);
    MoveWindow(m_messageText, labelWidth + 12, areaHeight + 4, std::max(0, width - labelWidth - 18), messageHeight - 6, TRUE);
    MoveWindow(m_statusLine, 6, height - statusHeight + 3, std::max(0, width - 12), m_lineHeight, TRUE);
    // The bars' background is the window's: painted again whole.
    RECT bars{0, areaHeight, width, height};
    InvalidateRect(m_window, &bars, TRUE);
}

void ViewerWindow::setNotice(const std::string& notice)
{
    m_notice = notice;
    m_noticeUntil = std::chrono::steady_clock::now() + kNoticeTime;
    updateStatus();
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
    in.shown = m_alone >= 0 ? m_alone : m_picture.controlUnderPointer();
    if (now < m_noticeUntil) in.notice = m_notice;
    for (std::size_t i = 0; i < count; ++i) in.lastEvents.push_back(m_events.of(static_cast<int>(i)));
    in.latestEvent = m_events.last();
    in.credentialsGiven = !m_user.empty();
    in.recording = m_recorder.status();
    const std::wstring line = Widen(ComposeStatusLine(in));
    // Set only when it changed: the static control repaints on each set.
    wchar_t shown[1024] = L"";
    GetWindowTextW(m_statusLine, shown, static_cast<int>(sizeof shown / sizeof shown[0]));
    if (line != shown) SetWindowTextW(m_statusLine, line.c_str());
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
    layout();
}

void ViewerWindow::showAlone(int index)
{
    m_alone = index;
    layout();
    updateStatus();
}

void ViewerWindow::takeSnapshot()
{
    if (!m_container || m_container->count() == 0) return;
    // The camera shown alone or under the pointer, else each camera.
    const int one = m_alone >= 0 ? m_alone : m_picture.controlUnderPointer();
    std::vector<std::size_t> cameras;
    for (std::size_t i = 0; i < m_container->count(); ++i)
        if (one < 0 || static_cast<std::size_t>(one) == i) cameras.push_back(i);
    const std::string folder = PicturesFolder();
    const std::vector<std::string> written = WriteSnapshots(*m_container, cameras, folder, std::time(nullptr));
    const std::string notice = SnapshotNotice(written, cameras.size(), folder);
    setNotice(notice);
}

bool ViewerWindow::key(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN || !m_container) return false;
    if (msg.hwnd != m_window && !IsChild(m_window, msg.hwnd)) return false; // a dialog's own keys
    if (m_keys) {
        // Any key closes the keys' list.
        m_keys = false;
        m_picture.showKeys(false);
        return true;
    }
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const WPARAM k = msg.wParam;
    if (k == 'H' || k == VK_F1 || (k == VK_OEM_2 && shift)) {
        m_keys = true;
        m_picture.showKeys(true);
        return true;
    }
    if ((k >= '0' && k <= '9') || (k >= VK_NUMPAD0 && k <= VK_NUMPAD9)) {
        const char digit = static_cast<char>(k >= VK_NUMPAD0 ? '0' + (k - VK_NUMPAD0) : k);
        showAlone(AloneAfterKey(digit, m_container->count(), m_alone));
        return true;
    }
    switch (k) {
    case VK_ESCAPE:
        m_log.write("\"key\":\"Escape\"");
        // In full screen Esc leaves it; else it is the browser's Stop.
        if (m_fullScreen) {
            toggleFullScreen();
            return true;
        }
        if (m_reconnect) m_reconnect->stop(); // stopped by the user: no camera is made again
        if (m_recorder.recording()) m_recorder.stopText();
        m_container->stop();
        m_picture.showStopped();
        return true;
    case VK_F5:
    case VK_RETURN: {
        // As a browser's Reload: the camera shown alone or under the
        // pointer, else every camera, made again from the page, Stop undone.
        const int target = m_alone >= 0 ? m_alone : m_picture.controlUnderPointer();
        // Enter on a camera whose password was cancelled (or, on none, the
        // first such camera) asks it again, and only it.
        if (!m_reconnect) return true;
        if (k == VK_RETURN && m_reconnect->retryPassword(target)) return true;
        for (const std::size_t i : m_reconnect->reload(target, m_container->count())) {
            m_picture.forgetLastPicture(i);
            m_container->reload(i);
        }
        m_picture.showStopped();
        return true;
    }
    case 'R':
        m_recorder.toggle(*m_container, m_alone >= 0 ? m_alone : m_picture.controlUnderPointer(), VideosFolder());
        updateStatus();
        return true;
    case 'P': {
        m_log.write("\"key\":\"p\"");
        const int index = m_alone >= 0 ? m_alone : m_picture.controlUnderPointer();
        m_container->showProperties(static_cast<std::size_t>(index < 0 ? 0 : index), true);
        return true;
    }
    case 'Q':
        m_log.write("\"key\":\"q\"");
        m_closed = true;
        DestroyWindow(m_window);
        return true;
    case 'F':
    case VK_F11:
        toggleFullScreen();
        return true;
    case 'S':
        takeSnapshot();
        return true;
    default:
        return false;
    }
}

bool ViewerWindow::open()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &ViewerWindow::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
    CreateWindowExW(0, kWindowClass, L"camview", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                    480, nullptr, nullptr, wc.hInstance, this);
    if (!m_window || !m_picture.create(m_window)) {
        std::fprintf(stderr,
                     "camview: cannot open a window (error %lu); under Wine, set DISPLAY to a running X server, "
                     "or use --headless with Wine's null display driver (see the README)\n",
                     GetLastError());
        return false;
    }
    m_messageLabel = CreateWindowExW(0, L"STATIC", L"Message", WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 0, 0, 0, m_window,
                                     nullptr, wc.hInstance, nullptr);
    m_messageText = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, 0, 0,
                                    0, 0, m_window, nullptr, wc.hInstance, nullptr);
    // The status line: one line, a long text elided at its end.
    m_statusLine = CreateWindowExW(0, L"STATIC", L"",
                                   WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS | SS_NOPREFIX | SS_NOTIFY, 0,
                                   0, 0, 0, m_window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusLineId)),
                                   wc.hInstance, nullptr);
    // The bars' font is the system's message font; their height follows it.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        m_font = CreateFontIndirectW(&metrics.lfMessageFont);
    HFONT font = m_font ? m_font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    HDC dc = GetDC(m_window);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW text{};
    if (GetTextMetricsW(dc, &text)) m_lineHeight = std::max<int>(12, text.tmHeight + text.tmExternalLeading + 2);
    SelectObject(dc, old);
    ReleaseDC(m_window, dc);
    for (HWND child : {m_messageLabel, m_messageText, m_statusLine})
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ShowWindow(m_window, SW_SHOWDEFAULT);
    layout();
    UpdateWindow(m_window);
    return true;
}

bool ViewerWindow::loadPage(const std::string& pageUrl, PageSource& page)
{
    auto result = std::make_shared<std::promise<PageSource>>();
    std::future<PageSource> fetched = result->get_future();
    std::thread([result, pageUrl, params = m_options.params, user = m_user, owner = m_window] {
        result->set_value(LoadPageSource(pageUrl, params, user, owner, true, kPageTimeoutMs));
    }).detach();
    const auto limit = std::chrono::milliseconds(kPageTimeoutMs);
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (fetched.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        const auto now = std::chrono::steady_clock::now();
        // The password dialog the fetch shows (owned by this window)
        // waits for a person: the page's time runs only without it.
        if (GetWindow(m_window, GW_ENABLEDPOPUP)) deadline = now + limit;
        if (now >= deadline) {
            // The worker, blocked in WinInet, ends with the process.
            page.error = PageFetchError(pageUrl, ERROR_INTERNET_TIMEOUT);
            return true;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return false;
            // Esc gives the page up (the worker ends with the process, or
            // when WinInet lets it go); q quits.
            if (msg.message == WM_KEYDOWN && (msg.hwnd == m_window || IsChild(m_window, msg.hwnd))) {
                if (msg.wParam == VK_ESCAPE) {
                    page.error = "loading " + UrlAuthority(pageUrl) + " was cancelled";
                    return true;
                }
                if (msg.wParam == 'Q') {
                    m_closed = true;
                    DestroyWindow(m_window);
                }
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    page = fetched.get();
    return true;
}

void ViewerWindow::closePage()
{
    KillTimer(m_window, kStatusTimer);
    for (const std::string& line : m_recorder.stop()) std::fprintf(stderr, "camview: %s\n", line.c_str());
    m_picture.setReconnect(nullptr);
    m_picture.attach(nullptr, SIZE{0, 0});
    if (m_container) m_container->release();
    m_container.reset();
    AnswerPasswordsWith(nullptr);
    m_reconnect.reset();
    m_alone = -1;
}

int ViewerWindow::showPage(const std::string& pageUrl)
{
    m_pageUrl = pageUrl;
    m_failure.clear();
    SetWindowTextW(m_statusLine,
                   (L"loading " + Widen(pageUrl.empty() ? "the parameters" : UrlAuthority(pageUrl)) + L"... (Esc to cancel)").c_str());
    UpdateWindow(m_window);
    PageSource page;
    if (!loadPage(pageUrl, page)) return 0; // the window was closed meanwhile
    if (!page.error.empty()) {
        m_failure = page.error;
        std::fprintf(stderr, "camview: %s\n", m_failure.c_str());
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
        if (control < 0) return;
        m_rates.frame(static_cast<std::size_t>(control), std::chrono::steady_clock::now());
        if (static_cast<std::size_t>(control) < m_drew.size()) m_drew[static_cast<std::size_t>(control)] = true;
    };
    chained.onEvent = [this](int control, const std::string& name, const std::string& value) {
        m_events.set(control, name + (value == "null" ? "" : " " + value));
    };
    chained.onStatus = [this](int control, const std::string& text) { m_statuses.set(control, text); };
    // A frame the control dropped for its size is the camera's last event.
    chained.onNotice = [this](int control, const std::string& text) { m_events.set(control, text); };
    m_reconnect = std::make_unique<ReconnectWatch>(&m_log);
    // The credentials given answer their camera once; after that, other
    // cameras, and without them, the person is asked over the window.
    AnswerPasswordsWith(std::make_shared<CameraCredentials>(pageUrl, m_user, PersonAskedInDialog(m_window),
                                                            TellOnStderr(std::make_shared<std::atomic<EventLog*>>(&m_log)),
                                                            SystemPasswordStore()));
    if (m_options.reconnect) chained = m_reconnect->listener(chained);
    ContainerSetup setup;
    setup.pageUrl = pageUrl;
    setup.modulePath = m_modulePath;
    setup.window = m_window;
    setup.stage = m_picture.stage();
    setup.inPlace = true;
    setup.getter = [pageUrl, user = m_user](const std::string& url, std::string& body, std::string& error) {
        return FetchPageBody(url, CredentialsForUrl(pageUrl, user, url), nullptr, false, body, error);
    };
    setup.listener = m_log.listener(chained);
    setup.policy = ControlPolicy(m_options.allowedClasses);
    m_container = std::make_unique<Container>(setup);
    m_events.clear();
    m_statuses.clear();
    m_rates = FrameRates();
    m_rates.resize(page.objects.size());
    if (m_container->embed(page.objects) == 0) {
        m_failure = page.name + " holds no OBJECT of a registered control";
        std::fprintf(stderr, "camview: %s\n", m_failure.c_str());
        closePage();
        return 2;
    }
    m_picture.attach(m_container.get(), m_container->extent());
    m_drew.assign(m_container->count(), false);
    m_reconnect->attach(*m_container);
    // The view keeps the camera's last picture before its control is made again.
    m_reconnect->setReload([this](std::size_t camera) {
        if (camera < m_drew.size() && m_drew[camera]) m_picture.keepLastPicture(camera);
        return m_container->reload(camera);
    });
    // The view asks it which cameras wait, and which the user stopped.
    m_picture.setReconnect(m_reconnect.get());
    // The window fits the grid and the bars, on the screen's work area
    // (a larger grid opens scaled to fit, its shape kept), unless the user
    // asked for a size and place (--geometry).
    const SIZE grid = m_container->extent();
    const int bars = 3 * m_lineHeight + 14;
    RECT frame{0, 0, std::max<LONG>(grid.cx, kMinWidth), grid.cy + bars};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_STYLE)), FALSE, 0);
    int width = m_options.width > 0 ? m_options.width : static_cast<int>(frame.right - frame.left);
    int height = m_options.height > 0 ? m_options.height : static_cast<int>(frame.bottom - frame.top);
    RECT work{0, 0, 0, 0};
    if (m_options.width == 0 && SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) && work.right > work.left &&
        (width > work.right - work.left || height > work.bottom - work.top)) {
        const double fit = std::min(static_cast<double>(work.right - work.left) / width,
                                    static_cast<double>(work.bottom - work.top) / height);
        width = std::max(160, static_cast<int>(width * fit));
        height = std::max(120, static_cast<int>(height * fit));
    }
    SetWindowPos(m_window, nullptr, m_options.x, m_options.y, width, height,
                 SWP_NOZORDER | (m_options.placed ? 0 : SWP_NOMOVE));
    if (m_options.fullScreen && !m_fullScreen) toggleFullScreen();
    layout();
    SetWindowTextW(m_window, Widen(ViewerTitle(pageUrl)).c_str());
    SetTimer(m_window, kStatusTimer, 500, nullptr);
    if (!m_options.record.empty()) m_recorder.startAll(*m_container, m_options.record);
    updateStatus();
    // Only addresses that worked are offered again, those given on the
    // command line too.
    if (!pageUrl.empty() && m_options.params.empty()) RecentAddresses(RecentAddressesFile()).remember(pageUrl);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (key(msg)) continue;
        // The mouse over the picture goes to the control under it, at its
        // own coordinates; a press makes that control the active one.
        const bool routed = m_picture.routeMouse(msg);
        if (!routed) m_container->routeInput(msg);
        else if (msg.message != WM_MOUSEMOVE && msg.message != WM_MOUSEWHEEL && msg.message != WM_MOUSEHWHEEL &&
                 msg.message != WM_LBUTTONUP && msg.message != WM_RBUTTONUP && msg.message != WM_MBUTTONUP)
            m_container->routeInput(msg); // a press gives the control the focus
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) m_container->pollCursor();
        // The report's reader went away: the run ends, its recordings closed.
        if (m_log.broken() && !m_closed) {
            m_closed = true;
            DestroyWindow(m_window);
        }
        // The control with the keyboard focus, reported when it changes, as
        // the headless run does.
        if (const int focused = m_container->focusedControl(); focused != m_focused) {
            m_focused = focused;
            m_log.write("\"focus\":" + std::to_string(focused));
        }
    }
    closePage();
    return 0;
}

int ViewerWindow::run()
{
    if (!open()) return 2;
    // An address that cannot be shown leaves the window open: the address
    // dialog says why and asks again.
    std::string pageUrl = m_options.pageUrl;
    m_user = m_options.user;
    std::string notice;
    int exitCode = 0;
    for (;;) {
        if (pageUrl.empty() && m_options.params.empty()) {
            SetWindowTextW(m_window, L"camview");
            SetWindowTextW(m_statusLine, Widen(notice).c_str());
            // Credentials typed in the address answer its camera as the
            // command line's do; the address goes on without them.
            const ViewerAddress typed =
                ReadViewerAddress(AskAddress(m_window, RecentAddresses(RecentAddressesFile()).list(), notice));
            pageUrl = typed.url;
            m_user = !typed.user.empty() ? typed.user : GivenUserFor(m_options, pageUrl);
            if (pageUrl.empty()) break;
        }
        exitCode = showPage(pageUrl);
        if (exitCode == 0 || !m_options.params.empty() || m_closed) break;
        notice = m_failure;
        pageUrl.clear();
    }
    if (IsWindow(m_window)) DestroyWindow(m_window);
    if (m_font) DeleteObject(m_font);
    return exitCode;
}

} // namespace

int RunWindow(const CamviewOptions& options, const std::string& modulePath)
{
    ViewerWindow viewer(options, modulePath);
    return viewer.run();
}
