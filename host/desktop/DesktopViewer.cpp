#include "host/desktop/DesktopViewer.h"

#include "host/core/HeadlessLoop.h"
#include "host/core/Reconnect.h"
#include "host/core/Recording.h"
#include "host/core/StatusLine.h"
#include "host/core/ViewerKeys.h"
#include "host/core/ViewerAddress.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "host/container/PageLoader.h"
#include "host/container/ViewerContainer.h"
#include "host/container/ViewerSession.h"
#include "host/desktop/AddressDialog.h"
#include "host/desktop/PasswordDialog.h"
#include "host/desktop/PhysicalButtons.h"
#include "host/desktop/RecentAddressesFile.h"
#include "host/core/RecentAddresses.h"
#include "host/desktop/SdlCursors.h"
#include "host/desktop/Snapshot.h"
#include "host/core/ViewScaling.h"
#include "host/desktop/Widgets.h"
#include "platform/window/Cursor.h"
#include "platform/window/InputState.h"
#include "platform/wininet/linux/StandInWinInet.h"

namespace {

constexpr int kMessageHeight = 44;
constexpr int kStatusHeight = 22;
constexpr int kMinWidth = 480;
// How long a page may take to load in the window, the time its password
// dialog is open not counted (as the Windows viewer gives it).
constexpr DWORD kPageTimeoutMs = 20000;

// The digit of a number key, on the main keys or the keypad; 0 for another key.
char digitOf(SDL_Keycode key)
{
    if (key >= SDLK_0 && key <= SDLK_9) return static_cast<char>('0' + (key - SDLK_0));
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return static_cast<char>('1' + (key - SDLK_KP_1));
    return key == SDLK_KP_0 ? '0' : 0;
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
    DesktopViewer(const CamviewOptions& options, std::string modulePath)
        : m_options(options), m_modulePath(std::move(modulePath)),
          m_dialog(std::this_thread::get_id(), [this] { turn(); })
    {
    }

    int run();

private:
    bool openWindow();
    // A new canvas: the grid at the controls' own sizes with the Message
    // area and the status line below, as the window shows it unscaled.
    void makeCanvas(int width, int height);
    // Where the canvas goes in the window at its present size and view.
    void layoutView();
    // A window position in canvas coordinates.
    POINT toCanvas(POINT window) const;
    void toggleFullScreen();
    // Shows one camera alone, or the grid, after a digit key.
    void showAlone(char digit);
    void takeSnapshot();
    // Asks for the camera's address in the window; empty when cancelled.
    // notice: why it asks again (the last address could not be shown).
    std::string askAddress(const std::string& notice = {});
    // Loads m_pageUrl into the window and runs it until closed; the exit
    // status, 0 once the page was shown.
    int showPage();
    // One turn of the loop: input, messages, painting.
    void turn();
    void handle(const SDL_Event& e);
    void render();
    bool reload(std::size_t camera);
    bool drawReconnecting(bool cellsChanged);
    // Reports a key the viewer acted on to --events, as camview.exe does.
    void logKey(const char* name);
    // F5 and Enter: the camera shown alone or under the pointer (else
    // every camera) made again, Stop undone.
    void reloadCameras();
    // Answers whether anything was drawn.
    bool drawMessageAndStatus();
    // The mouse and keys, listed over the picture.
    void drawKeys();
    std::string statusLine();

    const CamviewOptions& m_options;
    std::string m_modulePath;
    std::string m_pageUrl; // never with credentials
    std::string m_user;    // NAME:PASSWORD for m_pageUrl's camera: given, typed, or none
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
    std::atomic<bool>* m_loadCancel = nullptr; // set while the page loads
    ControlStatuses m_events; // each camera's last event
    std::string m_propertyPage;
    // The times of each camera's frames drawn in the last two seconds.
    FrameRates m_rates;
    ControlStatuses m_statuses; // each camera's status text while it has no picture
    std::string m_shownStatus;
    std::string m_notice; // shown in the status line for a while
    std::chrono::steady_clock::time_point m_noticeUntil;
    POINT m_pointer{0, 0}; // in canvas coordinates
    int m_alone = -1;      // the camera shown alone, or -1 for the grid
    Recorder m_recorder;   // r and --record
    bool m_fullScreen = false;
    SDL_Rect m_windowed{0, 0, 0, 0}; // the window before full screen
    bool m_stopped = false; // the browser's Stop was given (Esc) to some camera
    // Cameras whose stream ended are made again; while one waits or
    // connects, its cell shows why over the last picture it drew (kept
    // from the surface when its control is replaced).
    ReconnectWatch m_reconnect;
    struct CellPicture {
        RECT rect{};
        std::vector<std::uint32_t> pixels; // empty: none kept
    };
    std::vector<CellPicture> m_lastPictures;
    void restorePicture(const CellPicture& kept);
    std::vector<std::string> m_overlays; // the text each cell shows now
    std::vector<bool> m_drew;            // the camera has drawn a picture
    bool m_showKeys = false; // the keys' list is shown (h, ?, F1)
    bool m_presentAll = true; // the window's layout changed: present it whole
    ViewScaling m_scaling;
    SDL_Rect m_barsSource{0, 0, 0, 0}; // with one camera alone: the bars, unscaled
    SDL_Rect m_barsTarget{0, 0, 0, 0};
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

bool DesktopViewer::openWindow()
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
        SDL_Quit();
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
    makeCanvas(640, 480);
    return true;
}

void DesktopViewer::makeCanvas(int width, int height)
{
    if (m_texture) SDL_DestroyTexture(m_texture);
    m_texture = SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    // Scaled to the window bilinearly: nearest pixels make an enlarged or
    // shrunk picture blocky.
    if (m_texture) SDL_SetTextureScaleMode(m_texture, SDL_ScaleModeLinear);
    m_surface = std::make_shared<Surface>(width, height);
    widgets::fill(*m_surface, RECT{0, 0, width, height}, widgets::kBackground);
    m_repaintAll = true;
    m_messageChanged = true;
    layoutView();
}

void DesktopViewer::layoutView()
{
    int width = 0, height = 0;
    SDL_GetWindowSize(m_window, &width, &height);
    const int canvasWidth = m_surface->width();
    const int canvasHeight = m_surface->height();
    const int bars = kMessageHeight + kStatusHeight;
    m_barsSource = m_barsTarget = SDL_Rect{0, 0, 0, 0};
    if (m_alone >= 0 && m_container && !m_dialog.active()) {
        // The camera scaled into the window above the bars, which keep
        // their size so that their text stays readable.
        m_scaling = ViewScaling(m_container->cell(static_cast<std::size_t>(m_alone)),
                                RECT{0, 0, width, std::max(1, height - bars)});
        m_barsSource = SDL_Rect{0, canvasHeight - bars, canvasWidth, bars};
        m_barsTarget = SDL_Rect{0, height - bars, std::min(canvasWidth, width), bars};
        m_barsSource.w = m_barsTarget.w;
    } else {
        m_scaling = ViewScaling(RECT{0, 0, canvasWidth, canvasHeight}, RECT{0, 0, width, height});
    }
    m_presentAll = true;
}

POINT DesktopViewer::toCanvas(POINT window) const
{
    if (m_barsTarget.h > 0 && window.y >= m_barsTarget.y)
        return POINT{window.x, m_barsSource.y + (window.y - m_barsTarget.y)};
    return m_scaling.toPicture(window);
}

void DesktopViewer::toggleFullScreen()
{
    m_fullScreen = !m_fullScreen;
    // Full screen is the window without its frame over the whole display,
    // its size and place before kept and put back after: this needs no
    // window manager (without one, a window manager's full screen neither
    // comes nor goes).
    if (m_fullScreen) {
        SDL_GetWindowSize(m_window, &m_windowed.w, &m_windowed.h);
        SDL_GetWindowPosition(m_window, &m_windowed.x, &m_windowed.y);
        SDL_Rect display{0, 0, 0, 0};
        SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(m_window)), &display);
        SDL_SetWindowBordered(m_window, SDL_FALSE);
        SDL_SetWindowPosition(m_window, display.x, display.y);
        SDL_SetWindowSize(m_window, display.w, display.h);
        SDL_RaiseWindow(m_window);
    } else {
        SDL_SetWindowBordered(m_window, SDL_TRUE);
        if (m_windowed.w > 0 && m_windowed.h > 0) {
            SDL_SetWindowSize(m_window, m_windowed.w, m_windowed.h);
            SDL_SetWindowPosition(m_window, m_windowed.x, m_windowed.y);
        }
    }
    layoutView();
}

