// What the viewer may switch on in the control (platform/tap/ViewTuning.h):
// the receive step on the socket's notices, and a part handed over as soon
// as its picture is complete. Without the switches none of this runs.
#include "control/ImageCtrl.h"
#include "stream/StreamBuffer.h"
#include "operation/ZoomController.h"
#include "stream/StreamClient.h"
#include "platform/trace/Trace.h"

VE_FORWARD_IUNKNOWN(CImageCtrl, XViewTuning)

HRESULT STDMETHODCALLTYPE CImageCtrl::XViewTuning::SetViewTuning(DWORD flags)
{
    if (flags & ~VIEW_TUNE_ALL) return E_INVALIDARG;
    m_pThis->m_dwViewTuning = flags;
    if (m_pThis->m_pStreamClient) m_pThis->m_pStreamClient->SetRestingWorker((flags & VIEW_TUNE_COALESCED_TICK) != 0);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CImageCtrl::XViewTuning::GetViewTuning(DWORD* flags)
{
    if (!flags) return E_POINTER;
    *flags = m_pThis->m_dwViewTuning;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CImageCtrl::XViewTuning::SetShownSize(LONG cx, LONG cy)
{
    if (cx < 0 || cy < 0) return E_INVALIDARG;
    m_pThis->m_szShown = SIZE{cx, cy};
    m_pThis->InvalidateControl(nullptr, TRUE);
    return S_OK;
}

void CImageCtrl::WatchStreamSocket()
{
    if (!(m_dwViewTuning & VIEW_TUNE_SOCKET_READ) || !GetSafeHwnd()) return;
    const SOCKET s = m_pStreamClient->GetSocket();
    if (s == m_sockWatched || s == 0 || s == INVALID_SOCKET) return;
    // Notices of an earlier socket may still be queued: they name it, and
    // are not taken for this one's.
    if (WSAAsyncSelect(s, GetSafeHwnd(), WM_STREAM_SOCKET, FD_READ | FD_CLOSE) != 0) {
        VE_TRACE(stream, "no socket notices: %d", WSAGetLastError());
        return;
    }
    m_sockWatched = s;
    m_bSocketDrained = false;
}

bool CImageCtrl::ReceiveIdle() const
{
    return m_sockWatched != INVALID_SOCKET && m_sockWatched == m_pStreamClient->GetSocket() && m_bSocketDrained;
}

void CImageCtrl::OnStreamSocket(WPARAM socket, LPARAM)
{
    if (m_bDestroying || !m_pStreamClient) return;
    if (static_cast<SOCKET>(socket) != m_sockWatched || m_sockWatched != m_pStreamClient->GetSocket()) return;
    // The next tick receives, whatever this notice does.
    m_bSocketDrained = false;
    if (m_bStopped) return;
    // A new error is the tick's to paint first.
    if (errorBits(m_pStreamClient->GetErrorFlags()) != static_cast<DWORD>(m_lShownError)) return;
    if (m_pStreamClient->GetState() != STREAM_STREAMING) return;
    switch (m_nViewPhase) {
    case PHASE_NOTHING_RECEIVED:
    case PHASE_WAITING_FIRST_FRAME:
        ReceiveStep();
        break;
    case PHASE_STREAMING:
        ReceiveStep();
        if (m_bResolutionSwitch && m_nViewPhase == PHASE_STREAMING) CheckResolution();
        break;
    default:
        break;
    }
}

namespace {
// How far a resting tick may be put off (a multiple of the tick).
constexpr UINT kRestingTickMs = 6 * TIMER_TICK_PERIOD_MS;
} // namespace

bool CImageCtrl::TickCanRest() const
{
    if (!(m_dwViewTuning & VIEW_TUNE_COALESCED_TICK) || m_bStopped || !m_pStreamClient) return false;
    if (m_pStreamClient->GetState() != STREAM_STREAMING || m_nViewPhase != PHASE_STREAMING) return false;
    if (m_sockWatched == INVALID_SOCKET || m_sockWatched != m_pStreamClient->GetSocket()) return false;
    if (m_nLabelTicks > 0 || m_dZoomRate != 0.0 || m_dZoomTarget != m_dZoomMag) return false;
    if (m_nOpticalState != ZoomIdle || m_nWheelHoldTicks > 0 || m_nWheelStopTicks > 0) return false;
    if (m_pZoom && m_pZoom->HasPendingStop()) return false;
    if (GetCapture() == GetSafeHwnd() || IsSecondaryButtonHeld()) return false;
    return errorBits(m_pStreamClient->GetErrorFlags()) == static_cast<DWORD>(m_lShownError);
}

void CImageCtrl::PaceTick(bool rest)
{
    if (!(m_dwViewTuning & VIEW_TUNE_COALESCED_TICK) || m_nTimerId == 0 || rest == m_bTickResting || !GetSafeHwnd())
        return;
    m_bTickResting = rest;
    SetCoalescedTick(rest ? kRestingTickMs : TIMER_TICK_PERIOD_MS);
}

void CImageCtrl::SetCoalescedTick(UINT toleranceMs)
{
    m_nTimerId = static_cast<UINT>(
        ::SetCoalescableTimer(GetSafeHwnd(), TIMER_TICK, TIMER_TICK_PERIOD_MS, nullptr, toleranceMs));
}

void CImageCtrl::ForgetPartInProgress()
{
    m_lPartStart = -1;
    m_bPartHanded = false;
    m_partEnd.Reset();
}

void CImageCtrl::CutCompletePicture(StreamBufferBlock* b)
{
    if (!(m_dwViewTuning & VIEW_TUNE_EARLY_CUT) || m_bPartHanded) return;
    if (m_lPartStart < 0) {
        // The newest part whose boundary and header are held.
        m_lPartStart = m_pStreamBuffer->LastPartStart(b->receive, b->held);
        if (m_lPartStart < 0) return;
        m_partEnd.Reset();
    }
    if (static_cast<DWORD>(m_lPartStart) >= b->held) return;
    const std::size_t length = m_partEnd.Walk(b->receive + m_lPartStart, b->held - static_cast<DWORD>(m_lPartStart));
    if (length == 0) return;
    m_bPartHanded = true;
    const BYTE* picture = b->receive + m_lPartStart;
    VE_TRACE(stream, "part cut: %lu bytes at %ld, at its picture's end", static_cast<unsigned long>(length),
             static_cast<long>(m_lPartStart));
    TapFrame(picture, static_cast<LONG>(length));
    if (!b->frameReady && m_pStreamBuffer->StoreFrame(picture, static_cast<DWORD>(length))) {
        if (m_byFeatures & FEATURE_MOTION_SETTING) InspectMotionComment(b->frameBytes, b->frameBytes + b->frameLength);
        b->frameReady = 1;
        InvalidateControl(nullptr, TRUE);
    }
}
