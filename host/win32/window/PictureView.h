// The picture part of the Windows viewer's window: the controls active in
// place in a window of their own that is never shown (the stage, at their
// own sizes), and the view, a child of the viewer's window that shows the
// grid or one camera scaled to whatever size the window has, its shape
// kept, the background where no picture is. The mouse over the view goes
// to the control under it at the control's own coordinates (and, while a
// control holds the capture, to that control), so that a click or a drag
// lands on the picture point under the pointer at any size.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/core/ViewScaling.h"
#include "host/win32/window/Canvas.h"

class Container;
class ReconnectWatch;

class PictureView {
public:
    PictureView() = default;
    ~PictureView();
    PictureView(const PictureView&) = delete;
    PictureView& operator=(const PictureView&) = delete;

    // Makes the stage and the view inside `parent`; false when it could not.
    bool create(HWND parent);
    HWND stage() const { return m_stage; }
    // Has the view painted again (the cells are composed anew).
    void redraw() const
    {
        if (m_view) InvalidateRect(m_view, nullptr, FALSE);
    }
    HWND view() const { return m_view; }

    // The controls shown (null: none); their grid is `grid` in size.
    void attach(Container* container, SIZE grid);
    // Places the view over `area` of the parent and shows the grid, or the
    // camera `alone` (its index) scaled into it; repaints the view whole.
    void layout(const RECT& area, int alone);
    const ViewScaling& scaling() const { return m_scaling; }
    const RECT& area() const { return m_area; }

    // The keys' list over the picture, or not.
    void showKeys(bool shown);
    // After the browser's Stop each camera says "stopped" over its last picture.
    void showStopped();
    // The cell Tab and the arrows selected (-1: none), marked in its caption.
    void select(int camera);
    // A camera whose stream ended and that waits to be made again (or is
    // being made again) shows its last picture with a line saying why,
    // as `watch` tells (null: none).
    void setReconnect(const ReconnectWatch* watch);
    // Keeps camera `index`'s picture as the grid shows it now, before its
    // control is replaced: what the fresh one draws meanwhile is covered.
    void keepLastPicture(std::size_t index);
    // The camera was reloaded: the picture kept for it goes.
    void forgetLastPicture(std::size_t index);
    // The waits' counts change each second: repaints while any camera waits.
    void tickReconnect();

    // Before a mouse message is dispatched: one for the view, or for a
    // control holding the capture, goes to the control under the pointer
    // (or holding the capture) with the point in the control's own
    // coordinates; the wheel's point is made the screen point the
    // control's own window has there. True when it was retargeted.
    bool routeMouse(MSG& msg) const;
    // The control under the pointer, or -1.
    int controlUnderPointer() const;
    // The control shown at a point of the view, or -1.
    int controlAt(POINT viewPoint) const;

private:
    std::vector<RECT> cells() const;
    static LRESULT CALLBACK ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static void repaintWanted(HWND control);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void paint();
    void paintKeys(HDC dc);
    void paintStopped(HDC dc);
    void paintCaptions(HDC dc);
    // Puts each kept picture back over its cell while its camera waits,
    // and lets go of those whose camera draws again.
    void restoreKept();
    void paintReconnecting(HDC dc);

    HWND m_stage = nullptr;
    HWND m_view = nullptr;
    Container* m_container = nullptr;
    std::unique_ptr<Canvas> m_canvas; // the grid at the controls' own sizes
    ViewScaling m_scaling;
    RECT m_area{0, 0, 0, 0};
    int m_alone = -1;
    int m_selected = -1;
    bool m_redrawAll = true;
    bool m_keys = false;
    bool m_stopped = false;
    const ReconnectWatch* m_reconnect = nullptr;
    struct Kept {
        RECT cell{};
        std::unique_ptr<Canvas> picture; // null: none kept
    };
    std::vector<Kept> m_kept;
};