void DesktopViewer::showAlone(char digit)
{
    if (!m_container) return;
    m_alone = AloneAfterKey(digit, m_container->count(), m_alone);
    m_repaintAll = true;
    layoutView();
}

void DesktopViewer::takeSnapshot()
{
    if (!m_container) return;
    const int under = m_alone >= 0 ? m_alone : m_container->controlAt(m_pointer);
    const SIZE grid = m_container->extent();
    const RECT rect = under >= 0 ? m_container->cell(static_cast<std::size_t>(under)) : RECT{0, 0, grid.cx, grid.cy};
    const std::string host = m_container->cameraHost(static_cast<std::size_t>(std::max(0, under)));
    const std::string folder = PicturesFolder();
    const std::string path = WriteSnapshot(*m_surface, rect, folder, host, std::time(nullptr));
    m_notice = SnapshotNotice(path.empty() ? std::vector<std::string>{} : std::vector<std::string>{path}, 1, folder);
    m_noticeUntil = std::chrono::steady_clock::now() + std::chrono::seconds(5);
}

std::string DesktopViewer::statusLine()
{
    if (!m_loading.empty()) return m_loading;
    const auto now = std::chrono::steady_clock::now();
    StatusLineInput in;
    const std::size_t count = m_container ? std::min(m_container->count(), m_rates.size()) : 0;
    for (std::size_t i = 0; i < count; ++i) {
        in.hosts.push_back(m_container->cameraHost(i));
        in.rates.push_back(m_rates.rate(i, now));
        in.statuses.push_back(m_statuses.of(static_cast<int>(i)));
    }
    in.shown = m_alone >= 0 ? m_alone : m_container ? m_container->controlAt(m_pointer) : -1;
    in.recording = m_recorder.status();
    if (now < m_noticeUntil) in.notice = m_notice;
    for (std::size_t i = 0; i < count; ++i) in.lastEvents.push_back(m_events.of(static_cast<int>(i)));
    in.latestEvent = m_events.last();
    in.credentialsGiven = !m_user.empty();
    return ComposeStatusLine(in);
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

void DesktopViewer::drawKeys()
{
    const auto& lines = ViewerKeyLines();
    const int count = static_cast<int>(lines.size());
    const int width = std::min(m_surface->width() - 8, 460);
    const int height = std::min(m_surface->height() - 8, 16 + count * 20);
    const RECT box{4, 4, 4 + width, 4 + height};
    widgets::fill(*m_surface, box, widgets::kPanel);
    widgets::frame(*m_surface, box, widgets::kBorder);
    for (int i = 0; i < count; ++i)
        widgets::text(m_surface, RECT{box.left + 10, box.top + 8 + i * 20, box.right - 6, box.top + 26 + i * 20},
                      lines[static_cast<std::size_t>(i)], widgets::kText);
}

void DesktopViewer::render()
{
    bool changed = false;
    // Whether only the controls' cells changed: then only they go to the
    // texture, not the whole grid (many cameras make a large one).
    bool onlyCells = !m_repaintAll && !m_presentAll;
    // Painted whole, the canvas is cleared first: no part of a dialog that
    // stood over it stays beside the grid.
    if (m_repaintAll && m_surface)
        widgets::fill(*m_surface, RECT{0, 0, m_surface->width(), m_surface->height()}, widgets::kBackground);
    if (m_container) {
        const bool all = m_repaintAll;
        changed = m_container->paint(m_surface, all);
        m_container->pollCursor();
        if (m_options.reconnect && drawReconnecting(all)) {
            changed = true;
            onlyCells = false;
        }
        // After Stop each cell says so over its last picture.
        if (m_stopped && (changed || all)) {
            for (std::size_t i = 0; i < m_container->count(); ++i) {
                if (!m_reconnect.stopped(i)) continue;
                const RECT c = m_container->cell(i);
                const RECT label{c.left + 4, c.top + 4, std::min<LONG>(c.right, c.left + 80), std::min<LONG>(c.bottom, c.top + 24)};
                widgets::fill(*m_surface, label, widgets::kPanel);
                widgets::text(m_surface, RECT{label.left + 6, label.top + 2, label.right, label.bottom}, "stopped",
                              widgets::kText);
            }
            changed = true;
            onlyCells = false;
        }
    }
    if (drawMessageAndStatus()) {
        changed = true;
        onlyCells = false;
    }
    if (m_showKeys) {
        drawKeys();
        changed = true;
        onlyCells = false;
    }
    m_repaintAll = false;
    const bool dialog = m_dialog.active();
    if (dialog) m_dialog.draw(m_surface, SIZE{m_surface->width(), m_surface->height()});
    else if (m_dialogShown) m_repaintAll = true; // the controls come back from under the dialog
    m_dialogShown = dialog;
    m_cursors.show(dialog ? LoadCursorA(nullptr, IDC_ARROW) : GetCursor());
    // The window's pixels go to the screen only when something changed:
    // most turns deliver a timer and paint nothing.
    if (!changed && !dialog && !m_presentAll) return;
    if (dialog && m_alone >= 0 && m_barsTarget.h > 0) layoutView(); // the dialog shows over the grid
    if (!dialog && m_alone >= 0 && m_barsTarget.h == 0) layoutView();
    if (onlyCells && !dialog && m_container) {
        for (std::size_t i = 0; i < m_container->count(); ++i) {
            if (!m_container->painted(i)) continue;
            const RECT c = m_container->cell(i);
            const SDL_Rect rect{c.left, c.top, c.right - c.left, c.bottom - c.top};
            SDL_UpdateTexture(m_texture, &rect, m_surface->row(c.top) + c.left, m_surface->width() * 4);
        }
    } else {
        SDL_UpdateTexture(m_texture, nullptr, m_surface->row(0), m_surface->width() * 4);
    }
    const RECT& view = m_scaling.view();
    const RECT& target = m_scaling.target();
    const SDL_Rect source{view.left, view.top, view.right - view.left, view.bottom - view.top};
    const SDL_Rect place{target.left, target.top, target.right - target.left, target.bottom - target.top};
    if (m_presentAll) {
        SDL_SetRenderDrawColor(m_renderer, 0x20, 0x24, 0x28, 0xFF);
        SDL_RenderClear(m_renderer);
    }
    SDL_RenderCopy(m_renderer, m_texture, &source, &place);
    if (m_barsTarget.h > 0) SDL_RenderCopy(m_renderer, m_texture, &m_barsSource, &m_barsTarget);
    SDL_RenderPresent(m_renderer);
    m_presentAll = false;
}

void DesktopViewer::handle(const SDL_Event& e)
{
    const bool dialog = m_dialog.active();
    switch (e.type) {
    case SDL_QUIT: m_running = false; break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED) m_repaintAll = true;
        if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) layoutView();
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) m_running = false;
        break;
    case SDL_TEXTINPUT:
        if (dialog) m_dialog.typeText(e.text.text);
        break;
    case SDL_KEYDOWN:
        if (m_loadCancel && !dialog) {
            // While the page loads: Esc gives it up, q quits.
            if (e.key.keysym.sym == SDLK_ESCAPE) m_loadCancel->store(true, std::memory_order_release);
            if (e.key.keysym.sym == SDLK_q) m_running = false;
        } else if (dialog) {
            switch (e.key.keysym.sym) {
            case SDLK_TAB: m_dialog.key(PasswordDialog::Key::Tab); break;
            case SDLK_RETURN:
            case SDLK_KP_ENTER: m_dialog.key(PasswordDialog::Key::Enter); break;
            case SDLK_ESCAPE: m_dialog.key(PasswordDialog::Key::Escape); break;
            case SDLK_BACKSPACE: m_dialog.key(PasswordDialog::Key::Backspace); break;
            case SDLK_SPACE: m_dialog.key(PasswordDialog::Key::Space); break;
            default: break;
            }
        } else if (m_showKeys) {
            m_showKeys = false; // any key closes the keys' list
            m_repaintAll = true;
        } else if (e.key.keysym.sym == SDLK_h || e.key.keysym.sym == SDLK_F1 || e.key.keysym.sym == SDLK_QUESTION ||
                   (e.key.keysym.sym == SDLK_SLASH && (e.key.keysym.mod & KMOD_SHIFT))) {
            m_showKeys = true;
        } else if (!m_propertyPage.empty() &&
                   (e.key.keysym.sym == SDLK_ESCAPE || e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_p)) {
            m_propertyPage.clear(); // closes the property page
            m_messageChanged = true;
        } else if ((e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER) && m_container &&
                   m_reconnect.retryPassword(m_alone >= 0 ? m_alone : m_container->controlAt(m_pointer))) {
            m_repaintAll = true; // the camera whose password was cancelled asks again
        } else if (e.key.keysym.sym == SDLK_q) {
            logKey("q");
            m_running = false;
        } else if (e.key.keysym.sym == SDLK_f || e.key.keysym.sym == SDLK_F11 ||
                   (e.key.keysym.sym == SDLK_ESCAPE && m_fullScreen)) {
            // Esc leaves full screen before it is the browser's Stop.
            if (e.key.keysym.sym == SDLK_ESCAPE) logKey("Escape");
            toggleFullScreen();
        } else if (const char digit = digitOf(e.key.keysym.sym)) {
            showAlone(digit);
        } else if (e.key.keysym.sym == SDLK_s) {
            takeSnapshot();
        } else if (e.key.keysym.sym == SDLK_r && m_container) {
            m_recorder.toggle(*m_container, m_alone >= 0 ? m_alone : m_container->controlAt(m_pointer), VideosFolder());
        } else if (e.key.keysym.sym == SDLK_ESCAPE && m_container) {
            logKey("Escape");
            m_reconnect.stop(); // stopped by the user: no camera is made again
            if (m_recorder.recording()) m_recorder.stopText();
            m_container->stop();
            m_stopped = true;
            m_repaintAll = true;
        } else if ((e.key.keysym.sym == SDLK_F5 || e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER) &&
                   m_container) {
            reloadCameras();
        } else if (e.key.keysym.sym == SDLK_p && m_container && m_container->count() > 0) {
            // The camera shown alone, else the one under the pointer, else
            // the first, as in camview.exe.
            logKey("p");
            const int target = m_alone >= 0 ? m_alone : m_container->controlAt(m_pointer);
            m_container->showProperties(static_cast<std::size_t>(std::max(0, target)));
        }
        break;
    case SDL_MOUSEMOTION:
        m_pointer = toCanvas(POINT{e.motion.x, e.motion.y});
        if (!dialog && m_container) m_container->mouseMove(m_pointer, keysOf(e.motion.state));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        m_pointer = toCanvas(POINT{e.button.x, e.button.y});
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        if (dialog) {
            if (down) m_dialog.click(m_pointer.x, m_pointer.y);
            break;
        }
        if (!m_container) break;
        // A double click on the status line switches full screen.
        if (down && e.button.clicks == 2 && e.button.button == SDL_BUTTON_LEFT &&
            m_pointer.y >= m_surface->height() - kStatusHeight) {
            toggleFullScreen();
            break;
        }
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
    if (m_session && m_session->log().broken()) m_running = false;
    if (m_container && m_options.reconnect) {
        m_reconnect.step();
        m_recorder.follow(*m_container); // a camera made again goes on into its file
    }
    render();
}

