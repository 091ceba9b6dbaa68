// The tick: one window timer drives the label countdown, the zoom steps and
// the stream. The same handler receives the delayed click timer.
#include <cstring>

#include "control/ImageCtrl.h"
#include "operation/ZoomController.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamClient.h"


void CImageCtrl::OnTimer(UINT_PTR nIDEvent)
{
    COleControl::OnTimer(nIDEvent);
    if (m_bDestroying || !m_pStreamClient) return;

    // A new error reaches the screen first: this tick only repaints.
    if (errorBits(m_pStreamClient->GetErrorFlags()) != static_cast<DWORD>(m_lShownError)) {
        InvalidateControl(nullptr, TRUE);
        return;
    }

    if (nIDEvent == TIMER_CLICK) {
        SendClickRequest();
        return;
    }
    if (nIDEvent != TIMER_TICK) return;

    const BOOL held = IsSecondaryButtonHeld();
    if (m_nLabelTicks > 0) {
        if (held) m_nLabelTicks = LABEL_TICKS;
        --m_nLabelTicks;
    }

    if (m_byFeatures & FEATURE_DIGITAL_ZOOM)
        DigitalZoomStep();
    else if ((m_byFeatures & FEATURE_OPTICAL_ZOOM) && m_pZoom)
        OpticalZoomStep();

    StreamStep();
    PaceTick(TickCanRest());
}

void CImageCtrl::StreamStep()
{
    if (m_bStopped) {
        StopStep();
        return;
    }
    switch (m_pStreamClient->GetState()) {
    case STREAM_IDLE:
        if (m_nViewPhase == PHASE_NOTHING_RECEIVED) {
            const VARIANT mag = MakeVariantR8(m_dZoomMag);
            FireEvent(eventidDZoomMagChanged, &mag, 1);
            if (m_pStreamBuffer) m_pStreamBuffer->Reset();
            m_qwOversizeBytes = 0; // a new connection follows no dropped part
            ForgetPartInProgress();
            m_pStreamClient->Prepare();
            if ((m_byFeatures & FEATURE_OPTICAL_ZOOM) && m_pZoom) {
                if (const char* host = m_pStreamClient->GetHost())
                    m_pZoom->SetCamera(host, static_cast<int>(std::strlen(host)), m_pStreamClient->GetPort());
            }
        } else if (m_nViewPhase == PHASE_WAITING_RECONNECT) {
            if (m_pStreamBuffer) m_pStreamBuffer->Reset();
            m_qwOversizeBytes = 0; // a new connection follows no dropped part
            ForgetPartInProgress();
            m_pStreamClient->Prepare();
        }
        break;
    case STREAM_STREAMING:
        switch (m_nViewPhase) {
        case PHASE_NOTHING_RECEIVED:
        case PHASE_WAITING_FIRST_FRAME:
            if (!ReceiveIdle()) ReceiveStep();
            break;
        case PHASE_STREAMING:
            // With the socket's notices, a tick after the socket was read
            // empty has nothing to receive: the notice brings the next step.
            if (!ReceiveIdle()) ReceiveStep();
            if (m_bResolutionSwitch && m_nViewPhase == PHASE_STREAMING) CheckResolution();
            break;
        case PHASE_SWITCH_REQUESTED:
            m_pStreamClient->Close();
            m_nViewPhase = PHASE_WAITING_RECONNECT;
            break;
        case PHASE_WAITING_RECONNECT:
            m_nViewPhase = PHASE_WAITING_FIRST_FRAME;
            break;
        case PHASE_ENDED:
            break;
        }
        break;
    case STREAM_PREFLIGHT:
    case STREAM_CONNECTING:
    case STREAM_FAILED:
    case STREAM_SHUTTING_DOWN:
        break;
    }
}

void CImageCtrl::StopStep()
{
    // The browser's Stop, whatever the view phase: nothing new is started
    // (no phase-0 start, no reconnect of a resolution switch). A connection
    // still being opened is left to finish and closed once it streams.
    const StreamState state = m_pStreamClient->GetState();
    if (state == STREAM_PREFLIGHT || state == STREAM_CONNECTING) return;
    if (state == STREAM_STREAMING) m_pStreamClient->Close();
    m_nLabelTicks = 0;
    // The tick ends once the camera's zoom has no stop left to send. An
    // error published since this tick's check is still painted.
    if (m_pZoom && m_pZoom->HasPendingStop()) return;
    StopStreamTimer();
    if (errorBits(m_pStreamClient->GetErrorFlags()) != static_cast<DWORD>(m_lShownError))
        InvalidateControl(nullptr, TRUE);
}
