// The viewer window, written once for both platforms: the session (the
// address, the page load, the controls' container, the listener, the
// reconnection, the recordings, the recent addresses, fitting the window to
// the screen, the status line and the "Message" area's text) and the
// command set with its one targeting rule (the camera shown alone, else
// the one under the pointer). Each window is a face: it turns its native
// input into keys, mouse messages and commands, and draws what the shell
// says is shown.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/core/CamviewOptions.h"
#include "host/core/ContainerListener.h"
#include "host/core/EventLog.h"
#include "host/core/CameraCredentials.h"
#include "host/core/ControlHost.h"
#include "host/core/HeadlessLoop.h"
#include "host/core/page/PageLoad.h"
#include "host/core/Reconnect.h"
#include "host/core/Recording.h"
#include "host/core/StatusLine.h"
#include "host/core/ViewerCommand.h"

class ViewerShell;
struct PageFetchJob;

// What a window does its own way.
class ViewerFace {
public:
    virtual ~ViewerFace() = default;

    // The address a person types or picks in the window's dialog (the
    // recent ones offered, `notice` saying why it asks again); empty when
    // cancelled or the window was closed.
    virtual std::string askAddress(const std::vector<std::string>& recent, const std::string& notice) = 0;
    // A text typed in the same dialog (a camera's new name), `initial`
    // offered; empty when cancelled.
    virtual std::string askText(const std::string& notice, const std::string& initial) = 0;
    // How a password is asked of the person, over the window.
    virtual AskPerson personAsker() = 0;
    // Whether a password dialog is open now (a page's time does not run
    // while a person is asked).
    virtual bool askingPerson() const = 0;

    // A new page: the face makes its container of controls, which report
    // to `listener`, and lets `credentials` answer the cameras' requests
    // for a password.
    virtual void beginPage(const std::string& pageUrl, const std::vector<GivenUser>& given,
                           const ContainerListener& listener, std::shared_ptr<CameraCredentials> credentials) = 0;
    // Fetches and reads the page, on a worker thread; `cancel` ends it.
    virtual PageLoad fetchPage(const std::string& pageUrl, const PageParams& params, const std::string& user,
                               DWORD timeoutMs, const std::atomic<bool>& cancel) = 0;
    // Makes the page's controls; the container, or null when none could be.
    virtual ControlHost* embed(const PageLoad& page) = 0;
    // Releases the controls (their workers end) and the container.
    virtual void endPage() = 0;

    // The screen's usable area (empty when unknown), the window's size for
    // a client area, and the window given its size (and place).
    virtual RECT workArea() const = 0;
    virtual SIZE windowSizeFor(SIZE client) const = 0;
    virtual void placeWindow(SIZE size, const POINT* at) = 0;
    // The height of the "Message" area and the status line together.
    virtual int barsHeight() const = 0;
    virtual void setTitle(const std::string& title) = 0;
    virtual void setFullScreen(bool on) = 0;

    // Waits for input (or the face's tick), hands it to the shell, and
    // draws what changed; `pageLoading` while the page is fetched.
    virtual void pump(bool pageLoading) = 0;
    // What the shell shows changed (a camera alone, the keys' list, Stop,
    // the status line, the Message area): laid out and drawn again.
    virtual void viewChanged() = 0;
    // Called from any thread: the Message area's text changed.
    virtual void messageArrived() {}

    // Whether a control's property page is shown as text in the Message
    // area (until Esc, Enter or p), rather than in a frame of its own.
    virtual bool propertyPageAsText() const { return true; }

    // The camera under the pointer, or -1.
    virtual int cameraUnderPointer() const = 0;
    // The camera with the keyboard focus, or -1.
    virtual int focusedCamera() const { return -1; }
    // PNGs of the cameras' pictures into `folder`; the paths written.
    virtual std::vector<std::string> writeSnapshots(const std::vector<std::size_t>& cameras, const std::string& folder) = 0;
    // The view keeps a camera's last picture while its control is made
    // again, and forgets it when the person reloads it.
    virtual void keepLastPicture(std::size_t camera) = 0;
    virtual void forgetLastPicture(std::size_t camera) = 0;
};

class ViewerShell {
public:
    ViewerShell(const CamviewOptions& options, ViewerFace& face);
    ~ViewerShell();
    ViewerShell(const ViewerShell&) = delete;
    ViewerShell& operator=(const ViewerShell&) = delete;