// Keeps the cell's last picture from the surface, then makes the camera's
// control again.
bool DesktopViewer::reload(std::size_t camera)
{
    if (camera >= m_lastPictures.size()) return false;
    CellPicture& kept = m_lastPictures[camera];
    if (m_drew[camera] && kept.pixels.empty()) {
        const RECT c = m_container->cell(camera);
        kept.rect = RECT{std::max<LONG>(c.left, 0), std::max<LONG>(c.top, 0), std::min<LONG>(c.right, m_surface->width()),
                         std::min<LONG>(c.bottom, m_surface->height())};
        const int w = std::max<int>(0, kept.rect.right - kept.rect.left);
        for (LONG y = kept.rect.top; y < kept.rect.bottom; ++y) {
            const std::uint32_t* row = m_surface->row(static_cast<int>(y)) + kept.rect.left;
            kept.pixels.insert(kept.pixels.end(), row, row + w);
        }
    }
    return m_container->reload(camera);
}

// Over each cell whose camera waits or connects: its last picture (what
// its fresh control draws meanwhile is covered) and a line saying why.
// Answers whether anything was drawn.
bool DesktopViewer::drawReconnecting(bool all)
{
    bool drawn = false;
    for (std::size_t i = 0; i < m_overlays.size() && i < m_container->count(); ++i) {
        const std::string text = m_reconnect.overlay(i);
        CellPicture& kept = m_lastPictures[i];
        if (text.empty() && m_reconnect.stopped(i) && !kept.pixels.empty()) {
            // Stopped while it waited: its last picture stays, under
            // "stopped", over whatever its fresh control drew.
            if (!all && m_overlays[i] == "stopped" && !m_container->painted(i)) continue;
            restorePicture(kept);
            m_overlays[i] = "stopped";
            drawn = true;
            continue;
        }
        if (text.empty()) {
            // Drawing again: its own picture covers the cell.
            m_overlays[i].clear();
            kept.pixels.clear();
            continue;
        }
        if (!all && text == m_overlays[i] && !m_container->painted(i)) continue;
        restorePicture(kept);
        const RECT c = m_container->cell(i);
        const RECT label{c.left, c.top, c.right, std::min<LONG>(c.bottom, c.top + 24)};
        widgets::fill(*m_surface, label, widgets::kPanel);
        widgets::text(m_surface, RECT{label.left + 6, label.top + 4, label.right - 4, label.bottom}, text, widgets::kText);
        m_overlays[i] = text;
        drawn = true;
    }
    return drawn;
}

