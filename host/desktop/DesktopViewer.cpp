#include "host/desktop/DesktopViewer.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "host/container/PageLoader.h"
#include "host/container/ViewerContainer.h"
#include "host/container/ViewerSession.h"
#include "host/desktop/PasswordDialog.h"
#include "host/desktop/PhysicalButtons.h"
#include "host/desktop/SdlCursors.h"
#include "host/desktop/Widgets.h"
#include "platform/window/Cursor.h"
#include "platform/window/InputState.h"
#include "platform/wininet/WinInet.h"

namespace {

constexpr int kMessageHeight = 44;
constexpr int kStatusHeight = 22;
constexpr int kMinWidth = 480;

// The host part of a URL: between "//" and the next "/".
std::string hostOf(const std::string& url)
{
    const auto start = url.find("//");
    if (start == std::string::npos) return url;
    const auto end = url.find('/', start + 2);
    return url.substr(start + 2, end == std::string::npos ? std::string::npos : end - start - 2);
}

WPARAM keysOf(std::uint32_t buttons)
{
    WPARAM keys = 0;
    if (buttons & SDL_BUTTON_LMASK) keys |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK) keys |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK) keys |= MK_MBUTTON;
    const SDL_Keymod mod = SDL_GetModState();
    if (mod & KMOD_SHIFT) keys |= MK_SHIFT;
    if (mod & KMOD_CTRL) keys |= MK_CONTROL;
    return keys;
}

class DesktopViewer {
public:
    explicit DesktopViewer(const DesktopOptions& options)
        : m_options(options),
          m_dialog(std::this_thread::get_id(), [this] { turn(); })
    {
    }

    int run();

private:
    bool openWindow();
    void resize(int width, int height);
    // One turn of the loop: input, messages, painting.
    void turn();
    void handle(const SDL_Event& e);
    void render();
    // Answers whether anything was drawn.
    bool drawMessageAndStatus();
    std::string statusLine();

    const DesktopOptions& m_options;
    PasswordDialog m_dialog;
    std::unique_ptr<ViewerSession> m_session;
    ViewerContainer* m_container = nullptr; // the session's, while there is one
    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    std::shared_ptr<Surface> m_surface;
    SdlCursors m_cursors;
    bool m_running = true;
    bool m_repaintAll = true;
    bool m_dialogShown = false;
    // Written by navigation threads, read by the window's thread.
    std::mutex m_messageMutex;
    std::string m_message;
    std::atomic<bool> m_messageChanged{true};
    std::string m_loading;
    std::string m_lastEvent;
    std::string m_propertyPage;
    std::deque<std::chrono::steady_clock::time_point> m_frameTimes;
    std::string m_shownStatus;
    POINT m_pointer{0, 0};
};

bool DesktopViewer::openWindow()
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "camview: no display for a window (%s); use --headless\n", SDL_GetError());
        return false;
    }
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    m_window = SDL_CreateWindow("camview", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480, 0);
    if (!m_window) {
        std::fprintf(stderr, "camview: cannot open a window: %s\n", SDL_GetError());
        return false;
    }
    m_renderer = SDL_CreateRenderer(m_window, -1, 0);
    if (!m_renderer) m_renderer = SDL_CreateRenderer(m_window, -1, SDL_RENDERER_SOFTWARE);
    if (!m_renderer) {
        std::fprintf(stderr, "camview: cannot draw in the window: %s\n", SDL_GetError());
        return false;
    }
    resize(640, 480);
    return true;
}

void DesktopViewer::resize(int width, int height)
{
    SDL_SetWindowSize(m_window, width, height);
    if (m_texture) SDL_DestroyTexture(m_texture);
    m_texture = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    m_surface = std::make_shared<Surface>(width, height);
    widgets::fill(*m_surface, RECT{0, 0, width, height}, widgets::kBackground);
    m_repaintAll = true;
    m_messageChanged = true;
}

