// What the viewer core asks of a platform's container of controls: the
// Linux viewer's (over the stand-in) and the Windows viewer's (over OLE)
// each implement it, so that recording, reconnection, the status line and
// the headless run are written once over both.
#pragma once

#include <cstddef>
#include <string>

#include "platform/com/Unknown.h"
#include "platform/win/WinTypes.h"

class ControlHost {
public:
    virtual ~ControlHost() = default;
    // The controls the page's OBJECTs made, in the grid's order.
    virtual std::size_t count() const = 0;
    // The control at `index` (not counted: the container owns it), or null.
    virtual IUnknown* control(std::size_t index) const = 0;
    // The camera a control shows: the host (and port) of its absolute
    // ImagePath, else of the page.
    virtual std::string cameraHost(std::size_t index) const = 0;
    // The control's place in the grid, and the grid's size.
    virtual RECT cell(std::size_t index) const = 0;
    virtual SIZE extent() const = 0;
    // Replaces the control at `index` with a fresh one made from the same
    // OBJECT, in the same cell, as reloading the page would make it; false
    // (the old control kept) when it cannot be made.
    virtual bool reload(std::size_t index) = 0;
    // Shows the control's property page; false when it has none.
    virtual bool showProperties(std::size_t index) = 0;
    // The browser's Stop, given to every control, or to one.
    virtual void stop() = 0;
    virtual void stop(std::size_t index) = 0;
    // The camera's name for its cell's caption (a wall's), or empty.
    virtual std::string cameraName(std::size_t index) const = 0;
    // Which of the wall's addresses the control came from (-1: unknown).
    virtual int cameraSource(std::size_t index) const = 0;
    // Whether the grid leaves a caption strip above each cell (a wall).
    bool captioned() const
    {
        for (std::size_t i = 0; i < count(); ++i)
            if (!cameraName(i).empty()) return true;
        return false;
    }
    // Destroys the controls (their workers end) and the sites; idempotent.
    virtual void release() = 0;

protected:
    ControlHost() = default;
    ControlHost(const ControlHost&) = default;
    ControlHost& operator=(const ControlHost&) = default;
};