void DesktopViewer::logKey(const char* name)
{
    if (m_session) m_session->log().write(std::string("\"key\":\"") + name + "\"");
}

void DesktopViewer::restorePicture(const CellPicture& kept)
{
    const int w = kept.rect.right - kept.rect.left;
    if (kept.pixels.empty() || w <= 0) return;
    for (LONG y = kept.rect.top; y < kept.rect.bottom; ++y)
        std::copy_n(kept.pixels.data() + static_cast<std::size_t>(y - kept.rect.top) * static_cast<std::size_t>(w), w,
                    m_surface->row(static_cast<int>(y)) + kept.rect.left);
}

void DesktopViewer::reloadCameras()
{
    // As a browser's Reload: the camera shown alone or under the pointer,
    // else every camera, made again from the page, stopped or not.
    const int target = m_alone >= 0 ? m_alone : m_container->controlAt(m_pointer);
    for (const std::size_t i : m_reconnect.reload(target, m_container->count())) {
        if (i < m_lastPictures.size()) m_lastPictures[i].pixels.clear();
        m_container->reload(i);
    }
    m_repaintAll = true;
}

std::string DesktopViewer::askAddress(const std::string& notice)
{
    RecentAddresses recent(RecentAddressesFile());
    AddressDialog dialog(recent.list(), notice);
    SDL_SetWindowTitle(m_window, "camview - open a camera");
    SDL_StartTextInput();
    while (dialog.state() == AddressDialog::State::Asking) {
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, 100)) {
            do {
                switch (e.type) {
                case SDL_QUIT: dialog.key(AddressDialog::Key::Escape); break;
                case SDL_WINDOWEVENT:
                    if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) layoutView();
                    m_presentAll = true;
                    break;
                case SDL_TEXTINPUT: dialog.typeText(e.text.text); break;
                case SDL_MOUSEBUTTONDOWN: {
                    const POINT at = toCanvas(POINT{e.button.x, e.button.y});
                    dialog.click(at.x, at.y);
                    break;
                }
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
        widgets::fill(*m_surface, RECT{0, 0, m_surface->width(), m_surface->height()}, widgets::kBackground);
        dialog.draw(m_surface, SIZE{m_surface->width(), m_surface->height()});
        m_cursors.show(LoadCursorA(nullptr, IDC_ARROW));
        SDL_UpdateTexture(m_texture, nullptr, m_surface->row(0), m_surface->width() * 4);
        SDL_RenderClear(m_renderer);
        const RECT& t = m_scaling.target();
        const SDL_Rect place{t.left, t.top, t.right - t.left, t.bottom - t.top};
        SDL_RenderCopy(m_renderer, m_texture, nullptr, &place);
        SDL_RenderPresent(m_renderer);
    }
    if (dialog.state() != AddressDialog::State::Accepted) return {};
    return dialog.address();
}

