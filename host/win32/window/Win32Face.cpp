#include "host/win32/window/Win32Face.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <vector>

#include "host/core/UserFolders.h"
#include "host/core/ViewerShell.h"
#include "host/win32/window/AddressPrompt.h"
#include "host/win32/container/Container.h"
#include "host/win32/container/PageLoader.h"
#include "host/win32/container/PasswordCalls.h"
#include "host/win32/window/PasswordDialog.h"
#include "host/win32/window/PictureView.h"
#include "host/win32/window/Snapshots.h"
#include "host/win32/window/WindowBars.h"
#include "host/win32/container/Utf.h"

namespace {

constexpr wchar_t kWindowClass[] = L"CamviewViewer";
constexpr UINT kMessageArrived = WM_APP + 1;
constexpr UINT_PTR kStatusTimer = 1;

ViewerKey keyOf(WPARAM k, char& digit)
{
    digit = 0;
    if (k >= '0' && k <= '9') digit = static_cast<char>(k);
    else if (k >= VK_NUMPAD0 && k <= VK_NUMPAD9) digit = static_cast<char>('0' + (k - VK_NUMPAD0));
    if (digit) return ViewerKey::Digit;
    switch (k) {
    case 'H': return ViewerKey::H;
    case VK_OEM_2: return GetKeyState(VK_SHIFT) < 0 ? ViewerKey::Question : ViewerKey::Other;
    case VK_F1: return ViewerKey::F1;
    case 'F': return ViewerKey::F;
    case VK_F11: return ViewerKey::F11;
    case 'S': return ViewerKey::S;
    case 'R': return ViewerKey::R;
    case 'P': return ViewerKey::P;
    case 'Q': return ViewerKey::Q;
    case VK_ESCAPE: return ViewerKey::Escape;
    case VK_F5: return ViewerKey::F5;
    case VK_TAB: return ViewerKey::Tab;
    case 'A': return ViewerKey::A;
    case VK_DELETE: return ViewerKey::Delete;
    case VK_F2: return ViewerKey::F2;
    case VK_OEM_4: return ViewerKey::BracketLeft;
    case VK_OEM_6: return ViewerKey::BracketRight;
    case VK_LEFT: return ViewerKey::Left;
    case VK_RIGHT: return ViewerKey::Right;
    case VK_UP: return ViewerKey::Up;
    case VK_DOWN: return ViewerKey::Down;
    case VK_RETURN: return ViewerKey::Enter;
    default: return ViewerKey::Other;
    }
}

// camview.exe's window: the picture view (the controls' grid, or one
// camera alone, scaled with its shape kept), the "Message" text below it
// and the status line, both static controls in the system's font, laid out
// again at every size.
class Win32Face final : public ViewerFace {
public:
    Win32Face(const CamviewOptions& options, std::string modulePath)
        : m_options(options), m_modulePath(std::move(modulePath))
    {
    }
    int run();

    std::string askAddress(const std::vector<std::string>& recent, const std::string& notice) override
    {
        m_bars.setStatus(notice);
        return AskAddress(m_window, recent, notice);
    }
    std::string askText(const std::string& notice, const std::string& initial) override
    {
        return AskAddress(m_window, {initial}, notice, true);
    }
    AskPerson personAsker() override { return PersonAskedInDialog(m_window); }
    // The password dialog a fetch shows is owned by this window.
    bool askingPerson() const override { return GetWindow(m_window, GW_ENABLEDPOPUP) != nullptr; }
    void beginPage(const std::string& pageUrl, const std::vector<GivenUser>& given, const ContainerListener& listener,
                   std::shared_ptr<CameraCredentials> credentials) override;
    PageLoad fetchPage(const std::string& pageUrl, const PageParams& params, const std::string& user, DWORD timeoutMs,
                       const std::atomic<bool>&) override
    {
        // Not cancelled: a fetch blocked in WinInet is left to end alone.
        return LoadPageSource(pageUrl, params, user, m_window, true, timeoutMs);
    }
    ControlHost* embed(const PageLoad& page) override;
    void endPage() override;
    RECT workArea() const override
    {
        RECT work{0, 0, 0, 0};
        return SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) ? work : RECT{0, 0, 0, 0};
    }
    SIZE windowSizeFor(SIZE client) const override
    {
        RECT frame{0, 0, client.cx, client.cy};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_STYLE)), FALSE, 0);
        return SIZE{frame.right - frame.left, frame.bottom - frame.top};
    }
    void placeWindow(SIZE size, const POINT* at) override
    {
        SetWindowPos(m_window, nullptr, at ? at->x : 0, at ? at->y : 0, size.cx, size.cy, SWP_NOZORDER | (at ? 0 : SWP_NOMOVE));
        layout();
    }
    int barsHeight() const override { return m_bars.height(); }
    void setTitle(const std::string& title) override { SetWindowTextW(m_window, Widen(title).c_str()); }
    void setFullScreen(bool on) override;
    void pump(bool pageLoading) override;
    void viewChanged() override;
    void messageArrived() override { PostMessageW(m_window, kMessageArrived, 0, 0); }
    bool propertyPageAsText() const override { return false; } // the control's own frame
    int cameraUnderPointer() const override { return m_picture.controlUnderPointer(); }
    int focusedCamera() const override { return m_container ? m_container->focusedControl() : -1; }
    std::vector<std::string> writeSnapshots(const std::vector<std::size_t>& cameras, const std::string& folder) override
    {
        return WriteSnapshots(*m_container, cameras, folder, std::time(nullptr));
    }
    void keepLastPicture(std::size_t camera) override { m_picture.keepLastPicture(camera); }
    // A camera made again by Reload: the cells say "stopped" no more.
    void forgetLastPicture(std::size_t camera) override
    {
        m_picture.forgetLastPicture(camera);
        m_picture.showStopped();
    }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    bool open();
    void layout();
    void updateStatus();
    // Hands a key message to the shell when it is one of the viewer's keys.
    bool viewerKey(const MSG& msg, bool pageLoading);

    const CamviewOptions& m_options;
    std::string m_modulePath;
    ViewerShell* m_shell = nullptr;
    HWND m_window = nullptr;
    WindowBars m_bars;
    PictureView m_picture;
    ContainerSetup m_setup;
    std::unique_ptr<Container> m_container;
    std::vector<MSG> m_controlKeys; // handed over by the apartments, for the next pump
    int m_alone = -1; // as laid out
    bool m_keys = false;
    bool m_stopped = false;
    WINDOWPLACEMENT m_placement{};
    LONG_PTR m_style = 0;
};

