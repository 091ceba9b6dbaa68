// CImageCtrl: the live-view control a camera's page embeds. It owns the
// stream buffer block, the connection object, the last decoded picture and
// the optical zoom object; one 16 ms tick on its window drives it all.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "control/ImageCtrlIds.h"
#include "platform/com/WebBrowser.h"
#include "platform/framework/OleControl.h"
#include "platform/tap/FrameTap.h"
#include "platform/tap/ViewTuning.h"
#include "stream/JpegEnd.h"
#include "platform/vfw/Vfw.h"
#include "platform/winsock/Winsock.h"

class CStreamBuffer;
struct StreamBufferBlock;
class CStreamClient;
class CImage;
class CZoomController;

class CImageCtrl : public COleControl {
public:
    // control/ImageCtrl.cpp: life cycle, identity, maps, the framework's hooks.
    CImageCtrl();
    ~CImageCtrl() override;

    const char* GetRuntimeClassName() const override { return "CImageCtrl"; }
    const AFX_MSGMAP* GetMessageMap() const override;
    const AFX_INTERFACEMAP* GetInterfaceMap() const override;
    void OnResetState() override;
    HRESULT GetClassID(CLSID* pClsid) override;
    void OnSetClientSite() override;
    DWORD GetControlFlags() override { return IMAGECTRL_CONTROL_FLAGS; }
    DWORD GetMiscStatus() override { return IMAGECTRL_MISC_STATUS; }
    // Identity: one type library, one property page, the type name string.
    UINT GetTypeInfoCount() const override { return 1; }
    // The registered type library: its identifier and version.
    HRESULT GetTypeLib(LCID lcid, GUID* libid, WORD* major, WORD* minor) const override;
    HRESULT GetTypeLibCache(GUID* libid) const override;
    const CLSID* GetPropPageIDs(ULONG* count) const override;
    UINT GetUserTypeNameID() const override { return IDS_IMAGECTRL; }

    // control/Parameters.cpp: the page's parameters.
    void DoPropExchange(CPropExchange* pPX) override;

    // control/Draw.cpp: painting.
    void OnDraw(CDC* pdc, const RECT& rcBounds, const RECT& rcInvalid) override;

    // Window message handlers, in the message map's order: the tick in
    // control/Tick.cpp, the mouse in control/gestures/MouseInput.cpp.
    void OnLButtonDown(UINT nFlags, POINT point);
    void OnTimer(UINT_PTR nIDEvent);
    void OnRButtonDown(UINT nFlags, POINT point);
    BOOL OnSetCursor(HWND hwnd, UINT nHitTest, UINT message);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT pt);
    void OnMouseMove(UINT nFlags, POINT point);
    void OnRButtonUp(UINT nFlags, POINT point);
    // control/SocketNotice.cpp: the socket has data (the viewer's switch).
    void OnStreamSocket(WPARAM socket, LPARAM notice);
    // Brings a resting tick back to its period (rest false), or lets it
    // rest; input calls it before it is handled.
    void PaceTick(bool rest);

    // control/MotionComment.cpp: reads the motion levels from a frame's
    // comment segment: 0 when taken, -1 when the frame holds no usable
    // segment.
    int InspectMotionComment(const BYTE* start, const BYTE* end);

