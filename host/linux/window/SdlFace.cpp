#include "host/linux/window/SdlFace.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

#include "host/linux/container/PageLoader.h"
#include "host/linux/container/ViewerContainer.h"
#include "host/linux/container/ViewerSession.h"
#include "host/core/UserFolders.h"
#include "host/core/ViewScaling.h"
#include "host/core/ViewerShell.h"
#include "host/linux/window/PasswordDialog.h"
#include "host/linux/window/PhysicalButtons.h"
#include "host/linux/window/SdlCursors.h"
#include "host/linux/window/SdlPicture.h"
#include "host/linux/window/Widgets.h"
#include "platform/window/Cursor.h"

namespace {


ViewerKey keyOf(SDL_Keycode key, Uint16 mod, char& digit)
{
    digit = 0;
    if (key >= SDLK_0 && key <= SDLK_9) digit = static_cast<char>('0' + (key - SDLK_0));
    else if (key >= SDLK_KP_1 && key <= SDLK_KP_9) digit = static_cast<char>('1' + (key - SDLK_KP_1));
    else if (key == SDLK_KP_0) digit = '0';
    if (digit) return ViewerKey::Digit;
    switch (key) {
    case SDLK_h: return ViewerKey::H;
    case SDLK_QUESTION: return ViewerKey::Question;
    case SDLK_SLASH: return (mod & KMOD_SHIFT) ? ViewerKey::Question : ViewerKey::Other;
    case SDLK_F1: return ViewerKey::F1;
    case SDLK_f: return ViewerKey::F;
    case SDLK_F11: return ViewerKey::F11;
    case SDLK_s: return ViewerKey::S;
    case SDLK_r: return ViewerKey::R;
    case SDLK_p: return ViewerKey::P;
    case SDLK_q: return ViewerKey::Q;
    case SDLK_ESCAPE: return ViewerKey::Escape;
    case SDLK_F5: return ViewerKey::F5;
    case SDLK_TAB: return ViewerKey::Tab;
    case SDLK_a: return ViewerKey::A;
    case SDLK_DELETE: return ViewerKey::Delete;
    case SDLK_F2: return ViewerKey::F2;
    case SDLK_LEFTBRACKET: return ViewerKey::BracketLeft;
    case SDLK_RIGHTBRACKET: return ViewerKey::BracketRight;
    case SDLK_LEFT: return ViewerKey::Left;
    case SDLK_RIGHT: return ViewerKey::Right;
    case SDLK_UP: return ViewerKey::Up;
    case SDLK_DOWN: return ViewerKey::Down;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return ViewerKey::Enter;
    default: return ViewerKey::Other;
    }
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


// camview's window on Linux: SDL2 over X11 (or Wayland), drawn by
// SdlPicture.
class SdlFace final : public ViewerFace {
public:
    SdlFace(const CamviewOptions& options, std::string modulePath)
        : m_options(options), m_modulePath(std::move(modulePath)),
          m_dialog(std::this_thread::get_id(), [this] { pump(true); })
    {
    }
    ~SdlFace() override;
    int run();

    std::string askAddress(const std::vector<std::string>& recent, const std::string& notice) override;
    std::string askText(const std::string& notice, const std::string& initial) override
    {
        return m_picture->askAddress({initial}, notice, m_cursors, true);
    }
    AskPerson personAsker() override
    {
        return [this](const std::string& url, const std::string& notice, PersonAnswer& answer, const std::atomic<bool>& cancelled) {
            return m_dialog.ask(url, answer.user, answer.password, cancelled, notice, &answer.remember);
        };
    }
    bool askingPerson() const override { return m_dialog.active(); }
    void beginPage(const std::string& pageUrl, const std::vector<GivenUser>&, const ContainerListener& listener,
                   std::shared_ptr<CameraCredentials> credentials) override
    {
        m_session = std::make_unique<ViewerSession>(
            ViewerSessionSetup{pageUrl, m_options.params, m_modulePath, std::make_shared<PhysicalButtons>(),
                               ViewerPasswordPrompt(std::move(credentials)), nullptr, 0, m_options.allowedClasses,
                               m_options.threads, {}, {}, m_options.tuning},
            listener);
    }
    PageLoad fetchPage(const std::string& pageUrl, const PageParams& params, const std::string&, DWORD timeoutMs,
                       const std::atomic<bool>& cancel) override
    {
        return LoadPage(pageUrl, params, timeoutMs, &cancel);
    }
    ControlHost* embed(const PageLoad& page) override;
    void endPage() override;
    RECT workArea() const override;
    SIZE windowSizeFor(SIZE client) const override { return client; }
    void placeWindow(SIZE size, const POINT* at) override
    {
        SDL_SetWindowSize(m_window, size.cx, size.cy);
        if (at) SDL_SetWindowPosition(m_window, at->x, at->y);
        m_picture->changed();
    }
    int barsHeight() const override { return SdlPicture::kBarsHeight; }
    void setTitle(const std::string& title) override { SDL_SetWindowTitle(m_window, title.c_str()); }
    void setFullScreen(bool on) override;
    void pump(bool pageLoading) override;
    void viewChanged() override { m_picture->changed(); }
    int cameraUnderPointer() const override { return m_container ? m_container->controlAt(m_pointer) : -1; }
    std::vector<std::string> writeSnapshots(const std::vector<std::size_t>& cameras, const std::string& folder) override
    {
        return m_picture->writeSnapshots(cameras, folder);
    }
    void keepLastPicture(std::size_t camera) override { m_picture->keepLastPicture(camera); }
    void forgetLastPicture(std::size_t camera) override { m_picture->forgetLastPicture(camera); }

private:
    bool openWindow();
    void handle(const SDL_Event& e);

    const CamviewOptions& m_options;
    std::string m_modulePath;
    PasswordDialog m_dialog;
    ViewerShell* m_shell = nullptr;
    std::unique_ptr<ViewerSession> m_session;
    ViewerContainer* m_container = nullptr; // the session's, once its controls are made
    SDL_Window* m_window = nullptr;
    Uint32 m_wakeEvent = 0;
    std::atomic<bool> m_wakePending{false};
    SDL_Renderer* m_renderer = nullptr;
    std::unique_ptr<SdlPicture> m_picture;
    SdlCursors m_cursors;
    SDL_Rect m_windowed{0, 0, 0, 0}; // the window before full screen
    POINT m_pointer{-1, -1};         // in grid coordinates
};

// Why no window could be opened, in words that name the display asked for:
// one that is named but cannot be opened is not one that is unset.
std::string noDisplayReason(const std::string& detail)
{
    std::string named;
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value && *value) named += std::string(named.empty() ? "" : ", ") + variable + "=" + value;
    }
    return named.empty() ? "neither DISPLAY nor WAYLAND_DISPLAY names one; " + detail
                         : "cannot open the display " + named + ": " + detail;
}

