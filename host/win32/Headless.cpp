#include "host/win32/Headless.h"

#include <cwchar>

#include <algorithm>
#include <cstdio>

#include "host/container/EventLog.h"
#include "host/headless/InputScript.h"
#include "host/win32/Container.h"
#include "host/win32/FetchText.h"
#include "host/win32/HeldButtons.h"
#include "host/win32/PageSource.h"
#include "host/win32/PngWriter.h"

namespace {

constexpr wchar_t kWindowClass[] = L"CamviewHiddenViewer";

HWND makeHiddenWindow()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassExW(&wc);
    return CreateWindowExW(0, kWindowClass, L"camview", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480, nullptr,
                           nullptr, wc.hInstance, nullptr);
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

// Delivers what is due. Mouse messages in the queue can only be the echo
// of the script's own buttons made physical (the script's input is given
// to the controls directly): they are dropped.
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

bool pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) return false;
        if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

// Applies one scripted action: the physical button first (what
// GetAsyncKeyState answers), then the message; a release the other way
// round, so that the control's capture has gone when the button goes up.
bool apply(const InputAction& a, Container& container, HeldButtons& buttons, POINT& pointer, EventLog& log)
{
    const MouseButton button = a.right ? MouseButton::Right : MouseButton::Left;
    const int vk = a.right ? VK_RBUTTON : VK_LBUTTON;
    switch (a.kind) {
    case InputAction::Kind::Move:
        pointer = a.pt;
        container.mouseMove(a.pt, buttons.keys());
        break;
    case InputAction::Kind::Down:
        pointer = a.pt;
        buttons.set(vk, true);
        container.mouseButton(button, true, a.pt, buttons.keys());
        break;
    case InputAction::Kind::Up:
        pointer = a.pt;
        container.mouseButton(button, false, a.pt, buttons.keys() & ~static_cast<WPARAM>(a.right ? MK_RBUTTON : MK_LBUTTON));
        buttons.set(vk, false);
        break;
    case InputAction::Kind::Click:
        pointer = a.pt;
        buttons.set(vk, true);
        container.mouseButton(button, true, a.pt, buttons.keys());
        container.mouseButton(button, false, a.pt, buttons.keys() & ~static_cast<WPARAM>(a.right ? MK_RBUTTON : MK_LBUTTON));
        buttons.set(vk, false);
        break;
    case InputAction::Kind::Wheel:
        pointer = a.pt;
        container.mouseWheel(a.pt, a.notches, buttons.keys());
        break;
    case InputAction::Kind::Key:
        // The report says when the key was given, so that what follows it
        // can be told from what came before however busy the machine is.
        log.write("\"key\":\"" + EventLog::Escape(a.key) + "\"");
        if (a.key == "Escape") container.stop();
        else if (a.key == "p") container.showProperties(static_cast<std::size_t>(std::max(0, container.controlAt(pointer))), false);
        else if (a.key == "q") return false;
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

    HWND window = makeHiddenWindow();
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
    setup.inPlace = false;
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
    HeldButtons buttons;
    // Script times count from the viewer's start, as the report's do.
    auto elapsedMs = [&] { return static_cast<std::uint64_t>(log.elapsedMs()); };
    std::size_t next = 0;
    long lastSnapshotFrames = 0;
    POINT pointer{0, 0};
    bool running = true;
    container->pollCursor();
    while (running && elapsedMs() < options.durationSeconds * 1000 && (options.frames < 0 || log.frames() < options.frames)) {
        while (running && next < script.actions.size() && script.actions[next].atMs <= elapsedMs())
            running = apply(script.actions[next++], *container, buttons, pointer, log);
        running = pump() && running;
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
    buttons.releaseAll();
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