protected:
    // control/gestures/SecondaryButton.cpp: whether the physical button
    // acting as the logical right button is held now (swapped buttons
    // honoured).
    BOOL IsSecondaryButtonHeld() const;
    // control/Draw.cpp: draws the frame in the slot (decoding it when it is
    // new); false when a new frame gave no picture and there is none to
    // show instead.
    bool DrawFrame(CDC* pdc, const BYTE* bytes, LONG length, int left, int top);
    // control/gestures/FirstFrameCheck.cpp: fixes the stream's frame size
    // from the first frame of a connection.
    void CheckFirstFrameSize(int width, int height);

    // Interaction modes, from the feature bits; the cursor in
    // control/gestures/MouseInput.cpp.
    bool IsDigitalZoom() const { return (m_byFeatures & (FEATURE_DIGITAL_ZOOM | FEATURE_OPTICAL_ZOOM)) == FEATURE_DIGITAL_ZOOM; }
    bool IsOpticalZoom() const { return (m_byFeatures & (FEATURE_DIGITAL_ZOOM | FEATURE_OPTICAL_ZOOM)) == FEATURE_OPTICAL_ZOOM; }
    bool IsZoomActive() const { return IsDigitalZoom() || IsOpticalZoom(); }
    BYTE ClickBits() const { return m_byFeatures & (FEATURE_CLICK_OFF | FEATURE_CLICK_REAL | FEATURE_CLICK_EMULATE); }
    void SetZoomCursor();

    // control/gestures/ClickAndCenter.cpp: the click step and, on
    // TIMER_CLICK, the send step.
    void ClickStep(POINT point);
    void SendClickRequest();

    // control/gestures/DigitalZoom.cpp: the digital zoom and the
    // resolution switch.
    double RateFromPosition(int y) const;
    void DigitalZoomStep();
    bool PanStep();
    void DigitalWheelStep(short delta);
    void CheckResolution();

    // control/gestures/OpticalZoom.cpp: the optical zoom gestures.
    SHORT SpeedFromPosition(int y) const;
    void OpticalWheelStep(short delta);
    void OpticalZoomStep();
    // Ends a zoom gesture that no release or tick will end any more (the
    // stream has ended, or the browser's Stop): the digital rate goes to 0,
    // and a running optical gesture sends the camera its stop.
    void EndZoomGesture();

    // The members of the control, in their declared order; the two nested
    // interfaces are implemented in control/Interfaces.cpp.
    struct XObjectSafety final : IObjectSafety {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE GetInterfaceSafetyOptions(REFIID riid, DWORD* pdwSupportedOptions, DWORD* pdwEnabledOptions) override;
        HRESULT STDMETHODCALLTYPE SetInterfaceSafetyOptions(REFIID riid, DWORD dwOptionSetMask, DWORD dwEnabledOptions) override;
        CImageCtrl* m_pThis;
    } m_xObjectSafety;
    struct XOleCommandTarget final : IOleCommandTarget {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE QueryStatus(const GUID* pguidCmdGroup, ULONG cCmds, OLECMD prgCmds[], OLECMDTEXT* pCmdText) override;
        HRESULT STDMETHODCALLTYPE Exec(const GUID* pguidCmdGroup, DWORD nCmdID, DWORD nCmdexecopt, VARIANT* pvaIn,
                     VARIANT* pvaOut) override;
        CImageCtrl* m_pThis;
    } m_xOleCommandTarget;

    CStreamBuffer* m_pStreamBuffer = nullptr;
    CStreamClient* m_pStreamClient = nullptr;
    LONG m_lShownError = 0;
    BYTE m_bPainted = 0;
    BOOL m_bAutoSize = TRUE;
    SHORT m_nImageHeight = 240;
    SHORT m_nImageWidth = 320;
    BYTE m_bResolutionSwitch = 0;
    std::string m_strImagePath;
    std::string m_strImageHeader;
    SHORT m_nTaskId = 0;
    HDRAWDIB m_hDrawDib = nullptr;
    CImage* m_pImage = nullptr;
    BYTE m_bStopped = 0;
    HWND m_hBrowserWnd = nullptr;
    BOOL m_bDestroying = FALSE;
    UINT m_nTimerId = 0;
    double m_dZoomTarget = 1.0;
    double m_dZoomMag = 1.0;
    IWebBrowser2* m_pBrowser = nullptr;
    POINT m_ptCenterRequest{0, 0};
    HCURSOR m_hHandCursor = nullptr;
    HICON m_hZoomIcon = nullptr;
    HICON m_hZoomInIcon = nullptr;
    HICON m_hZoomOutIcon = nullptr;
    InteractionMode m_nMode = MODE_HAND;
    ViewPhase m_nViewPhase = PHASE_NOTHING_RECEIVED;
    int m_nSwitchDirection = 0;
    int m_nStreamWidth = 320;
    int m_nStreamHeight = 240;
    double m_dZoomRate = 0.0;
    SHORT m_nLanguage = 0;
    BYTE m_byFeatures = 0;
    char m_szControlTarget[17] = {};
    POINT m_ptTargetCenter{160, 120};
    POINT m_ptViewCenter{160, 120};
    double m_dPanScale = 1.0;
    int m_nLabelTicks = 0;
    int m_nLabelTop = -1;
    signed char m_chMotionBar1 = -1;
    signed char m_chMotionBar2 = -1;
    CZoomController* m_pZoom = nullptr;
    int m_nWheelHoldTicks = -1;
    int m_nWheelStopTicks = -1;
    SHORT m_nZoomSpeed = 0;
    POINT m_ptLastCommand{-1, -1};
    POINT m_ptLastMouse{-1, -1};
    double m_dWheelAccel = 1.0;
    int m_nOpticalState = 1;
    int m_nRequestOrigin = 0;
    // What the first exchange could not do yet because the container loaded
    // the properties before it sited the control: ask the site for the
    // browser and the page's address, and start the tick on the window.
    // Siting finishes both.
    BOOL m_bBrowserQueryPending = FALSE;
    BOOL m_bTickPending = FALSE;

