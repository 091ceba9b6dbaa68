// Where the composed picture goes in a window of any size: a rectangle of
// the picture (the whole grid, or one camera's cell) scaled to fit an area
// of the window keeping its aspect ratio, centred, and the way back from a
// window position to the picture's, so that a click lands on the same
// picture pixel at any window size.
#pragma once

#include <vector>

#include "platform/win/WinTypes.h"

class ViewScaling {
public:
    ViewScaling() = default;
    // `view` in picture coordinates, `area` in window coordinates.
    ViewScaling(const RECT& view, const RECT& area);

    // Where the view is drawn in the window.
    const RECT& target() const { return m_target; }
    const RECT& view() const { return m_view; }

    // A window position in picture coordinates: the picture pixel drawn
    // there. Positions outside the target map on the same scale, so that a
    // control that holds the mouse still follows it.
    POINT toPicture(POINT window) const;
    // A picture position in window coordinates: the top-left corner of the
    // window pixels that show it.
    POINT toWindow(POINT picture) const;

private:
    RECT m_view{0, 0, 1, 1};
    RECT m_target{0, 0, 1, 1};
};

// A window point over the scaled picture, as the control it is for sees it.
struct PictureHit {
    int control = -1;  // the control's index, or -1
    POINT local{0, 0}; // the point in the control's own coordinates
};

// The control a point of the window is for: the one holding the mouse
// (`captured`, its index) wherever the point is, on the same scale; else
// the one whose cell shows under the point (`alone`: the camera shown
// alone, or -1 for the grid), none beside the picture or between cells.
// `cells`: each control's cell in the picture.
PictureHit HitPicture(const ViewScaling& scaling, const std::vector<RECT>& cells, int alone, int captured, POINT window);
