// The Linux window's picture: the controls' grid at their own size,
// scaled into the window above the bars with its shape kept and centred;
// over it, at the window's own pixels, the cells' captions, the keys'
// list and the password dialog; below it the "Message" area and the status
// line, the window's width and their own height at any size.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/core/ViewScaling.h"
#include "platform/gdi/linux/StandInGdi.h"

class PasswordDialog;
class SdlCursors;
class ViewerContainer;
class ViewerShell;

// A streaming texture and the surface drawn into it, remade at a new size.
struct Layer {
    SDL_Texture* texture = nullptr;
    std::shared_ptr<Surface> surface;
    void make(SDL_Renderer* renderer, int width, int height, bool blended);
    void upload(const SDL_Rect* rect = nullptr);
    void reset();
    Layer() = default;
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;
    ~Layer() { reset(); }
};

class SdlPicture {
public:
    static constexpr int kMessageHeight = 44;
    static constexpr int kStatusHeight = 22;
    static constexpr int kBarsHeight = kMessageHeight + kStatusHeight;

    SdlPicture(SDL_Window* window, SDL_Renderer* renderer);
    // The page's controls (null: none): the grid is remade at their extent.
    void attach(ViewerContainer* container);
    // Laid out at the window's size now, with `alone` shown alone (or -1).
    void layout(int alone);
    // A window point in the grid's coordinates; (-1, -1) on the bars.
    POINT toGrid(POINT window) const;
    bool onStatusLine(int y) const { return y >= m_height - kStatusHeight; }
    // Whatever was shown before is drawn again (the window was exposed, or
    // the layout changed).
    void exposed() { m_gridAll = m_changed = true; }
    void changed() { m_changed = true; }
    // Draws what changed and presents it.
    void render(ViewerShell& shell, bool reconnect, PasswordDialog& dialog, SdlCursors& cursors);
    std::vector<std::string> writeSnapshots(const std::vector<std::size_t>& cameras, const std::string& folder);
    // A camera's last picture, kept while its control is made again.
    void keepLastPicture(std::size_t camera);
    void forgetLastPicture(std::size_t camera)
    {
        if (camera < m_kept.size()) m_kept[camera].pixels.clear();
    }
    // The address dialog over the whole window until answered: the address
    // typed or picked, empty when cancelled or the window closed.
    // With `asText`, the text as typed (a camera's name).
    std::string askAddress(const std::vector<std::string>& recent, const std::string& notice, SdlCursors& cursors,
                           bool asText = false);
    void reset();

private:
    bool restoreKept(const ViewerShell& shell, bool reconnect, bool all);
    void drawOverlay(const ViewerShell& shell, PasswordDialog& dialog);
    void present();

    struct KeptPicture {
        RECT rect{};
        std::vector<std::uint32_t> pixels; // empty: none kept
    };

    SDL_Window* m_window;
    SDL_Renderer* m_renderer;
    ViewerContainer* m_container = nullptr;
    Layer m_grid;    // the controls' grid, at their own size
    Layer m_overlay; // over the picture's area, at the window's size
    Layer m_bars;    // the Message area and the status line
    ViewScaling m_scaling;
    int m_width = 0, m_height = 0, m_alone = -1;
    std::vector<KeptPicture> m_kept;
    std::vector<std::string> m_captions; // each cell's caption now
    std::string m_shownStatus, m_shownMessage;
    bool m_gridAll = true, m_changed = true, m_dialogShown = false;
};