LRESULT CALLBACK Win32Face::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<Win32Face*>(create->lpCreateParams)->m_window = hwnd;
    }
    auto* self = reinterpret_cast<Win32Face*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT Win32Face::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        layout();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = POINT{160, 120 + 4 * m_bars.lineHeight()};
        return 0;
    }
    case WM_TIMER:
        if (wParam == kStatusTimer) {
            if (m_container && m_options.reconnect) m_picture.tickReconnect();
            if (m_container) m_container->pollNotices();
            updateStatus();
        }
        return 0;
    case WM_COMMAND:
        // A double click on the status line switches full screen.
        if (LOWORD(wParam) == WindowBars::kStatusLineId && HIWORD(wParam) == STN_DBLCLK && m_shell && m_container)
            m_shell->command(ViewerCommand::FullScreen, "double-click");
        return 0;
    case kMessageArrived:
        if (m_shell) m_bars.setMessage(m_shell->message());
        return 0;
    case WM_SETCURSOR:
        if (m_container) m_container->pollCursor();
        break;
    case WM_CLOSE:
        if (m_shell) m_shell->close();
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

void Win32Face::layout()
{
    RECT client;
    GetClientRect(m_window, &client);
    // The bars keep their size and span the whole width; the picture
    // takes the rest.
    const int areaHeight = m_bars.layout(client.right, client.bottom);
    m_picture.layout(RECT{0, 0, client.right, areaHeight}, m_alone);
}

void Win32Face::updateStatus()
{
    if (m_shell) m_bars.setStatus(m_shell->statusLine());
}

void Win32Face::viewChanged()
{
    if (m_shell->alone() != m_alone) {
        m_alone = m_shell->alone();
        layout();
    }
    m_picture.select(m_shell->selected());
    if (m_shell->keysShown() != m_keys) {
        m_keys = m_shell->keysShown();
        m_picture.showKeys(m_keys);
    }
    // After Stop each cell says so over its last picture (drawn again once,
    // when Stop is given; Reload draws the cells made again).
    if (m_shell->stopped() && !m_stopped) m_picture.showStopped();
    m_stopped = m_shell->stopped();
    m_bars.setMessage(m_shell->message());
    updateStatus();
}

