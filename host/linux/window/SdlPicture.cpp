#include "host/linux/window/SdlPicture.h"

#include "host/core/Grid.h"

#include <algorithm>
#include <ctime>

#include "host/core/ViewerShell.h"
#include "host/linux/window/AddressDialog.h"
#include "host/linux/container/ViewerContainer.h"
#include "host/linux/window/PasswordDialog.h"
#include "host/linux/window/SdlCursors.h"
#include "host/linux/container/Snapshot.h"
#include "host/linux/window/Widgets.h"
#include "platform/window/Cursor.h"

namespace {

// The overlay's pixels that show the picture through it.
constexpr std::uint32_t kClear = 0x00FF00FF;

} // namespace

void Layer::make(SDL_Renderer* renderer, int width, int height, bool blended)
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

void Layer::upload(const SDL_Rect* rect)
{
    const int x = rect ? rect->x : 0, y = rect ? rect->y : 0;
    SDL_UpdateTexture(texture, rect, surface->row(y) + x, surface->width() * 4);
}

void Layer::reset()
{
    if (texture) SDL_DestroyTexture(texture);
    texture = nullptr;
    surface.reset();
}

SdlPicture::SdlPicture(SDL_Window* window, SDL_Renderer* renderer) : m_window(window), m_renderer(renderer)
{
    m_grid.make(m_renderer, 1, 1, false);
    layout(-1);
}

void SdlPicture::attach(ViewerContainer* container)
{
    m_container = container;
    const SIZE grid = container ? container->extent() : SIZE{1, 1};
    m_grid.make(m_renderer, grid.cx, grid.cy, false);
    widgets::fill(*m_grid.surface, RECT{0, 0, grid.cx, grid.cy}, widgets::kBackground);
    m_kept.assign(container ? container->count() : 0, KeptPicture{});
    m_captions.assign(container ? container->count() : 0, std::string());
    m_alone = -1;
    layout(-1);
    exposed();
}

void SdlPicture::reset()
{
    m_grid.reset();
    m_overlay.reset();
    m_bars.reset();
}

POINT SdlPicture::toGrid(POINT window) const
{
    return window.y >= m_height - kBarsHeight ? POINT{-1, -1} : m_scaling.toPicture(window);
}

void SdlPicture::layout(int alone)
{
    SDL_GetWindowSize(m_window, &m_width, &m_height);
    m_alone = alone;
    const int area = std::max(1, m_height - kBarsHeight);
    if (!m_overlay.surface || m_overlay.surface->width() != m_width || m_overlay.surface->height() != area) {
        m_overlay.make(m_renderer, m_width, area, true);
        m_bars.make(m_renderer, m_width, kBarsHeight, false);
        m_shownStatus = m_shownMessage = "\n";
    }
    // The camera shown alone, or the grid, scaled into the area above the
    // bars with its shape kept.
    const SIZE grid = m_container ? m_container->extent() : SIZE{1, 1};
    const RECT view = m_container && alone >= 0 ? m_container->cell(static_cast<std::size_t>(alone)) : RECT{0, 0, grid.cx, grid.cy};
    m_scaling = ViewScaling(view, RECT{0, 0, m_width, area});
    m_changed = true;
}

std::vector<std::string> SdlPicture::writeSnapshots(const std::vector<std::size_t>& cameras, const std::string& folder)
{
    std::vector<std::string> written;
    const std::time_t now = std::time(nullptr);
    for (const std::size_t i : cameras) {
        const std::string path = WriteSnapshot(*m_grid.surface, m_container->cell(i), folder, m_container->cameraHost(i), now);
        if (!path.empty()) written.push_back(path);
    }
    return written;
}

void SdlPicture::keepLastPicture(std::size_t camera)
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

