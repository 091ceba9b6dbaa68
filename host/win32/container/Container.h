// The viewer's container on Windows: one control per OBJECT of the page,
// made through the registry, sited, loaded from its PARAMs, its events
// sunk, laid out in a grid in the viewer's window. In a shown window the
// controls are active in place and paint themselves; without one they stay
// loaded and the container draws them where it is asked to. Either way it
// reports what they drew (frames, status texts), their events, the
// "Message" frame's navigations and the cursor, as on every platform.
//
// With more than one thread asked for, the controls are spread over that
// many apartments (UI threads of their own): each control is made, sited,
// activated, drawn into a picture of its cell and destroyed on its
// apartment, and its interfaces are used there only; the driving thread
// hands its apartment tasks and composes the cells. What the controls
// report reaches the driving thread in order, through a queue it empties
// as it pumps, composes or acts on a control.
#pragma once

#include <ole2.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "host/core/ControlHost.h"
#include "host/core/ContainerListener.h"
#include "host/core/ControlPolicy.h"
#include "host/core/StreamTap.h"
#include "host/core/page/ViewerPage.h"
#include "host/win32/container/Apartment.h"
#include "host/win32/container/ControlSite.h"
#include "host/win32/container/CursorNames.h"
#include "host/win32/container/InPlaceFrame.h"
#include "host/win32/container/MessageBrowser.h"

struct ContainerSetup {
    std::string pageUrl;
    std::string modulePath;        // registered when a page's class is not
    HWND window = nullptr;         // the viewer's window: parent and browser window
    HWND stage = nullptr;          // when set, the window the controls are active in place in
    bool inPlace = false;          // activate the controls in the window
    MessageBrowser::PageGetter getter; // the "Message" frame's fetch
    ContainerListener listener;
    ControlPolicy policy;           // which of a page's controls may be loaded
    DWORD tuning = 0;               // what the controls are asked to do beyond their own (VIEW_TUNE_*)
    unsigned threads = 1;           // apartments the controls are spread over (1: the calling thread)
    std::function<void()> onDrawn;  // apartments drew cells anew (on the driving thread)
    // A key message a control's window got on its apartment, handed to the
    // driving thread (the viewer's keys are the viewer's wherever the focus
    // is); what the viewer does not take it gives back with returnKey().
    std::function<void(const MSG&)> onControlKey;
};

class Canvas;

// The threads asked for with --threads, or one per core when none was.
unsigned ThreadsOrOnePerCore(unsigned asked);

class Container final : public ControlHost {
public:
    explicit Container(ContainerSetup setup);
    ~Container();
    Container(const Container&) = delete;
    Container& operator=(const Container&) = delete;

    // Makes, sites and loads one control per OBJECT whose class can be
    // made (registering the module first when needed); returns how many.
    std::size_t embed(const std::vector<EmbeddedObject>& objects);
    std::size_t count() const override { return m_controls.size(); }
    SIZE extent() const override { return m_extent; }
    RECT cell(std::size_t index) const override;
    // Moves the grid's top-left corner in the window.
    void setOrigin(POINT origin);

    // The control whose window this is, or -1.
    int controlOfWindow(HWND hwnd) const;
    // Reads what a control draws now and reports a frame for each picture,
    // or its status text when it wrote one instead.
    void inspect(std::size_t index);
    // Inspects each control whose picture changed (all of them with `all`),
    // then draws it into `target` (if any) at its cell. Answers whether any
    // was drawn. A control that is not active in place says itself when its
    // picture changes; one that is says it by painting its window, which
    // the message loop tells with markChanged.
    bool refresh(HDC target, bool all);
    void markChanged(std::size_t index);
    // Whether the control's view changed since it was last drawn.
    bool changed(std::size_t index) const;
    // Draws the control's picture into `bounds` of `target` as it is now,
    // without reading it for the report (a snapshot).
    bool draw(std::size_t index, HDC target, const RECT& bounds) const;
    // The control's own window while it is active in place, else null.
    HWND controlWindow(std::size_t index) const;
    // Reports a change of the cursor.
    void pollCursor();
    // Reports what the controls' taps tell that they show nothing for, and
    // what the apartments queued.
    void pollNotices();
    // Hands the driving thread what the apartments reported meanwhile.
    void deliverReports();
    // How many threads the controls live on (1: the calling one).
    std::size_t threads() const { return m_rooms.empty() ? 1 : m_rooms.size(); }
    // Dispatches a message of the driving thread's queue; one whose window
    // belongs to an apartment (routed to a control) is posted to it there.
    void dispatch(const MSG& msg);
    // Gives a key message onControlKey told back to the control's window.
    void returnKey(const MSG& msg);