std::string DesktopViewer::statusLine()
{
    const auto now = std::chrono::steady_clock::now();
    while (!m_frameTimes.empty() && now - m_frameTimes.front() > std::chrono::seconds(2)) m_frameTimes.pop_front();
    char fps[32];
    // Frames per second over the last two seconds: intervals between the
    // frames drawn, so a viewer that just started is not under-counted.
    double rate = 0;
    if (m_frameTimes.size() >= 2) {
        const double span = std::chrono::duration<double>(m_frameTimes.back() - m_frameTimes.front()).count();
        if (span > 0) rate = static_cast<double>(m_frameTimes.size() - 1) / span;
    }
    std::snprintf(fps, sizeof fps, "%.1f fps", rate);
    std::string line = "camera " + hostOf(m_options.pageUrl) + "   " + fps;
    if (!m_lastEvent.empty()) line += "   last event: " + m_lastEvent;
    if (!m_loading.empty()) line = m_loading;
    return line;
}

bool DesktopViewer::drawMessageAndStatus()
{
    bool drawn = false;
    const int width = m_surface->width();
    const int height = m_surface->height();
    const std::string status = statusLine();
    if (m_messageChanged.exchange(false) || m_repaintAll) {
        std::string message;
        {
            std::lock_guard lock(m_messageMutex);
            message = m_message;
        }
        if (!m_propertyPage.empty()) message = m_propertyPage;
        const RECT area{0, height - kStatusHeight - kMessageHeight, width, height - kStatusHeight};
        widgets::fill(*m_surface, area, 0xF4F4F4);
        widgets::text(m_surface, RECT{6, area.top + 3, 70, area.top + 20}, "Message", 0x606060);
        widgets::text(m_surface, RECT{70, area.top + 3, width - 6, area.bottom - 2}, message, widgets::kText, true);
        m_shownStatus.clear();
        drawn = true;
    }
    if (status != m_shownStatus) {
        drawn = true;
        m_shownStatus = status;
        const RECT line{0, height - kStatusHeight, width, height};
        widgets::fill(*m_surface, line, widgets::kBackground);
        widgets::text(m_surface, RECT{6, line.top + 3, width - 6, line.bottom}, status, widgets::kLightText);
    }
    return drawn;
}

void DesktopViewer::render()
{
    bool changed = false;
    if (m_container) {
        changed = m_container->paint(m_surface, m_repaintAll);
        m_container->pollCursor();
    }
    changed = drawMessageAndStatus() || changed;
    m_repaintAll = false;
    const bool dialog = m_dialog.active();
    if (dialog) m_dialog.draw(m_surface, SIZE{m_surface->width(), m_surface->height()});
    else if (m_dialogShown) m_repaintAll = true; // the controls come back from under the dialog
    m_dialogShown = dialog;
    m_cursors.show(dialog ? LoadCursorA(nullptr, IDC_ARROW) : GetCursor());
    // The window's pixels go to the screen only when something changed:
    // most turns deliver a timer and paint nothing.
    if (!changed && !dialog) return;
    SDL_UpdateTexture(m_texture, nullptr, m_surface->row(0), m_surface->width() * 4);
    SDL_RenderCopy(m_renderer, m_texture, nullptr, nullptr);
    SDL_RenderPresent(m_renderer);
}