    // Asks for addresses and shows pages until the window is closed. The
    // exit status: 0 when closed after a page was shown (or the address
    // dialog cancelled), else that of the last page tried: 1 when it could
    // not be fetched, 2 when it held no control that could be made.
    int run();

    // From the face: a key (the command it means, applied and reported),
    // a command given otherwise (`via` names how, for the report), and the
    // window closed.
    void key(ViewerKey key, char digit = 0);
    void command(ViewerCommand command, const std::string& via, char digit = 0);
    void close() { m_running = false; }

    // What the face draws.
    bool running() const { return m_running; }
    // The wall was changed in the window and is to be shown again.
    bool wallChanged() const { return m_rebuild; }
    ControlHost* host() const { return m_host; }
    int alone() const { return m_alone; }
    int selected() const { return m_selected; }
    bool keysShown() const { return m_keysShown; }
    bool stopped() const { return m_stopped; }
    bool fullScreen() const { return m_fullScreen; }
    const ReconnectWatch* reconnect() const { return m_reconnect.get(); }
    bool drew(std::size_t camera) const { return camera < m_drew.size() && m_drew[camera]; }
    // The status line now (the page's loading, else ComposeStatusLine).
    std::string statusLine();
    // The Message area's text: the frame's last text, or the property page.
    std::string message() const;
    EventLog& log() { return m_log; }
    // One camera's status text while it has no picture, its frames per
    // second, and whether it is being recorded.
    std::string cameraStatus(std::size_t camera) const { return m_statuses.of(static_cast<int>(camera)); }
    double frameRate(std::size_t camera);
    bool recording(std::size_t camera) const;
    // Stops one camera's stream as the browser's Stop would, for good.
    void stopCamera(std::size_t camera);

private:
    int showPage();
    // Reads what was typed into the address dialog (an address, several,
    // or "wall:NAME") into the sources; false, saying why in `notice`,
    // when there is nothing to show.
    bool openTyped(const std::string& typed, std::string& notice);
    std::string wallTitle() const;
    std::string recentEntry() const;
    // Fetches the page off the window's thread while the window goes on;
    // false when the window was closed meanwhile.
    bool loadPage(PageLoad& page);
    // What is due each turn of the window's loop.
    void tick();
    void fitWindow();
    int target() const;
    void snapshot();
    void stop();
    void reload(ViewerKey key);
    void select(ViewerKey key);
    // Adds, removes, renames or moves a camera of the wall, saves it, and
    // has it shown again.
    void editWall(ViewerCommand what);
    // Shows `camera` alone (-1: the whole grid), stopping the streams of
    // the cameras it hides when the options say so.
    void showAlone(int camera);
    void notice(const std::string& text);

    const CamviewOptions& m_options;
    ViewerFace& m_face;
    EventLog m_log;
    std::vector<PageSource> m_sources; // the addresses shown: one page, or a wall
    std::vector<GivenUser> m_given;    // NAME:PASSWORD given or typed for an address's origin
    std::string m_wallName;            // the saved wall shown, if any
    std::string m_wallNotice;          // an address of the wall that could not be shown
    std::string m_pageUrl; // the first address, never with credentials
    std::string m_user;    // NAME:PASSWORD for its camera: given, typed, or none
    std::string m_failure;
    ControlHost* m_host = nullptr; // the face's, while a page is shown
    bool m_running = true;
    std::string m_loading; // the status line while the page loads
    // The page's fetch, shared with its worker: one blocked in a call that
    // cannot be ended (WinInet under Wine) is left to finish alone.
    std::shared_ptr<PageFetchJob> m_loadJob;

    int m_alone = -1;
    int m_selected = -1; // the cell Tab and the arrows moved to
    bool m_rebuild = false; // the wall changed: shown again
    bool m_keysShown = false;
    bool m_stopped = false;
    bool m_fullScreen = false;
    int m_focused = -1;

    // Written by the controls' threads and the frame's loads.
    mutable std::mutex m_messageMutex;
    std::string m_message;
    std::string m_propertyPage;

    ControlStatuses m_events;   // each camera's last event
    ControlStatuses m_statuses; // each camera's status text while it has no picture
    FrameRates m_rates;
    std::vector<bool> m_drew;
    std::string m_notice;
    std::chrono::steady_clock::time_point m_noticeUntil;
    std::unique_ptr<ReconnectWatch> m_reconnect;
    std::chrono::steady_clock::time_point m_nextStep; // of the reconnection
    Recorder m_recorder;
};