int DesktopViewer::run()
{
    if (!openWindow()) return 2;
    m_pageUrl = m_options.pageUrl;
    m_user = m_options.user;
    // A page that cannot be shown leaves the window open: the reason is
    // said in the address dialog, which asks again.
    std::string notice;
    int exitCode = 0;
    for (;;) {
        if (m_pageUrl.empty() && m_options.params.empty()) {
            // Credentials typed in the address answer its camera as the
            // command line's do; the address goes on without them.
            const ViewerAddress typed = ReadViewerAddress(askAddress(notice));
            m_pageUrl = typed.url;
            m_user = !typed.user.empty() ? typed.user : GivenUserFor(m_options, m_pageUrl);
            if (m_pageUrl.empty()) break;
        }
        exitCode = showPage();
        if (exitCode == 0 || !m_options.params.empty() || !m_running) break;
        notice = m_session ? m_session->failure() : std::string();
        m_container = nullptr;
        m_session.reset();
        m_pageUrl.clear();
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

int DesktopViewer::showPage()
{
    // The credentials given answer their camera once; after that, other
    // cameras, and without them, the person is asked in the window.
    auto report = std::make_shared<std::atomic<EventLog*>>(nullptr);
    auto credentials = std::make_shared<CameraCredentials>(
        m_pageUrl, m_user,
        [this](const std::string& url, const std::string& notice, PersonAnswer& answer, const std::atomic<bool>& cancelled) {
            return m_dialog.ask(url, answer.user, answer.password, cancelled, notice, &answer.remember);
        },
        TellOnStderr(report), SystemPasswordStore());
    standin::PasswordPrompt prompt = ViewerPasswordPrompt(credentials);

    ContainerListener chained;
    chained.onEvent = [this](int control, const std::string& name, const std::string& value) {
        m_events.set(control, name + (value == "null" ? "" : " " + value));
    };
    chained.onStatus = [this](int control, const std::string& text) { m_statuses.set(control, text); };
    // A frame the control dropped for its size is the camera's last event.
    chained.onNotice = [this](int control, const std::string& text) { m_events.set(control, text); };
    chained.onMessage = [this](const std::string& text) {
        std::lock_guard lock(m_messageMutex);
        m_message = text;
        m_messageChanged = true;
    };
    chained.onFrame = [this](int control, int, int) {
        if (control < 0) return;
        m_rates.frame(static_cast<std::size_t>(control), std::chrono::steady_clock::now());
        if (static_cast<std::size_t>(control) < m_drew.size()) m_drew[static_cast<std::size_t>(control)] = true;
    };
    chained.onPropertyPage = [this](const std::string& title, const std::string& text) {
        m_propertyPage = "Properties - " + title + ": " + text + "  (Esc closes)";
        m_messageChanged = true;
    };
    if (m_options.reconnect) chained = m_reconnect.listener(chained);
    m_session = std::make_unique<ViewerSession>(
        ViewerSessionSetup{m_pageUrl, m_options.params, m_modulePath, std::make_shared<PhysicalButtons>(),
                           prompt, m_options.events ? stdout : nullptr, 0, m_options.allowedClasses, m_options.threads},
        chained);
    report->store(&m_session->log(), std::memory_order_release);
    m_container = &m_session->container();
    m_reconnect.setLog(&m_session->log());
    m_reconnect.attach(*m_container);
    // The cell's last picture is kept before its control is made again.
    m_reconnect.setReload([this](std::size_t camera) { return reload(camera); });

    // The page is fetched off the window's thread, so that the window
    // keeps drawing, answers q and closing, and Esc gives the fetch up.
    std::atomic<bool> cancel{false};
    std::atomic<bool> fetched{false};
    PageLoad page;
    std::thread fetcher([&] {
        page = LoadPage(m_pageUrl, m_options.params, kPageTimeoutMs, &cancel);
        fetched.store(true, std::memory_order_release);
    });
    m_loading = "loading " + (m_options.params.empty() ? UrlAuthority(m_pageUrl) : std::string("the parameters")) +
                "... (Esc to cancel)";
    m_loadCancel = &cancel;
    while (!fetched.load(std::memory_order_acquire)) {
        turn();
        if (!m_running) cancel.store(true, std::memory_order_release);
    }
    fetcher.join();
    m_loadCancel = nullptr;
    m_loading.clear();
    const int exitCode = m_running ? m_session->open(page) : 1;
    if (exitCode == 0) {
        m_rates.resize(m_container->count());
        m_lastPictures.assign(m_container->count(), CellPicture{});
        m_overlays.assign(m_container->count(), std::string());
        m_drew.assign(m_container->count(), false);
        const SIZE grid = m_container->extent();
        const int width = std::max<int>(kMinWidth, grid.cx);
        const int height = grid.cy + kMessageHeight + kStatusHeight;
        // The canvas is the page's size; the window is that size unless
        // the user asked for another (the picture scales to it).
        int windowWidth = m_options.width > 0 ? m_options.width : width;
        int windowHeight = m_options.height > 0 ? m_options.height : height;
        // A grid larger than the screen opens scaled to fit it, its shape
        // kept.
        SDL_Rect usable{0, 0, 0, 0};
        if (m_options.width == 0 && SDL_GetDisplayUsableBounds(std::max(0, SDL_GetWindowDisplayIndex(m_window)), &usable) == 0 &&
            usable.w > 0 && usable.h > 0 && (windowWidth > usable.w || windowHeight > usable.h)) {
            const double fit = std::min(static_cast<double>(usable.w) / windowWidth, static_cast<double>(usable.h) / windowHeight);
            windowWidth = std::max(160, static_cast<int>(windowWidth * fit));
            windowHeight = std::max(120, static_cast<int>(windowHeight * fit));
        }
        SDL_SetWindowSize(m_window, windowWidth, windowHeight);
        if (m_options.placed) SDL_SetWindowPosition(m_window, m_options.x, m_options.y);
        makeCanvas(width, height);
        if (m_options.fullScreen && !m_fullScreen) toggleFullScreen();
        SDL_SetWindowTitle(m_window, ViewerTitle(m_pageUrl).c_str());
        // Only addresses that worked are offered again.
        if (!m_pageUrl.empty() && m_options.params.empty()) RecentAddresses(RecentAddressesFile()).remember(m_pageUrl);
        if (!m_options.record.empty()) m_recorder.startAll(*m_container, m_options.record);
        while (m_running) turn();
        for (const std::string& line : m_recorder.stop()) std::fprintf(stderr, "camview: %s\n", line.c_str());
    }
    return exitCode;
}

} // namespace

int RunDesktop(const CamviewOptions& options, const std::string& modulePath)
{
    DesktopViewer viewer(options, modulePath);
    return viewer.run();
}
