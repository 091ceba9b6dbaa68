#include "host/win32/serve/Win32Serve.h"

#include <windows.h>

#include <cwchar>
#include <ctime>
#include <memory>

#include "host/core/serve/ServeFace.h"
#include "host/win32/container/Container.h"
#include "host/win32/container/PageLoader.h"
#include "host/win32/container/PasswordCalls.h"
#include "host/win32/window/Canvas.h"
#include "host/win32/window/Snapshots.h"
#include "platform/service/StopRequest.h"

namespace {

constexpr wchar_t kWindowClass[] = L"CamviewService";

// The service's window is never shown: closing it (taskkill without /F, a
// log-off) asks the service to stop as Ctrl-C does, rather than destroying
// the window the controls live in while they still run.
LRESULT CALLBACK serviceWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE || (message == WM_ENDSESSION && wParam)) {
        RequestStop();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The controls live in a window never shown and draw into a bitmap when
// their view changes. The browsers' mouse is posted to the control's own
// window as the messages a pointer over it would bring; the buttons held
// are what those messages say (the system's pointer is the desktop's, and
// is left alone).
class Win32ServeFace final : public ServeFace {
public:
    Win32ServeFace(const CamviewOptions& options, std::string modulePath)
        : ServeFace(options), m_modulePath(std::move(modulePath))
    {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = serviceWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        RegisterClassExW(&wc);
        m_window = CreateWindowExW(0, kWindowClass, L"camview serve", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~Win32ServeFace() override
    {
        if (m_window) DestroyWindow(m_window);
    }
    bool ready() const { return m_window != nullptr; }

    void beginPage(const std::string& pageUrl, const std::vector<GivenUser>& given, const ContainerListener& listener,
                   std::shared_ptr<CameraCredentials> credentials) override
    {
        AnswerPasswordsWith(std::move(credentials));
        ContainerSetup fresh;
        m_setup = std::move(fresh);
        m_setup.pageUrl = pageUrl;
        m_setup.modulePath = m_modulePath;
        m_setup.window = m_window;
        m_setup.inPlace = false;
        m_setup.getter = [given](const std::string& url, std::string& body, std::string& error) {
            return FetchPageBody(url, CredentialsForUrl(given, url), nullptr, false, body, error);
        };
        m_setup.listener = listener;
        m_setup.policy = ControlPolicy(m_options.allowedClasses);
        m_setup.tuning = m_options.tuning;
        m_setup.threads = ThreadsOrOnePerCore(m_options.threads);
    }
    PageLoad fetchPage(const std::string& pageUrl, const PageParams& params, const std::string& user, DWORD timeoutMs,
                       const std::atomic<bool>&) override
    {
        return LoadPageSource(pageUrl, params, user, m_window, false, timeoutMs);
    }
    std::vector<std::string> writeSnapshots(const std::vector<std::size_t>& cameras, const std::string& folder) override
    {
        return m_container ? WriteSnapshots(*m_container, cameras, folder, std::time(nullptr)) : std::vector<std::string>{};
    }

protected:
    ControlHost* embedPage(const PageLoad& page) override
    {
        m_container = std::make_unique<Container>(m_setup);
        if (m_container->embed(page.objects) == 0) return nullptr;
        const SIZE extent = m_container->extent();
        m_canvas = std::make_unique<Canvas>(std::max<int>(extent.cx, 1), std::max<int>(extent.cy, 1));
        m_container->refresh(m_canvas->dc(), true);
        m_changed.assign(m_container->count(), false);
        return m_container.get();
    }
    void releasePage() override
    {
        if (m_container) m_container->release();
        m_container.reset();
        m_canvas.reset();
        AnswerPasswordsWith(nullptr);
    }
    void pumpControls(std::uint64_t ms) override
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(ms), QS_ALLINPUT);
        MSG msg;
        // Many controls keep the queue from running dry: the service gets
        // its turn at least every 100 ms.
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 100 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            m_container->routeInput(msg);
            m_container->dispatch(msg);
        }
        m_container->pollNotices();
        m_container->pollCursor();
        CancelOwnDialogs();
    }
    void paintControls() override
    {
        m_changed.resize(m_container->count());
        for (std::size_t i = 0; i < m_changed.size(); ++i) m_changed[i] = m_container->changed(i);
        m_container->refresh(m_canvas->dc(), false);
    }
    bool cameraPainted(std::size_t camera) const override { return camera < m_changed.size() && m_changed[camera]; }
    PixelRows pixels() const override
    {
        return PixelRows{static_cast<const std::uint8_t*>(m_canvas->bits()), static_cast<std::ptrdiff_t>(m_canvas->width()) * 4,
                         m_canvas->width(), m_canvas->height()};
    }
    void pointer(ServePointer kind, ServeButton button, POINT grid, int notches) override
    {
        const int index = m_container->controlAt(grid);
        const HWND target = index >= 0 ? m_container->controlWindow(static_cast<std::size_t>(index)) : nullptr;
        if (!target) return;
        const RECT cell = m_container->cell(static_cast<std::size_t>(index));
        POINT client{grid.x - cell.left, grid.y - cell.top};
        const WPARAM bit = button == ServeButton::Right ? MK_RBUTTON : button == ServeButton::Middle ? MK_MBUTTON : MK_LBUTTON;
        if (kind == ServePointer::Down) m_buttons |= bit;
        if (kind == ServePointer::Up) m_buttons &= ~bit;
        UINT message = WM_MOUSEMOVE;
        if (kind == ServePointer::Down || kind == ServePointer::Up) {
            const bool down = kind == ServePointer::Down;
            message = button == ServeButton::Right    ? (down ? WM_RBUTTONDOWN : WM_RBUTTONUP)
                      : button == ServeButton::Middle ? (down ? WM_MBUTTONDOWN : WM_MBUTTONUP)
                                                      : (down ? WM_LBUTTONDOWN : WM_LBUTTONUP);
        }
        if (kind == ServePointer::Wheel) {
            POINT screen = client;
            ClientToScreen(target, &screen);
            SendMessageW(target, WM_MOUSEWHEEL, MAKEWPARAM(m_buttons, notches * WHEEL_DELTA), MAKELPARAM(screen.x, screen.y));
            return;
        }
        SendMessageW(target, message, m_buttons, MAKELPARAM(client.x, client.y));
    }

private:
    std::string m_modulePath;
    HWND m_window = nullptr;
    ContainerSetup m_setup;
    std::unique_ptr<Container> m_container;
    std::unique_ptr<Canvas> m_canvas;
    std::vector<bool> m_changed;
    WPARAM m_buttons = 0;
};

} // namespace

int RunServe(const CamviewOptions& options, const std::string& modulePath)
{
    Win32ServeFace face(options, modulePath);
    if (!face.ready()) {
        std::fprintf(stderr, "camview: no window can be made here (error %lu), and the controls need windows\n", GetLastError());
        return 2;
    }
    return face.run();
}