private:
    // control/StartUp.cpp: creates the connection object, learns the
    // browser's window and the page's address from the container, and
    // starts the tick; what needs the site or the window waits for siting
    // when the control has neither yet.
    void StartStreamMachinery();
    void QueryHostingBrowser();
    void StartTick();
    void FinishStartUpAtSiting();
    // control/Tick.cpp: the tick's step that moves the stream on by state
    // and view phase, and the step after the browser's Stop.
    void StreamStep();
    void StopStep();
    // control/ReceiveStep.cpp: reads the stream, cuts the newest frame and
    // hands it to drawing.
    void ReceiveStep();
    void StopStreamTimer();
    // A part too large for the receive buffer: dropped when the buffer is
    // full; its length is known, and told to the tap, once the boundary
    // after it arrives.
    void DropOversizedPart(StreamBufferBlock* b);
    void FindOversizedPartEnd(StreamBufferBlock* b);
    // The same for any picture stream: cuts every whole part the reader
    // finds, hands each to the tap and the newest to drawing.
    void CutAnyStreamParts(StreamBufferBlock* b);
    void DropAnyStreamOverflow(StreamBufferBlock* b);
    // control/SocketNotice.cpp: the receive step's part that the viewer's
    // switches add. Asks for the socket's notices once the stream is read;
    // after the part at the buffer's start is complete by its JPEG, hands
    // it over before its boundary comes; whether a tick has any receiving
    // left to do.
    void WatchStreamSocket();
    void CutCompletePicture(StreamBufferBlock* b);
    void ForgetPartInProgress();
    bool ReceiveIdle() const;
    // With coalesced ticks: a tick with nothing to step (the stream read
    // on the socket's notices, no label counting down, no zoom under way,
    // no button held) may rest, coming once in kRestingTickMs; input and
    // anything under way bring the 16 ms tick back.
    bool TickCanRest() const;
    // Sets the tick as a coalescable timer with this tolerance.
    void SetCoalescedTick(UINT toleranceMs);
    bool m_bTickResting = false;

    // control/FrameTap.cpp: the viewer's tap on the frames cut (see
    // platform/tap/FrameTap.h); hands a cut frame to the sink, if any.
    void TapFrame(const BYTE* bytes, LONG length);
    struct XFrameTap final : IFrameTap {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE SetFrameSink(IFrameSink* sink) override;
        HRESULT STDMETHODCALLTYPE GetStreamEnded(BOOL* ended) override;
        HRESULT STDMETHODCALLTYPE GetStreamStarted(BOOL* started) override;
        HRESULT STDMETHODCALLTYPE GetOversizedFrames(DWORD* count, DWORD* lastLength) override;
        HRESULT STDMETHODCALLTYPE SetAnyPictureStream(BOOL on) override;
        CImageCtrl* m_pThis;
    } m_xFrameTap;
    struct XViewTuning final : IViewTuning {
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;
        HRESULT STDMETHODCALLTYPE SetViewTuning(DWORD flags) override;
        HRESULT STDMETHODCALLTYPE GetViewTuning(DWORD* flags) override;
        HRESULT STDMETHODCALLTYPE SetShownSize(LONG cx, LONG cy) override;
        CImageCtrl* m_pThis;
    } m_xViewTuning;
    // The viewer's switches (VIEW_TUNE_*), none unless it asked.
    DWORD m_dwViewTuning = 0;
    // The size the container shows the control at (0 x 0: its own), and
    // the fraction of its size the current picture was decoded at.
    SIZE m_szShown{0, 0};
    int m_nDecodeDenom = 1;
    // The socket whose notices come to the window, and whether the last
    // read found it empty (a notice comes when it has data again).
    SOCKET m_sockWatched = INVALID_SOCKET;
    bool m_bSocketDrained = false;
    // The part in progress, the newest in the receive buffer: its picture's
    // walk, and whether it was handed over already by its end-of-image
    // marker.
    // Its start in the buffer (-1: not known yet).
    LONG m_lPartStart = -1;
    bool m_bPartHanded = false;
    CJpegEnd m_partEnd;
    std::atomic<IFrameSink*> m_pFrameSink{nullptr};
    std::mutex m_frameSinkMutex; // held while the sink is called or replaced
    // The stream ended after a picture was drawn (what GetStreamEnded tells).
    std::atomic<bool> m_bStreamEnded{false};
    // The stream reached streaming once (what GetStreamStarted tells).
    std::atomic<bool> m_bStreamStarted{false};
    // Frames dropped for their size, and the last one's length (the length
    // is stored before the count grows).
    std::atomic<DWORD> m_dwOversizedFrames{0};
    std::atomic<DWORD> m_dwOversizedLength{0};
    // Any picture stream is read (the container's switch).
    bool m_bAnyPictureStream = false;
    // The dropped part being followed: its bytes so far (0: none), and
    // where the search for its closing boundary goes on in the buffer.
    unsigned long long m_qwOversizeBytes = 0;
    DWORD m_dwOversizeScanned = 0;
};