bool SdlFace::openWindow()
{
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "camview: no display for a window (%s); use --headless\n", noDisplayReason(SDL_GetError()).c_str());
        return false;
    }
    // Only a display a person sees counts: without one SDL falls back on a
    // driver that draws off-screen, and the window would stream unseen.
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string name = driver ? driver : "";
    if (name != "x11" && name != "wayland" && name != "KMSDRM") {
        std::fprintf(stderr, "camview: no display for a window (%s); use --headless\n",
                     noDisplayReason("SDL's video driver is \"" + name + "\"").c_str());
        return false;
    }
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    m_window = SDL_CreateWindow("camview", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480, SDL_WINDOW_RESIZABLE);
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
    SDL_SetWindowMinimumSize(m_window, 160, 120);
    m_picture = std::make_unique<SdlPicture>(m_window, m_renderer);
    // A message posted to the controls (a socket's notice, an apartment's
    // report) ends the wait for SDL's events at once: one wake-up event
    // waits at a time.
    const Uint32 wakeEvent = SDL_RegisterEvents(1);
    if (wakeEvent != static_cast<Uint32>(-1)) {
        m_wakeEvent = wakeEvent;
        standin::SetMessageQueueWaker([this] {
            if (m_wakePending.exchange(true, std::memory_order_acq_rel)) return;
            SDL_Event e{};
            e.type = m_wakeEvent;
            SDL_PushEvent(&e);
        });
    }
    return true;
}

SdlFace::~SdlFace()
{
    // Prompts still waiting are cancelled, then the controls go (their
    // workers end with them).
    m_dialog.closeAll();
    m_session.reset();
    standin::SetMessageQueueWaker(nullptr);
    if (m_picture) m_picture->reset();
    if (m_renderer) SDL_DestroyRenderer(m_renderer);
    if (m_window) SDL_DestroyWindow(m_window);
    SDL_Quit();
}

int SdlFace::run()
{
    if (!openWindow()) return 2;
    ViewerShell shell(m_options, *this);
    m_shell = &shell;
    const int exitCode = shell.run();
    m_dialog.closeAll();
    m_shell = nullptr;
    return exitCode;
}

ControlHost* SdlFace::embed(const PageLoad& page)
{
    if (m_session->open(page) != 0) return nullptr;
    m_container = &m_session->container();
    m_picture->attach(m_container);
    return m_container;
}

