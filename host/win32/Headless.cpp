#include "host/win32/Headless.h"

#include <cwchar>

#include <algorithm>
#include <cstdio>
#include <string>

#include "host/container/EventLog.h"
#include "host/headless/InputScript.h"
#include "host/win32/Container.h"
#include "host/win32/FetchText.h"
#include "host/win32/PageSource.h"
#include "host/win32/PointerInput.h"
#include "host/win32/PngWriter.h"

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

// A 32-bit top-down bitmap the controls are drawn into.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        if (m_bitmap) m_old = SelectObject(m_dc, m_bitmap);
    }
    ~Canvas()
    {
        if (m_old) SelectObject(m_dc, m_old);
        if (m_bitmap) DeleteObject(m_bitmap);
        if (m_dc) DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_bitmap ? m_dc : nullptr; }
    bool write(const std::string& path) const
    {
        if (!m_bits) return false;
        GdiFlush();
        return WritePng(path, m_bits, m_width, m_height);
    }

private:
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    void* m_bits = nullptr;
};

// Headless, no one can answer a dialog: one that a control's internet
// layer opens (the password dialog of a preflight) is cancelled, as the
// Linux viewer's headless prompt is.
BOOL CALLBACK cancelDialog(HWND hwnd, LPARAM)
{
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    wchar_t name[16] = L"";
    if (process == GetCurrentProcessId() && GetClassNameW(hwnd, name, 16) && std::wcscmp(name, L"#32770") == 0)
        PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

void cancelDialogs() { EnumWindows(&cancelDialog, 0); }

struct Session {
    Container& container;
    PointerInput& mouse;
    HWND window;
    EventLog& log;
    POINT pointer{0, 0};
    bool unreachableTold = false;
    int focused = -1; // the control with the keyboard focus, or -1
};

// Reports which control has the keyboard focus when that changes (-1:
// none of them), so that what the focus does to the input can be told.
void pollFocus(Session& s)
{
    const int focused = s.container.focusedControl();
    if (focused == s.focused) return;
    s.focused = focused;
    s.log.write("\"focus\":" + std::to_string(focused));
}

// Delivers what is due: the mouse's messages through the container's
// routing, as in the shown viewer; a control that paints its window has
// a new picture to report and to draw into the canvas.
bool pump(Session& s)
{
    Container& container = s.container;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return false;
        if (msg.message == WM_PAINT) {
            const int index = container.controlOfWindow(msg.hwnd);
            if (index >= 0) container.markChanged(static_cast<std::size_t>(index));
        }
        container.routeInput(msg);
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) container.pollCursor();
        pollFocus(s);
    }
    return true;
}

// Applies one scripted action. The mouse's go through the system's input
// queue at the point of the screen where the grid's point is: the pointer
// first moves there, then the button or the wheel acts. A click's press is
// delivered before its release is made. Keys are the viewer's own
// commands, given to the container.
bool apply(const InputAction& a, Session& s)
{
    if (a.kind == InputAction::Kind::Key) {
        // The report says when the key was given, so that what follows it
        // can be told from what came before however busy the machine is.
        s.log.write("\"key\":\"" + EventLog::Escape(a.key) + "\"");
        if (a.key == "Escape") s.container.stop();
        else if (a.key == "p") s.container.showProperties(static_cast<std::size_t>(std::max(0, s.container.controlAt(s.pointer))), false);
        else if (a.key == "q") return false;
        return true;
    }
    s.pointer = a.pt;
    POINT screen = a.pt;
    ClientToScreen(s.window, &screen);
    if (!s.mouse.moveTo(screen) && !s.unreachableTold) {
        s.unreachableTold = true;
        std::fprintf(stderr, "camview: the pointer cannot be moved to (%ld, %ld) of the viewer, (%ld, %ld) on the screen\n",
                     static_cast<long>(a.pt.x), static_cast<long>(a.pt.y), static_cast<long>(screen.x), static_cast<long>(screen.y));
    }
    switch (a.kind) {
    case InputAction::Kind::Down:
        s.mouse.button(a.right, true);
        break;
    case InputAction::Kind::Up:
        s.mouse.button(a.right, false);
        break;
    case InputAction::Kind::Click: {
        s.mouse.button(a.right, true);
        const bool running = pump(s);
        s.mouse.button(a.right, false);
        return running;
    }
    case InputAction::Kind::Wheel:
        s.mouse.wheel(a.notches);
        break;
    default:
        break;
    }
    return true;
}

} // namespace

