// The viewer's container: holds the controls a viewer page embeds, each on
// its own site, laid out in a grid at the sizes the page asked for. It
// paints them, hands them the user's input as the window messages they
// handle, and reports what they did. The desktop window and the headless
// host are two faces of this one container.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/core/ControlHost.h"
#include "host/linux/container/Apartment.h"
#include "host/core/ContainerListener.h"
#include "host/core/ControlPolicy.h"
#include "host/core/StreamTap.h"
#include "host/core/page/ViewerPage.h"
#include "host/linux/container/HostSite.h"
#include "platform/com/ComPtr.h"
#include "platform/com/OleInterfaces.h"
#include "platform/gdi/linux/StandInGdi.h"
#include "platform/window/linux/StandInWindow.h"


enum class MouseButton { Left, Right, Middle };

class ViewerContainer final : public ControlHost {
public:
    // With threads above 1 the controls are spread over that many UI
    // threads (apartments), each control drawing into its own cell there;
    // with 1 they all live on the calling thread. Either way every call
    // below and every report comes on the calling (driving) thread.
    ViewerContainer(std::string pageUrl, std::string modulePath, ContainerListener listener, unsigned threads = 1);
    ~ViewerContainer();
    ViewerContainer(const ViewerContainer&) = delete;
    ViewerContainer& operator=(const ViewerContainer&) = delete;

    // Creates, sites and loads one control per OBJECT of a registered class
    // (registering the module first when needed); returns how many.
    std::size_t embed(const std::vector<EmbeddedObject>& objects);
    std::size_t count() const override { return m_controls.size(); }
    // Which of a page's controls may be loaded (the image control's class
    // only, unless set otherwise).
    void setPolicy(ControlPolicy policy) { m_policy = std::move(policy); }
    // What the controls made from now on are asked to do beyond their own
    // behaviour (VIEW_TUNE_*; none unless set).
    void setTuning(DWORD tuning) { m_tuning = tuning; }
    // The grid's size and each control's place in it.
    SIZE extent() const override { return m_extent; }
    RECT cell(std::size_t index) const override;
    // Shows the grid in at most `limit` (0 x 0: at its own size): each
    // control is drawn in its cell scaled down to fit, asked to draw (and
    // decode) at that size. Input stays in the grid's coordinates.
    void showAt(SIZE limit);
    // The size paint() composes the grid at.
    SIZE shownExtent() const;
    // The viewer's own window: the browser window the controls are told of.
    HWND window() const { return m_window; }

    // Delivers every message that is due (timers, posted input), the
    // reports the apartments queued, and the controls' notices.
    void pumpMessages();
    // How long the driving loop may sleep before a timer is due, at most cap.
    std::uint64_t idleMs(std::uint64_t cap) const;
    // Paints each control that asked to be painted (all of them when `all`)
    // onto `surface`, whose top-left corner is the grid's. Reports frames
    // drawn and status changes from what the controls drew. Answers whether
    // any control was painted.
    bool paint(const std::shared_ptr<Surface>& surface, bool all = false);
    // Whether the last paint() drew the control at `index`.
    bool painted(std::size_t index) const { return index < m_controls.size() && m_controls[index].painted; }
    // Reports a change of the cursor the controls set.
    void pollCursor();
    std::string cursorName() const { return m_cursorName; }

    // Input in the grid's coordinates. keys are the MK_ flags of the
    // buttons and modifier keys held after the event.
    void mouseMove(POINT pt, WPARAM keys);
    void mouseButton(MouseButton button, bool down, POINT pt, WPARAM keys);
    void mouseWheel(POINT pt, int notches, WPARAM keys);
    // The browser's Stop, given to every control.
    void stop() override;
    void stop(std::size_t index) override;
    std::string cameraName(std::size_t index) const override;
    int cameraSource(std::size_t index) const override;
    // The control's Properties verb.
    bool showProperties(std::size_t index) override;

    // The control under a point, or -1.
    int controlAt(POINT pt) const;
    // The camera a control shows: the host (and port) of its absolute
    // ImagePath, else of the page.
    std::string cameraHost(std::size_t index) const override;
    // The control `index` itself (not AddRef'ed), or null.
    IUnknown* control(std::size_t index) const override { return index < m_controls.size() ? m_controls[index].object.get() : nullptr; }