void Win32Face::setFullScreen(bool on)
{
    if (on) {
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

bool Win32Face::open()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Win32Face::WindowProc;
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
    if (!m_bars.create(m_window)) return false;
    ShowWindow(m_window, SW_SHOWDEFAULT);
    layout();
    UpdateWindow(m_window);
    return true;
}

void Win32Face::beginPage(const std::string& pageUrl, const std::vector<GivenUser>& given,
                          const ContainerListener& listener, std::shared_ptr<CameraCredentials> credentials)
{
    AnswerPasswordsWith(std::move(credentials));
    ContainerSetup fresh;
    m_setup = std::move(fresh);
    m_setup.pageUrl = pageUrl;
    m_setup.modulePath = m_modulePath;
    m_setup.window = m_window;
    m_setup.stage = m_picture.stage();
    m_setup.inPlace = true;
    m_setup.getter = [given](const std::string& url, std::string& body, std::string& error) {
        return FetchPageBody(url, CredentialsForUrl(given, url), nullptr, false, body, error);
    };
    m_setup.listener = listener;
    m_setup.policy = ControlPolicy(m_options.allowedClasses);
    m_setup.tuning = m_options.tuning;
    m_setup.threads = ThreadsOrOnePerCore(m_options.threads);
    // A cell an apartment drew anew is shown.
    m_setup.onDrawn = [this] { m_picture.redraw(); };
    m_setup.onControlKey = [this](const MSG& msg) { m_controlKeys.push_back(msg); };
}

ControlHost* Win32Face::embed(const PageLoad& page)
{
    m_container = std::make_unique<Container>(m_setup);
    if (m_container->embed(page.objects) == 0) return nullptr;
    m_picture.attach(m_container.get(), m_container->extent());
    // The view asks the shell's watch which cameras wait, and which the
    // user stopped.
    m_picture.setReconnect(m_shell->reconnect());
    m_alone = -1;
    m_stopped = false;
    layout();
    SetTimer(m_window, kStatusTimer, 500, nullptr);
    return m_container.get();
}

void Win32Face::endPage()
{
    // The keyboard focus leaves the controls before they go: a focus lost
    // with its window would leave the keys to no window of the viewer's.
    if (const HWND focus = GetFocus(); focus && IsChild(m_window, focus)) SetFocus(m_window);
    KillTimer(m_window, kStatusTimer);
    m_picture.setReconnect(nullptr);
    m_picture.attach(nullptr, SIZE{0, 0});
    if (m_container) m_container->release();
    m_container.reset();
    AnswerPasswordsWith(nullptr);
    m_alone = -1;
}

void Win32Face::pump(bool pageLoading)
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, pageLoading ? 50 : 100, QS_ALLINPUT);
    MSG msg;
    // Many controls painting keep the queue from ever running dry: the
    // shell gets its turn at least every 100 ms, and at once when the
    // window is to close or the wall was changed.
    const DWORD start = GetTickCount();
    while (m_shell->running() && !m_shell->wallChanged() && GetTickCount() - start < 100 &&
           PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            m_shell->close();
            return;
        }
        if (viewerKey(msg, pageLoading)) continue;
        if (m_container) {
            // The mouse over the picture goes to the control under it, at
            // its own coordinates; a press makes that control the active one.
            const bool routed = m_picture.routeMouse(msg);
            if (!routed) m_container->routeInput(msg);
            else if (msg.message != WM_MOUSEMOVE && msg.message != WM_MOUSEWHEEL && msg.message != WM_MOUSEHWHEEL &&
                     msg.message != WM_LBUTTONUP && msg.message != WM_RBUTTONUP && msg.message != WM_MBUTTONUP)
                m_container->routeInput(msg); // a press gives the control the focus
        }
        if (m_container) m_container->dispatch(msg);
        else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (m_container && msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) m_container->pollCursor();
    }
    if (m_container) m_container->deliverReports();
    // The keys the controls' apartments handed over: the viewer's, else
    // given back to the control.
    std::vector<MSG> keys;
    keys.swap(m_controlKeys);
    for (const MSG& key : keys)
        if (!viewerKey(key, pageLoading) && m_container) m_container->returnKey(key);
    if (pageLoading) updateStatus();
}

bool Win32Face::viewerKey(const MSG& msg, bool pageLoading)
{
    // A key for the viewer, wherever the focus is in the window (a
    // dialog's own keys stay its own).
    const bool modifier = msg.wParam == VK_SHIFT || msg.wParam == VK_CONTROL || msg.wParam == VK_MENU ||
                          msg.wParam == VK_LWIN || msg.wParam == VK_RWIN; // alone, no key of the viewer's
    if (msg.message != WM_KEYDOWN || modifier || !(msg.hwnd == m_window || IsChild(m_window, msg.hwnd)) ||
        !(m_container || pageLoading))
        return false;
    char digit = 0;
    const ViewerKey key = keyOf(msg.wParam, digit);
    if (key == ViewerKey::Other && !m_keys) return false;
    m_shell->key(key, digit);
    return true;
}

int Win32Face::run()
{
    if (!open()) return 2;
    ViewerShell shell(m_options, *this);
    m_shell = &shell;
    const int exitCode = shell.run();
    m_shell = nullptr;
    if (IsWindow(m_window)) DestroyWindow(m_window);
    return exitCode;
}

} // namespace

int RunWindow(const CamviewOptions& options, const std::string& modulePath)
{
    Win32Face face(options, modulePath);
    return face.run();
}