void SdlFace::endPage()
{
    m_container = nullptr;
    m_picture->attach(nullptr);
    m_session.reset();
}

RECT SdlFace::workArea() const
{
    SDL_Rect usable{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(std::max(0, SDL_GetWindowDisplayIndex(m_window)), &usable) != 0) return RECT{};
    return RECT{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
}


void SdlFace::setFullScreen(bool on)
{
    // Full screen is the window without its frame over the whole display,
    // its size and place before kept and put back after: this needs no
    // window manager (without one, a window manager's full screen neither
    // comes nor goes).
    SDL_Rect& windowed = m_windowed;
    if (on) {
        SDL_GetWindowSize(m_window, &windowed.w, &windowed.h);
        SDL_GetWindowPosition(m_window, &windowed.x, &windowed.y);
        SDL_Rect display{0, 0, 0, 0};
        SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(m_window)), &display);
        SDL_SetWindowBordered(m_window, SDL_FALSE);
        SDL_SetWindowPosition(m_window, display.x, display.y);
        SDL_SetWindowSize(m_window, display.w, display.h);
        SDL_RaiseWindow(m_window);
    } else {
        SDL_SetWindowBordered(m_window, SDL_TRUE);
        if (windowed.w > 0 && windowed.h > 0) {
            SDL_SetWindowSize(m_window, windowed.w, windowed.h);
            SDL_SetWindowPosition(m_window, windowed.x, windowed.y);
        }
    }
    m_picture->changed();
}



void SdlFace::pump(bool pageLoading)
{
    const std::uint64_t idle = m_container ? m_container->idleMs(16) : 16;
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, static_cast<int>(std::max<std::uint64_t>(idle, 1)))) {
        handle(e);
        while (SDL_PollEvent(&e)) handle(e);
    }
    if (m_container && !pageLoading) m_container->pumpMessages();
    m_picture->render(*m_shell, m_options.reconnect, m_dialog, m_cursors);
}

void SdlFace::handle(const SDL_Event& e)
{
    if (m_wakeEvent != 0 && e.type == m_wakeEvent) {
        m_wakePending.store(false, std::memory_order_release);
        return;
    }
    const bool dialog = m_dialog.active();
    switch (e.type) {
    case SDL_QUIT: m_shell->close(); break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED) m_picture->exposed();
        if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) m_picture->changed();
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) m_shell->close();
        break;
    case SDL_TEXTINPUT:
        if (dialog) m_dialog.typeText(e.text.text);
        break;
    case SDL_KEYDOWN: {
        if (dialog) {
            switch (e.key.keysym.sym) {
            case SDLK_TAB: m_dialog.key(PasswordDialog::Key::Tab); break;
            case SDLK_RETURN:
            case SDLK_KP_ENTER: m_dialog.key(PasswordDialog::Key::Enter); break;
            case SDLK_ESCAPE: m_dialog.key(PasswordDialog::Key::Escape); break;
            case SDLK_BACKSPACE: m_dialog.key(PasswordDialog::Key::Backspace); break;
            case SDLK_SPACE: m_dialog.key(PasswordDialog::Key::Space); break;
            default: break;
            }
            break;
        }
        // A modifier alone is no key of the viewer's.
        if (e.key.keysym.sym >= SDLK_LCTRL && e.key.keysym.sym <= SDLK_RGUI) break;
        char digit = 0;
        const ViewerKey key = keyOf(e.key.keysym.sym, e.key.keysym.mod, digit);
        m_shell->key(key, digit);
        break;
    }
    case SDL_MOUSEMOTION:
        m_pointer = m_picture->toGrid(POINT{e.motion.x, e.motion.y});
        if (!dialog && m_container) m_container->mouseMove(m_pointer, keysOf(e.motion.state));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        if (dialog) {
            if (down) m_dialog.click(e.button.x, e.button.y);
            break;
        }
        if (!m_container) break;
        // A double click on the status line switches full screen.
        if (down && e.button.clicks == 2 && e.button.button == SDL_BUTTON_LEFT && m_picture->onStatusLine(e.button.y)) {
            m_shell->command(ViewerCommand::FullScreen, "double-click");
            break;
        }
        m_pointer = m_picture->toGrid(POINT{e.button.x, e.button.y});
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





std::string SdlFace::askAddress(const std::vector<std::string>& recent, const std::string& notice)
{
    SDL_SetWindowTitle(m_window, "camview - open a camera");
    return m_picture->askAddress(recent, notice, m_cursors);
}

} // namespace

int RunDesktop(const CamviewOptions& options, const std::string& modulePath)
{
    SdlFace face(options, modulePath);
    return face.run();
}