    // Replaces the control at `index` with a fresh one made from the same
    // OBJECT, in the same cell, as reloading the page would make it; false
    // (the old control kept) when it cannot be made.
    bool reload(std::size_t index) override;

    // Destroys the controls (their workers end) and the sites; idempotent.
    void release() override;

    // Names a cursor for reports: "arrow", "hand", "wait", "icon 201", ...
    static std::string NameOfCursor(HCURSOR cursor);

    // How many UI threads the controls live on (1: the calling one).
    std::size_t threads() const { return m_apartments.empty() ? 1 : m_apartments.size(); }

private:
    ControlPolicy m_policy;
    DWORD m_tuning = 0;
    // What a control draws, and what its drawing said: touched by the
    // thread the control lives on, and, under `mutex`, by the driving thread
    // that composes the cells.
    struct Cell {
        std::atomic<bool> dirty{true};
        std::atomic<bool> alive{true}; // false once released: its reports are dropped
        int index = 0;
        RECT bounds{}; // the cell's size
        ComPtr<IViewObject> view;
        std::string status; // the control's thread's
        std::mutex mutex;   // guards the two below
        std::shared_ptr<Surface> surface; // the cell's own picture (apartments only)
        bool fresh = false; // drawn since it was last composed
    };
    struct Hosted {
        ComPtr<IOleObject> object;
        ComPtr<IViewObject> view;
        ComPtr<HostSite> site;
        ComPtr<IConnectionPoint> events;
        DWORD cookie = 0;
        HWND hwnd = nullptr;
        RECT rect{};
        RECT shown{}; // where paint() draws it (rect, scaled)
        bool painted = false; // by the last paint()
        std::shared_ptr<Cell> cell;
        std::size_t apartment = 0;
        std::string cameraHost;
        EmbeddedObject source; // what the control was made from
    };

    bool host(const EmbeddedObject& object, int index, Hosted& h);
    void unhost(Hosted& h);
    void layout();
    // Works out the scale for the limit shown in and gives every control
    // its shown cell.
    void applyShownSize();
    void showControl(Hosted& h);
    void showOnItsThread(Hosted& h); // on the control's own thread
    void stopOne(std::size_t index);
    // The control a mouse message goes to: the one holding the capture,
    // else the one under the point.
    int targetOf(POINT pt) const;
    void deliver(int index, UINT message, WPARAM wParam, POINT pt);
    // Runs `task` on the apartment's thread (the calling one with none).
    void onApartment(std::size_t apartment, const std::function<void()>& task);
    // Draws a control onto `surface` at `origin` and reports what it drew.
    void draw(const std::shared_ptr<Cell>& cell, const std::shared_ptr<Surface>& surface, POINT origin, const RECT& rect);
    // A report to the listener: at once on the driving thread, queued from
    // an apartment until pumpMessages() or paint(); dropped once the cell's
    // control is released.
    void report(const std::shared_ptr<Cell>& cell, std::function<void()> call);
    void deliverReports();
    // The apartment's idle step: paints its controls that asked to be.
    void paintApartment(std::size_t apartment);

    std::string m_pageUrl;
    std::string m_modulePath;
    ContainerListener m_listener;
    std::unique_ptr<WindowHandler> m_windowHandler;
    HWND m_window = nullptr;
    std::vector<Hosted> m_controls;
    SIZE m_extent{0, 0};
    SIZE m_shownLimit{0, 0};
    double m_scale = 1.0;
    std::string m_cursorName;
    OversizedFrameWatch m_oversized;
    struct Room {
        std::unique_ptr<Apartment> thread;
        std::vector<std::shared_ptr<Cell>> cells; // its thread's
    };
    std::vector<std::unique_ptr<Room>> m_apartments;
    std::mutex m_reportsMutex;
    std::vector<std::pair<std::shared_ptr<Cell>, std::function<void()>>> m_reports;
    // The last press, for double clicks.
    struct Press {
        UINT message = 0;
        int control = -1;
        POINT pt{};
        std::uint64_t timeMs = 0;
    } m_lastPress;
};