// Over each cell whose camera waits, connects or was stopped: its last
// picture (what its fresh control draws meanwhile is covered); its
// caption says why. Answers whether a caption changed.
bool SdlPicture::restoreKept(const ViewerShell& shell, bool reconnect, bool all)
{
    bool changed = false;
    const ReconnectWatch* watch = shell.reconnect();
    for (std::size_t i = 0; i < m_captions.size() && i < m_container->count(); ++i) {
        const std::string wait = watch && reconnect ? watch->overlay(i) : std::string();
        const bool stopped = shell.stopped() && watch && watch->stopped(i);
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
void SdlPicture::drawOverlay(const ViewerShell& shell, PasswordDialog& dialog)
{
    const auto& s = m_overlay.surface;
    widgets::fill(*s, RECT{0, 0, s->width(), s->height()}, kClear);
    // A wall's names, in the strips above the cells (the selected one
    // marked), while the whole grid is shown.
    for (std::size_t i = 0; m_container && m_alone < 0 && i < m_container->count(); ++i) {
        const std::string name = m_container->cameraName(i);
        if (name.empty()) continue;
        const RECT strip = CaptionOf(m_container->cell(i));
        const POINT from = m_scaling.toWindow(POINT{strip.left, strip.top});
        const POINT to = m_scaling.toWindow(POINT{strip.right, strip.bottom});
        if (to.x <= from.x || to.y <= from.y) continue;
        const RECT caption{std::max<LONG>(from.x, 0), std::max<LONG>(from.y, 0), to.x, to.y};
        const bool selected = shell.selected() == static_cast<int>(i);
        widgets::fill(*s, caption, selected ? widgets::kFocus : widgets::kPanel);
        widgets::text(s, RECT{caption.left + 4, caption.top + std::max<LONG>(0, (caption.bottom - caption.top - 14) / 2), caption.right - 2, caption.bottom},
                      name, selected ? widgets::kLightText : widgets::kText);
    }
    for (std::size_t i = 0; m_container && i < m_captions.size(); ++i) {
        const RECT c = m_container->cell(i);
        const POINT from = m_scaling.toWindow(POINT{c.left, c.top});
        const POINT to = m_scaling.toWindow(POINT{c.right, c.bottom});
        if (m_captions[i].empty() || to.x <= from.x || to.y <= from.y) continue;
        const RECT caption{std::max<LONG>(from.x, 0), std::max<LONG>(from.y, 0), to.x, std::min<LONG>(to.y, from.y + 24)};
        widgets::fill(*s, caption, widgets::kPanel);
        widgets::text(s, RECT{caption.left + 6, caption.top + 4, caption.right - 4, caption.bottom}, m_captions[i], widgets::kText);
    }
    if (shell.keysShown()) {
        const auto& lines = ViewerKeyLines();
        const int count = static_cast<int>(lines.size());
        const RECT box{4, 4, 4 + std::min(s->width() - 8, 520), 4 + std::min(s->height() - 8, 16 + count * 20)};
        widgets::fill(*s, box, widgets::kPanel);
        widgets::frame(*s, box, widgets::kBorder);
        for (int i = 0; i < count; ++i)
            widgets::text(s, RECT{box.left + 10, box.top + 8 + i * 20, box.right - 6, box.top + 26 + i * 20},
                          lines[static_cast<std::size_t>(i)], widgets::kText);
    }
    if (dialog.active()) dialog.draw(s, SIZE{s->width(), s->height()});
    // What was not drawn over shows the picture.
    for (int y = 0; y < s->height(); ++y) {
        std::uint32_t* row = s->row(y);
        for (int x = 0; x < s->width(); ++x) row[x] = row[x] == kClear ? 0 : (row[x] | 0xFF000000u);
    }
    m_overlay.upload();
}

void SdlPicture::render(ViewerShell& shell, bool reconnect, PasswordDialog& dialog, SdlCursors& cursors)
{
    if (m_changed) layout(shell.alone());
    bool changed = false;
    bool onlyCells = !m_gridAll && !m_changed;
    if (m_container) {
        const bool all = m_gridAll;
        if (all) widgets::fill(*m_grid.surface, RECT{0, 0, m_grid.surface->width(), m_grid.surface->height()}, widgets::kBackground);
        changed = m_container->paint(m_grid.surface, all);
        m_container->pollCursor();
        if (restoreKept(shell, reconnect, all)) m_changed = true;
        m_gridAll = false;
    }
    const bool asking = dialog.active();
    if (asking || m_dialogShown) m_changed = true; // typed text, or the controls back from under it
    m_dialogShown = asking;
    const std::string status = shell.statusLine();
    const std::string message = shell.message();
    if (status != m_shownStatus || message != m_shownMessage || m_changed) {
        const auto& s = m_bars.surface;
        const int width = s->width();
        widgets::fill(*s, RECT{0, 0, width, kMessageHeight}, 0xF4F4F4);
        widgets::text(s, RECT{6, 3, 70, 20}, "Message", 0x606060);
        widgets::text(s, RECT{70, 3, width - 6, kMessageHeight - 2}, message, widgets::kText, true);
        widgets::fill(*s, RECT{0, kMessageHeight, width, kBarsHeight}, widgets::kPanel);
        widgets::text(s, RECT{6, kMessageHeight + 4, width - 6, kBarsHeight}, status, widgets::kText);
        m_bars.upload();
        m_shownStatus = status;
        m_shownMessage = message;
        changed = true;
    }
    cursors.show(asking ? LoadCursorA(nullptr, IDC_ARROW) : GetCursor());
    if (!changed && !m_changed) return;
    if (m_changed) {
        drawOverlay(shell, dialog);
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
    m_changed = false;
}

void SdlPicture::present()
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
    const SDL_Rect bars{0, m_height - kBarsHeight, m_bars.surface->width(), kBarsHeight};
    SDL_RenderCopy(m_renderer, m_bars.texture, nullptr, &bars);
    SDL_RenderPresent(m_renderer);
}

std::string SdlPicture::askAddress(const std::vector<std::string>& recent, const std::string& notice, SdlCursors& cursors,
                                   bool asText)
{
    AddressDialog dialog(recent, notice);
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
        cursors.show(LoadCursorA(nullptr, IDC_ARROW));
        SDL_RenderClear(m_renderer);
        SDL_RenderCopy(m_renderer, page.texture, nullptr, nullptr);
        SDL_RenderPresent(m_renderer);
    }
    exposed();
    if (dialog.state() != AddressDialog::State::Accepted) return {};
    return asText ? dialog.text() : dialog.address();
}
