#include "host/desktop/DesktopViewer.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

#include "host/container/PageLoader.h"
#include "host/container/ViewerContainer.h"
#include "host/container/ViewerSession.h"
#include "host/core/UserFolders.h"
#include "host/core/ViewScaling.h"
#include "host/core/ViewerShell.h"
#include "host/desktop/AddressDialog.h"
#include "host/desktop/PasswordDialog.h"
#include "host/desktop/PhysicalButtons.h"
#include "host/desktop/SdlCursors.h"
#include "host/desktop/Snapshot.h"
#include "host/desktop/Widgets.h"
#include "platform/window/Cursor.h"

namespace {

constexpr int kMessageHeight = 44;
constexpr int kStatusHeight = 22;
// The overlay's pixels that show the picture through it.
constexpr std::uint32_t kClear = 0x00FF00FF;

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

// A streaming texture and the surface drawn into it, remade at a new size.
struct Layer {
    SDL_Texture* texture = nullptr;
    std::shared_ptr<Surface> surface;
    void make(SDL_Renderer* renderer, int width, int height, bool blended)
    {
        if (texture) SDL_DestroyTexture(texture);
        width = std::max(1, width);
        height = std::max(1, height);
        texture = SDL_CreateTexture(renderer, blended ? SDL_PIXELFORMAT_ARGB8888 : SDL_PIXELFORMAT_RGB888,
                                    SDL_TEXTUREACCESS_STREAMING, width, height);
        if (texture) SDL_SetTextureBlendMode(texture, blended ? SDL_BLENDMODE_BLEND : SDL_BLENDMODE_NONE);
        // A picture scaled bilinearly: nearest pixels make it blocky.
        if (texture && !blended) SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
        surface = std::make_shared<Surface>(width, height);
    }
    void upload(const SDL_Rect* rect = nullptr)
    {
        const int x = rect ? rect->x : 0, y = rect ? rect->y : 0;
        SDL_UpdateTexture(texture, rect, surface->row(y) + x, surface->width() * 4);
    }
    void reset()
    {
        if (texture) SDL_DestroyTexture(texture);
        texture = nullptr;
        surface.reset();
    }
    Layer() = default;
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;
    ~Layer() { reset(); }
};

// camview's window on Linux: SDL2 over X11 (or Wayland). The picture is
// the controls' grid at their own size, scaled into the window above the
// bars; the bars, the keys' list, the cells' captions and the dialogs are
// drawn at the window's own size over it.
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
    AskPerson personAsker() override
    {
        return [this](const std::string& url, const std::string& notice, PersonAnswer& answer, const std::atomic<bool>& cancelled) {
            return m_dialog.ask(url, answer.user, answer.password, cancelled, notice, &answer.remember);
        };
    }
    bool askingPerson() const override { return m_dialog.active(); }
    void beginPage(const std::string& pageUrl, const std::string&, const ContainerListener& listener,
                   std::shared_ptr<CameraCredentials> credentials) override
    {
        m_session = std::make_unique<ViewerSession>(
            ViewerSessionSetup{pageUrl, m_options.params, m_modulePath, std::make_shared<PhysicalButtons>(),
                               ViewerPasswordPrompt(std::move(credentials)), nullptr, 0, m_options.allowedClasses,
                               m_options.threads},
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
        layout();
    }
    int barsHeight() const override { return kMessageHeight + kStatusHeight; }
    void setTitle(const std::string& title) override { SDL_SetWindowTitle(m_window, title.c_str()); }
    void setFullScreen(bool on) override;
    void pump(bool pageLoading) override;
    void viewChanged() override { m_layoutChanged = true; }
    int cameraUnderPointer() const override { return m_container ? m_container->controlAt(m_pointer) : -1; }
    std::vector<std::string> writeSnapshots(const std::vector<std::size_t>& cameras, const std::string& folder) override;
    void keepLastPicture(std::size_t camera) override;
    void forgetLastPicture(std::size_t camera) override
    {
        if (camera < m_kept.size()) m_kept[camera].pixels.clear();
    }

private:
    bool openWindow();
    // The picture's area and the layers at the window's size now.
    void layout();
    void handle(const SDL_Event& e);
    void render();
    bool restoreKept(bool all);
    void drawOverlay();
    void present();

    struct KeptPicture {
        RECT rect{};
        std::vector<std::uint32_t> pixels; // empty: none kept
    };

    const CamviewOptions& m_options;
    std::string m_modulePath;
    PasswordDialog m_dialog;
    ViewerShell* m_shell = nullptr;
    std::unique_ptr<ViewerSession> m_session;
    ViewerContainer* m_container = nullptr; // the session's, once its controls are made
    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    Layer m_grid;    // the controls' grid, at their own size
    Layer m_overlay; // over the picture's area, at the window's size
    Layer m_bars;    // the Message area and the status line
    SdlCursors m_cursors;
    ViewScaling m_scaling;
    int m_width = 0, m_height = 0;
    SDL_Rect m_windowed{0, 0, 0, 0}; // the window before full screen
    POINT m_pointer{-1, -1}; // in grid coordinates
    std::vector<KeptPicture> m_kept;
    std::vector<std::string> m_captions; // each cell's caption now
    std::string m_shownStatus, m_shownMessage;
    bool m_gridAll = true, m_layoutChanged = true, m_dialogShown = false;
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
    m_grid.make(m_renderer, 1, 1, false);
    layout();
    return true;
}

SdlFace::~SdlFace()
{
    // Prompts still waiting are cancelled, then the controls go (their
    // workers end with them).
    m_dialog.closeAll();
    m_session.reset();
    m_grid.reset();
    m_overlay.reset();
    m_bars.reset();
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
    const SIZE grid = m_container->extent();
    m_grid.make(m_renderer, grid.cx, grid.cy, false);
    widgets::fill(*m_grid.surface, RECT{0, 0, grid.cx, grid.cy}, widgets::kBackground);
    m_kept.assign(m_container->count(), KeptPicture{});
    m_captions.assign(m_container->count(), std::string());
    m_gridAll = m_layoutChanged = true;
    return m_container;
}

void SdlFace::endPage()
{
    m_container = nullptr;
    m_session.reset();
    m_kept.clear();
    m_captions.clear();
    m_layoutChanged = true;
}

RECT SdlFace::workArea() const
{
    SDL_Rect usable{0, 0, 0, 0};
    if (SDL_GetDisplayUsableBounds(std::max(0, SDL_GetWindowDisplayIndex(m_window)), &usable) != 0) return RECT{};
    return RECT{usable.x, usable.y, usable.x + usable.w, usable.y + usable.h};
}

void SdlFace::layout()
{
    SDL_GetWindowSize(m_window, &m_width, &m_height);
    const int area = std::max(1, m_height - barsHeight());
    if (!m_overlay.surface || m_overlay.surface->width() != m_width || m_overlay.surface->height() != area) {
        m_overlay.make(m_renderer, m_width, area, true);
        m_bars.make(m_renderer, m_width, barsHeight(), false);
        m_shownStatus = m_shownMessage = "\n";
    }
    // The camera shown alone, or the grid, scaled into the area above the
    // bars with its shape kept.
    const SIZE grid = m_container ? m_container->extent() : SIZE{1, 1};
    const int alone = m_shell ? m_shell->alone() : -1;
    const RECT view = m_container && alone >= 0 ? m_container->cell(static_cast<std::size_t>(alone)) : RECT{0, 0, grid.cx, grid.cy};
    m_scaling = ViewScaling(view, RECT{0, 0, m_width, area});
    m_layoutChanged = true;
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
    layout();
}

std::vector<std::string> SdlFace::writeSnapshots(const std::vector<std::size_t>& cameras, const std::string& folder)
{
    std::vector<std::string> written;
    const std::time_t now = std::time(nullptr);
    for (const std::size_t i : cameras) {
        const std::string path = WriteSnapshot(*m_grid.surface, m_container->cell(i), folder, m_container->cameraHost(i), now);
        if (!path.empty()) written.push_back(path);
    }
    return written;
}

void SdlFace::keepLastPicture(std::size_t camera)
{
    if (camera >= m_kept.size() || !m_kept[camera].pixels.empty()) return;
    KeptPicture& kept = m_kept[camera];
    const RECT c = m_container->cell(camera);
    const auto& s = *m_grid.surface;
    kept.rect = RECT{std::max<LONG>(c.left, 0), std::max<LONG>(c.top, 0), std::min<LONG>(c.right, s.width()),
                     std::min<LONG>(c.bottom, s.height())};
    const int w = std::max<int>(0, kept.rect.right - kept.rect.left);
    for (LONG y = kept.rect.top; y < kept.rect.bottom; ++y) {
        const std::uint32_t* row = m_grid.surface->row(static_cast<int>(y)) + kept.rect.left;
        kept.pixels.insert(kept.pixels.end(), row, row + w);
    }
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
    render();
}

void SdlFace::handle(const SDL_Event& e)
{
    const bool dialog = m_dialog.active();
    switch (e.type) {
    case SDL_QUIT: m_shell->close(); break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED) m_gridAll = m_layoutChanged = true;
        if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) layout();
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
        m_pointer = m_scaling.toPicture(POINT{e.motion.x, e.motion.y});
        if (e.motion.y >= m_height - barsHeight()) m_pointer = POINT{-1, -1};
        if (!dialog && m_container) m_container->mouseMove(m_pointer, keysOf(e.motion.state));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        const bool onBars = e.button.y >= m_height - barsHeight();
        if (dialog) {
            if (down) m_dialog.click(e.button.x, e.button.y);
            break;
        }
        if (!m_container) break;
        // A double click on the status line switches full screen.
        if (down && e.button.clicks == 2 && e.button.button == SDL_BUTTON_LEFT && e.button.y >= m_height - kStatusHeight) {
            m_shell->command(ViewerCommand::FullScreen, "double-click");
            break;
        }
        m_pointer = onBars ? POINT{-1, -1} : m_scaling.toPicture(POINT{e.button.x, e.button.y});
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

// Over each cell whose camera waits, connects or was stopped: its last
// picture (what its fresh control draws meanwhile is covered); its
// caption says why. Answers whether a caption changed.
bool SdlFace::restoreKept(bool all)
{
    bool changed = false;
    const ReconnectWatch* watch = m_shell->reconnect();
    for (std::size_t i = 0; i < m_captions.size() && i < m_container->count(); ++i) {
        const std::string wait = watch && m_options.reconnect ? watch->overlay(i) : std::string();
        const bool stopped = m_shell->stopped() && watch && watch->stopped(i);
        const std::string caption = !wait.empty() ? wait : stopped ? "stopped" : std::string();
        KeptPicture& kept = m_kept[i];
        if (wait.empty() && !stopped) kept.pixels.clear(); // drawing again: its own picture covers the cell
        if ((all || m_container->painted(i)) && !kept.pixels.empty()) {
            const int w = kept.rect.right - kept.rect.left;
            for (LONG y = kept.rect.top; y < kept.rect.bottom && w > 0; ++y)
                std::copy_n(kept.pixels.data() + static_cast<std::size_t>(y - kept.rect.top) * static_cast<std::size_t>(w), w,
                            m_grid.surface->row(static_cast<int>(y)) + kept.rect.left);
        }
        if (caption != m_captions[i]) {
            m_captions[i] = caption;
            changed = true;
        }
    }
    return changed;
}

// What is drawn over the picture at the window's size: the cells'
// captions, the keys' list and the password dialog.
void SdlFace::drawOverlay()
{
    const auto& s = m_overlay.surface;
    widgets::fill(*s, RECT{0, 0, s->width(), s->height()}, kClear);
    for (std::size_t i = 0; m_container && i < m_captions.size(); ++i) {
        const RECT c = m_container->cell(i);
        const POINT from = m_scaling.toWindow(POINT{c.left, c.top});
        const POINT to = m_scaling.toWindow(POINT{c.right, c.bottom});
        if (m_captions[i].empty() || to.x <= from.x || to.y <= from.y) continue;
        const RECT caption{std::max<LONG>(from.x, 0), std::max<LONG>(from.y, 0), to.x, std::min<LONG>(to.y, from.y + 24)};
        widgets::fill(*s, caption, widgets::kPanel);
        widgets::text(s, RECT{caption.left + 6, caption.top + 4, caption.right - 4, caption.bottom}, m_captions[i], widgets::kText);
    }
    if (m_shell->keysShown()) {
        const auto& lines = ViewerKeyLines();
        const int count = static_cast<int>(lines.size());
        const RECT box{4, 4, 4 + std::min(s->width() - 8, 520), 4 + std::min(s->height() - 8, 16 + count * 20)};
        widgets::fill(*s, box, widgets::kPanel);
        widgets::frame(*s, box, widgets::kBorder);
        for (int i = 0; i < count; ++i)
            widgets::text(s, RECT{box.left + 10, box.top + 8 + i * 20, box.right - 6, box.top + 26 + i * 20},
                          lines[static_cast<std::size_t>(i)], widgets::kText);
    }
    if (m_dialog.active()) m_dialog.draw(s, SIZE{s->width(), s->height()});
    // What was not drawn over shows the picture.
    for (int y = 0; y < s->height(); ++y) {
        std::uint32_t* row = s->row(y);
        for (int x = 0; x < s->width(); ++x) row[x] = row[x] == kClear ? 0 : (row[x] | 0xFF000000u);
    }
    m_overlay.upload();
}

void SdlFace::render()
{
    if (m_layoutChanged) layout();
    bool changed = false;
    bool onlyCells = !m_gridAll && !m_layoutChanged;
    if (m_container) {
        const bool all = m_gridAll;
        if (all) widgets::fill(*m_grid.surface, RECT{0, 0, m_grid.surface->width(), m_grid.surface->height()}, widgets::kBackground);
        changed = m_container->paint(m_grid.surface, all);
        m_container->pollCursor();
        if (restoreKept(all)) m_layoutChanged = true;
        m_gridAll = false;
    }
    const bool dialog = m_dialog.active();
    if (dialog || m_dialogShown) m_layoutChanged = true; // typed text, or the controls back from under it
    m_dialogShown = dialog;
    const std::string status = m_shell->statusLine();
    const std::string message = m_shell->message();
    if (status != m_shownStatus || message != m_shownMessage || m_layoutChanged) {
        const auto& s = m_bars.surface;
        const int width = s->width();
        widgets::fill(*s, RECT{0, 0, width, kMessageHeight}, 0xF4F4F4);
        widgets::text(s, RECT{6, 3, 70, 20}, "Message", 0x606060);
        widgets::text(s, RECT{70, 3, width - 6, kMessageHeight - 2}, message, widgets::kText, true);
        widgets::fill(*s, RECT{0, kMessageHeight, width, barsHeight()}, widgets::kPanel);
        widgets::text(s, RECT{6, kMessageHeight + 4, width - 6, barsHeight()}, status, widgets::kText);
        m_bars.upload();
        m_shownStatus = status;
        m_shownMessage = message;
        changed = true;
    }
    m_cursors.show(dialog ? LoadCursorA(nullptr, IDC_ARROW) : GetCursor());
    if (!changed && !m_layoutChanged) return;
    if (m_layoutChanged) {
        drawOverlay();
        onlyCells = false;
    }
    if (m_container && onlyCells) {
        // Only the cells that were painted go to the texture: many cameras
        // make a large grid.
        for (std::size_t i = 0; i < m_container->count(); ++i) {
            if (!m_container->painted(i)) continue;
            const RECT c = m_container->cell(i);
            const SDL_Rect rect{c.left, c.top, c.right - c.left, c.bottom - c.top};
            m_grid.upload(&rect);
        }
    } else if (m_container) {
        m_grid.upload();
    }
    present();
    m_layoutChanged = false;
}

void SdlFace::present()
{
    SDL_SetRenderDrawColor(m_renderer, 0x20, 0x24, 0x28, 0xFF);
    SDL_RenderClear(m_renderer);
    const RECT& view = m_scaling.view();
    const RECT& target = m_scaling.target();
    const SDL_Rect source{view.left, view.top, view.right - view.left, view.bottom - view.top};
    const SDL_Rect place{target.left, target.top, target.right - target.left, target.bottom - target.top};
    if (m_container) SDL_RenderCopy(m_renderer, m_grid.texture, &source, &place);
    const SDL_Rect over{0, 0, m_overlay.surface->width(), m_overlay.surface->height()};
    SDL_RenderCopy(m_renderer, m_overlay.texture, nullptr, &over);
    const SDL_Rect bars{0, m_height - barsHeight(), m_bars.surface->width(), barsHeight()};
    SDL_RenderCopy(m_renderer, m_bars.texture, nullptr, &bars);
    SDL_RenderPresent(m_renderer);
}

std::string SdlFace::askAddress(const std::vector<std::string>& recent, const std::string& notice)
{
    AddressDialog dialog(recent, notice);
    SDL_SetWindowTitle(m_window, "camview - open a camera");
    SDL_StartTextInput();
    Layer page;
    while (dialog.state() == AddressDialog::State::Asking) {
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, 100)) {
            do {
                switch (e.type) {
                case SDL_QUIT: dialog.key(AddressDialog::Key::Escape); break;
                case SDL_TEXTINPUT: dialog.typeText(e.text.text); break;
                case SDL_MOUSEBUTTONDOWN: dialog.click(e.button.x, e.button.y); break;
                case SDL_KEYDOWN:
                    switch (e.key.keysym.sym) {
                    case SDLK_RETURN:
                    case SDLK_KP_ENTER: dialog.key(AddressDialog::Key::Enter); break;
                    case SDLK_ESCAPE: dialog.key(AddressDialog::Key::Escape); break;
                    case SDLK_BACKSPACE: dialog.key(AddressDialog::Key::Backspace); break;
                    case SDLK_UP: dialog.key(AddressDialog::Key::Up); break;
                    case SDLK_DOWN: dialog.key(AddressDialog::Key::Down); break;
                    case SDLK_TAB: dialog.key(AddressDialog::Key::Tab); break;
                    case SDLK_a:
                        if (e.key.keysym.mod & KMOD_CTRL) dialog.key(AddressDialog::Key::SelectAll);
                        break;
                    default: break;
                    }
                    break;
                default: break;
                }
            } while (SDL_PollEvent(&e));
        }
        // The dialog at the window's size, whatever it is now.
        int width = 0, height = 0;
        SDL_GetWindowSize(m_window, &width, &height);
        if (!page.surface || page.surface->width() != width || page.surface->height() != height)
            page.make(m_renderer, width, height, false);
        widgets::fill(*page.surface, RECT{0, 0, width, height}, widgets::kBackground);
        dialog.draw(page.surface, SIZE{width, height});
        page.upload();
        m_cursors.show(LoadCursorA(nullptr, IDC_ARROW));
        SDL_RenderClear(m_renderer);
        SDL_RenderCopy(m_renderer, page.texture, nullptr, nullptr);
        SDL_RenderPresent(m_renderer);
    }
    m_layoutChanged = true;
    if (dialog.state() != AddressDialog::State::Accepted) return {};
    return dialog.address();
}

} // namespace

int RunDesktop(const CamviewOptions& options, const std::string& modulePath)
{
    SdlFace face(options, modulePath);
    return face.run();
}
