// The test container: hosts one control as a browser would, on a virtual
// clock and a scripted input state, so that ticks and delays cost no real
// time and every run is the same.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "control/ImageCtrl.h"
#include "platform/gdi/linux/StandInGdi.h"
#include "platform/window/linux/StandInWindow.h"
#include "tests/support/TestSite.h"

// The control with its state opened to tests.
class ProbedImageCtrl : public CImageCtrl {
public:
    using CImageCtrl::IsSecondaryButtonHeld;
    using CImageCtrl::CheckResolution;
    using CImageCtrl::InspectMotionComment;
    using CImageCtrl::RateFromPosition;
    using CImageCtrl::SpeedFromPosition;
    using CImageCtrl::m_dWheelAccel;
    using CImageCtrl::m_dZoomRate;
    using CImageCtrl::m_dZoomTarget;
    using CImageCtrl::m_hZoomIcon;
    using CImageCtrl::m_hZoomInIcon;
    using CImageCtrl::m_hZoomOutIcon;
    using CImageCtrl::m_nOpticalState;
    using CImageCtrl::m_nWheelHoldTicks;
    using CImageCtrl::m_nWheelStopTicks;
    using CImageCtrl::m_nZoomSpeed;
    using CImageCtrl::m_ptCenterRequest;
    using CImageCtrl::m_bAutoSize;
    using CImageCtrl::m_bPainted;
    using CImageCtrl::m_chMotionBar1;
    using CImageCtrl::m_chMotionBar2;
    using CImageCtrl::m_hDrawDib;
    using CImageCtrl::m_nLabelTop;
    using CImageCtrl::m_nSwitchDirection;
    using CImageCtrl::m_pImage;
    using CImageCtrl::m_bDestroying;
    using CImageCtrl::m_bResolutionSwitch;
    using CImageCtrl::m_bStopped;
    using CImageCtrl::m_byFeatures;
    using CImageCtrl::m_dPanScale;
    using CImageCtrl::m_dZoomMag;
    using CImageCtrl::m_hBrowserWnd;
    using CImageCtrl::m_hHandCursor;
    using CImageCtrl::m_lShownError;
    using CImageCtrl::m_nImageHeight;
    using CImageCtrl::m_nImageWidth;
    using CImageCtrl::m_nLabelTicks;
    using CImageCtrl::m_nLanguage;
    using CImageCtrl::m_nStreamHeight;
    using CImageCtrl::m_nStreamWidth;
    using CImageCtrl::m_nTaskId;
    using CImageCtrl::m_nTimerId;
    using CImageCtrl::m_nViewPhase;
    using CImageCtrl::m_pBrowser;
    using CImageCtrl::m_ptTargetCenter;
    using CImageCtrl::m_ptViewCenter;
    using CImageCtrl::m_pStreamBuffer;
    using CImageCtrl::m_pStreamClient;
    using CImageCtrl::m_pZoom;
    using CImageCtrl::m_strImageHeader;
    using CImageCtrl::m_strImagePath;
    using CImageCtrl::m_szControlTarget;
};

using Params = std::vector<std::pair<std::string, std::string>>;

class TestContainer {
public:
    TestContainer();
    ~TestContainer();
    TestContainer(const TestContainer&) = delete;
    TestContainer& operator=(const TestContainer&) = delete;

    ProbedImageCtrl* ctrl() const { return m_ctrl; }
    TestSite& site() { return *m_site; }
    TestBrowser& browser() { return *m_browser; }
    TestEventSink& events() { return *m_sink; }
    VirtualClock& clock() { return *m_clock; }
    SettableInputState& input() { return *m_input; }
    HWND hwnd() const;

    // Gives the control its client site (the control makes its window).
    void siteControl();
    // One loading exchange from the page's parameters.
    void load(const Params& params);
    // Sites and loads, as a browser does for an OBJECT element.
    void embed(const Params& params = {});
    // A saving exchange; returns what the control wrote.
    Params save();
    // The reset exchange of a new control.
    void initNew();

    // Delivers every message that is due now, then repaints if asked to.
    void pump();
    // Moves virtual time on by ms, delivering each timer message when its
    // time comes.
    void advance(std::uint64_t ms);
    // Paints the control now; returns the texts it drew.
    std::vector<DrawnText> paint();
    int paints() const { return m_paints; }
    // The surface the control is painted on (640 x 480, 32 bits, unless a
    // test gives another), at the origin.
    Surface& surface() { return *m_surface; }
    void useSurface(std::shared_ptr<Surface> surface) { m_surface = std::move(surface); }

    // Puts a frame into the stream buffer's slot and marks it ready, as the
    // receive step does.
    void putFrame(const std::vector<std::uint8_t>& bytes);

    // Runs ticks on the virtual clock while real time passes for worker
    // threads and real peers, until `done` or the real-time limit.
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10));

    // Releases the container's last reference: the control is destroyed.
    void destroy();

private:
    std::shared_ptr<VirtualClock> m_clock;
    std::shared_ptr<SettableInputState> m_input;
    TestBrowser* m_browser;
    TestSite* m_site;
    TestEventSink* m_sink;
    ProbedImageCtrl* m_ctrl;
    DWORD m_cookie = 0;
    std::shared_ptr<Surface> m_surface;
    int m_paints = 0;
};