int RunHeadless(const CamviewOptions& options, const std::string& modulePath)
{
    InputScript script;
    if (!options.inputFile.empty()) {
        script = ReadInputScript(options.inputFile);
        if (!script.error.empty()) {
            std::fprintf(stderr, "camview: %s\n", script.error.c_str());
            return 2;
        }
    }

    EventLog log(options.events ? stdout : nullptr);
    std::string status;
    ContainerListener chained;
    chained.onStatus = [&](int, const std::string& text) { status = text; };

    // Only a shown window receives the system's mouse input: the controls
    // are then active in place in it and paint there.
    const bool forPointer = movesThePointer(script);
    HWND window = makeViewerWindow(forPointer);
    const PageSource page = LoadPageSource(options.pageUrl, options.params, options.user, window, false);
    if (!page.error.empty()) {
        std::fprintf(stderr, "camview: %s\n", page.error.c_str());
        DestroyWindow(window);
        return 1;
    }
    ContainerSetup setup;
    setup.pageUrl = options.pageUrl;
    setup.modulePath = modulePath;
    setup.window = window;
    setup.inPlace = forPointer;
    const std::string user = options.user;
    setup.getter = [user](const std::string& url, std::string& body, std::string& error) {
        return FetchPageBody(url, user, nullptr, false, body, error);
    };
    setup.listener = log.listener(chained);
    auto container = std::make_unique<Container>(setup);
    if (container->embed(page.objects) == 0) {
        std::fprintf(stderr, "camview: %s holds no OBJECT of a registered control\n", page.name.c_str());
        container.reset();
        DestroyWindow(window);
        return 2;
    }

    const SIZE extent = container->extent();
    Canvas canvas(std::max<int>(extent.cx, 1), std::max<int>(extent.cy, 1));
    PointerInput mouse;
    if (forPointer) showForPointer(window, extent, mouse);
    Session session{*container, mouse, window, log};
    // Script times count from the viewer's start, as the report's do.
    auto elapsedMs = [&] { return static_cast<std::uint64_t>(log.elapsedMs()); };
    std::size_t next = 0;
    long lastSnapshotFrames = 0;
    bool running = true;
    container->pollCursor();
    while (running && elapsedMs() < options.durationSeconds * 1000 && (options.frames < 0 || log.frames() < options.frames)) {
        while (running && next < script.actions.size() && script.actions[next].atMs <= elapsedMs())
            running = apply(script.actions[next++], session) && pump(session) && running;
        running = pump(session) && running;
        cancelDialogs();
        container->pollCursor();
        container->refresh(canvas.dc(), false);
        if (options.snapshotEvery > 0 && log.frames() - lastSnapshotFrames >= options.snapshotEvery) {
            lastSnapshotFrames = log.frames();
            char name[32];
            std::snprintf(name, sizeof name, "/frame-%06ld.png", lastSnapshotFrames);
            canvas.write(options.snapshotDir + name);
        }
        // Sleeps until a message comes (a timer, a worker's post) or the
        // next scripted action is due, at most one tick.
        std::uint64_t idle = 16;
        if (next < script.actions.size())
            idle = std::min(idle, script.actions[next].atMs - std::min(script.actions[next].atMs, elapsedMs()));
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::max<std::uint64_t>(idle, 1)), QS_ALLINPUT);
    }
    if (!options.snapshot.empty()) {
        if (canvas.write(options.snapshot))
            std::fprintf(stderr, "camview: snapshot written to %s\n", options.snapshot.c_str());
        else
            std::fprintf(stderr, "camview: cannot write %s\n", options.snapshot.c_str());
    }
    const long frames = log.frames();
    container->release();
    mouse.releaseAll();
    container.reset();
    DestroyWindow(window);
    if (frames == 0) {
        const std::string meaning = ExplainStatus(status);
        std::string shown = status;
        while (!shown.empty() && (shown.back() == '\n' || shown.back() == ' ')) shown.pop_back();
        shown.erase(0, shown.find_first_not_of(' '));
        std::fprintf(stderr, "camview: no picture; the control shows: %s\n", shown.c_str());
        if (!meaning.empty()) std::fprintf(stderr, "camview: %s\n", meaning.c_str());
        return 1;
    }
    return 0;
}