void DesktopViewer::handle(const SDL_Event& e)
{
    const bool dialog = m_dialog.active();
    switch (e.type) {
    case SDL_QUIT: m_running = false; break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED) m_repaintAll = true;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) m_running = false;
        break;
    case SDL_TEXTINPUT:
        if (dialog) m_dialog.typeText(e.text.text);
        break;
    case SDL_KEYDOWN:
        if (dialog) {
            switch (e.key.keysym.sym) {
            case SDLK_TAB: m_dialog.key(PasswordDialog::Key::Tab); break;
            case SDLK_RETURN:
            case SDLK_KP_ENTER: m_dialog.key(PasswordDialog::Key::Enter); break;
            case SDLK_ESCAPE: m_dialog.key(PasswordDialog::Key::Escape); break;
            case SDLK_BACKSPACE: m_dialog.key(PasswordDialog::Key::Backspace); break;
            default: break;
            }
        } else if (!m_propertyPage.empty() &&
                   (e.key.keysym.sym == SDLK_ESCAPE || e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_p)) {
            m_propertyPage.clear(); // closes the property page
            m_messageChanged = true;
        } else if (e.key.keysym.sym == SDLK_q) {
            m_running = false;
        } else if (e.key.keysym.sym == SDLK_ESCAPE && m_container) {
            m_container->stop();
        } else if (e.key.keysym.sym == SDLK_p && m_container && m_container->count() > 0) {
            const int under = m_container->controlAt(m_pointer);
            m_container->showProperties(static_cast<std::size_t>(std::max(0, under)));
        }
        break;
    case SDL_MOUSEMOTION:
        m_pointer = POINT{e.motion.x, e.motion.y};
        if (!dialog && m_container) m_container->mouseMove(m_pointer, keysOf(e.motion.state));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        m_pointer = POINT{e.button.x, e.button.y};
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        if (dialog) {
            if (down) m_dialog.click(e.button.x, e.button.y);
            break;
        }
        if (!m_container) break;
        const MouseButton button = e.button.button == SDL_BUTTON_LEFT    ? MouseButton::Left
                                   : e.button.button == SDL_BUTTON_RIGHT ? MouseButton::Right
                                                                         : MouseButton::Middle;
        m_container->mouseButton(button, down, m_pointer, keysOf(SDL_GetMouseState(nullptr, nullptr)));
        break;
    }
    case SDL_MOUSEWHEEL: {
        if (dialog || !m_container) break;
        int notches = e.wheel.y;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
        m_container->mouseWheel(m_pointer, notches, keysOf(SDL_GetMouseState(nullptr, nullptr)));
        break;
    }
    default: break;
    }
}

void DesktopViewer::turn()
{
    const std::uint64_t idle = m_container ? m_container->idleMs(16) : 16;
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, static_cast<int>(std::max<std::uint64_t>(idle, 1)))) {
        handle(e);
        while (SDL_PollEvent(&e)) handle(e);
    }
    if (m_container) m_container->pumpMessages();
    render();
}

int DesktopViewer::run()
{
    if (!openWindow()) return 2;
    PasswordPrompt prompt = CredentialsPrompt(m_options.user);
    if (m_options.user.empty()) {
        prompt = [this](HWND, const std::string& url, std::string& user, std::string& password,
                        const std::atomic<bool>& cancelled) { return m_dialog.ask(url, user, password, cancelled); };
    }

    ContainerListener chained;
    chained.onEvent = [this](int, const std::string& name, const std::string& value) {
        m_lastEvent = name + (value == "null" ? "" : " " + value);
    };
    chained.onMessage = [this](const std::string& text) {
        std::lock_guard lock(m_messageMutex);
        m_message = text;
        m_messageChanged = true;
    };
    chained.onFrame = [this](int, int, int) { m_frameTimes.push_back(std::chrono::steady_clock::now()); };
    chained.onPropertyPage = [this](const std::string& title, const std::string& text) {
        m_propertyPage = "Properties - " + title + ": " + text + "  (Esc closes)";
        m_messageChanged = true;
    };
    m_session = std::make_unique<ViewerSession>(
        ViewerSessionSetup{m_options.pageUrl, m_options.params, m_options.modulePath, std::make_shared<PhysicalButtons>(),
                           prompt, m_options.events ? stdout : nullptr},
        chained);
    m_container = &m_session->container();

    m_loading = "loading " + m_options.pageUrl + " ...";
    render();
    const int exitCode = m_session->open();
    m_loading.clear();
    if (exitCode == 0) {
        const SIZE grid = m_container->extent();
        resize(std::max<int>(kMinWidth, grid.cx), grid.cy + kMessageHeight + kStatusHeight);
        SDL_SetWindowTitle(m_window, ("camview - " + hostOf(m_options.pageUrl)).c_str());
        while (m_running) turn();
    }
    // Prompts still waiting are cancelled, then the controls go (their
    // workers end with them).
    m_dialog.closeAll();
    m_container = nullptr;
    m_session.reset();
    if (m_texture) SDL_DestroyTexture(m_texture);
    SDL_DestroyRenderer(m_renderer);
    SDL_DestroyWindow(m_window);
    SDL_Quit();
    return exitCode;
}

} // namespace

int RunDesktop(const DesktopOptions& options)
{
    DesktopViewer viewer(options);
    return viewer.run();
}