    // What the container does with the mouse before a message of its
    // window's thread is dispatched, as a page in a browser does: a press
    // on a control gives it the focus (it becomes the active control), and
    // the wheel goes to the control under the pointer whichever window has
    // the focus (the system gives it to the focus window, or by a setting
    // of newer systems to the window under the pointer).
    void routeInput(MSG& msg);
    // Makes the control the active one, with the keyboard focus.
    void focus(std::size_t index);
    // The control whose window is or holds `hwnd`, or -1.
    int controlHolding(HWND hwnd) const;
    // The control with the keyboard focus, or -1.
    int focusedControl() const { return controlHolding(GetFocus()); }

    // The browser's Stop, for every control.
    void stop() override;
    void stop(std::size_t index) override;
    std::string cameraName(std::size_t index) const override;
    int cameraSource(std::size_t index) const override;
    // The control's Properties verb; `show` lets the property frame appear.
    bool showProperties(std::size_t index, bool show);
    bool showProperties(std::size_t index) override { return showProperties(index, true); }
    int controlAt(POINT pt) const;
    std::string cameraHost(std::size_t index) const override;
    // The control `index` itself (not AddRef'ed), or null. With apartments
    // only its frame tap, whose questions may be asked from any thread, is
    // for the driving thread.
    IUnknown* control(std::size_t index) const override { return index < m_controls.size() ? m_controls[index]->object : nullptr; }

    // Replaces the control at `index` with a fresh one made from the same
    // OBJECT, in the same cell, as reloading the page would make it; false
    // (the old control kept) when it cannot be made.
    bool reload(std::size_t index) override;

    // Deactivates and closes the controls (their workers end), lets their
    // sites go; idempotent.
    void release() override;

private:
    // A report for the driving thread, dropped once `alive` (when set) is
    // false: its control was released meanwhile.
    using Alive = std::shared_ptr<std::atomic<bool>>;
    struct Hosted {
        int index = 0;
        std::size_t apartment = 0;
        HMODULE module = nullptr;
        Alive alive = std::make_shared<std::atomic<bool>>(true);
        IOleObject* object = nullptr;
        IViewObject* view = nullptr;
        ControlSite* site = nullptr;
        MessageBrowser* browser = nullptr;
        IConnectionPoint* events = nullptr;
        DWORD cookie = 0;
        HWND hwnd = nullptr;
        RECT rect{};
        SIZE size{}; // the cell's, fixed when made (its apartment's to read)
        std::atomic<bool> dirty{true};
        bool callsWatched = false; // its module's drawing calls are recorded
        std::unique_ptr<Canvas> scratch; // what it is drawn into when its calls are recorded
        std::string status;
        std::string cameraHost;
        EmbeddedObject source; // what the control was made from
        // Apartments only: the cell's picture, drawn on the apartment and
        // composed on the driving thread.
        std::mutex pictureMutex; // guards the two below
        std::unique_ptr<Canvas> picture;
        bool fresh = false; // drawn since it was last composed
    };
    // One apartment and what lives on it.
    struct Room {
        std::unique_ptr<Apartment> thread;
        InPlaceFrame* frame = nullptr; // its controls' frame, made and released there
        std::vector<Hosted*> cells;    // its thread's
    };

    std::unique_ptr<Hosted> host(const EmbeddedObject& object, int index);
    void activate(Hosted& h);
    void unhost(Hosted& h);
    void layout();
    HWND parent() const { return m_setup.stage ? m_setup.stage : m_setup.window; }
    void inspect(Hosted& h);
    void stopOne(Hosted& h);
    // Runs `task` on the control's apartment (the calling thread with none).
    void onApartment(const Hosted& h, const std::function<void()>& task) const;
    // At once without apartments; else queued for the driving thread.
    void report(const Alive& alive, std::function<void()> call);
    // The apartment's idle step: draws its controls whose picture changed.
    void paintRoom(Room& room);
    // The apartment's look at a message before it is dispatched (true:
    // taken): a control painting its window has a new picture; a press
    // makes a control the active one; the wheel goes to the control under
    // the pointer; a key goes to the viewer first (with onControlKey).
    bool watchRoom(Room& room, MSG& msg);
    // The control whose window is or holds `hwnd`, from any thread; -1.
    int controlOfWindowAnyThread(HWND hwnd) const;
    void publishWindows();
    void releaseRooms();

    ContainerSetup m_setup;
    InPlaceFrame* m_frame = nullptr;
    std::vector<std::unique_ptr<Room>> m_rooms; // none: every control on the calling thread
    std::mutex m_reportsMutex;                  // guards m_reports
    std::vector<std::pair<Alive, std::function<void()>>> m_reports;
    mutable std::mutex m_windowsMutex;          // guards m_windows
    std::vector<HWND> m_windows;                // each control's window, for the apartments
    std::vector<std::unique_ptr<Hosted>> m_controls;
    POINT m_origin{0, 0};
    SIZE m_extent{0, 0};
    bool m_showPropertyFrame = false; // the Properties verb given now may show the frame
    CursorNames m_cursorNames;
    std::string m_cursorName;
    OversizedFrameWatch m_oversized;
};
