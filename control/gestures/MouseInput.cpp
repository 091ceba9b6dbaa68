// The mouse, the wheel and the cursor over the picture.
#include "control/ImageCtrl.h"
#include "platform/window/Cursor.h"


void CImageCtrl::SetZoomCursor()
{
    const double sign = IsDigitalZoom() ? m_dZoomRate : static_cast<double>(m_nZoomSpeed);
    ::SetCursor(sign > 0 ? m_hZoomInIcon : sign < 0 ? m_hZoomOutIcon : m_hZoomIcon);
}

void CImageCtrl::OnLButtonDown(UINT, POINT point)
{
    // Neither captures the mouse nor fires stock events.
    const BYTE click = ClickBits();
    if (click != FEATURE_CLICK_REAL && click != FEATURE_CLICK_EMULATE) return;
    if (m_nViewPhase == PHASE_ENDED) return;
    ClickStep(point);
}

void CImageCtrl::OnRButtonDown(UINT nFlags, POINT point)
{
    if (!IsZoomActive() || m_nViewPhase == PHASE_ENDED || !IsSecondaryButtonHeld()) return;
    if (IsDigitalZoom()) {
        m_nLabelTicks = LABEL_TICKS;
        m_dZoomRate = RateFromPosition(point.y);
    } else if (m_nOpticalState == ZoomIdle) {
        m_nZoomSpeed = SpeedFromPosition(point.y);
        m_nRequestOrigin = REQUEST_MOUSE;
        m_nOpticalState = ZoomSend;
    }
    SetZoomCursor();
    COleControl::OnRButtonDown(nFlags, point);
}

void CImageCtrl::OnRButtonUp(UINT nFlags, POINT point)
{
    if (m_nViewPhase == PHASE_ENDED) return;
    if (IsDigitalZoom()) {
        m_dZoomRate = 0.0;
    } else if (IsOpticalZoom() && (m_nOpticalState == ZoomSend || m_nOpticalState == ZoomFollow)) {
        m_nZoomSpeed = 0;
        m_ptLastCommand = POINT{-1, -1};
        m_nRequestOrigin = REQUEST_WHEEL;
        m_nOpticalState = ZoomStop;
    }
    COleControl::OnRButtonUp(nFlags, point);
}

void CImageCtrl::OnMouseMove(UINT, POINT point)
{
    m_ptLastMouse = point;
    if (!IsZoomActive()) return;
    if (!GetFocus()) SetFocus();
    if (m_nViewPhase == PHASE_ENDED) return;
    if (!IsSecondaryButtonHeld()) {
        if (IsDigitalZoom()) m_dZoomRate = 0.0;
        return;
    }
    if (IsDigitalZoom()) {
        m_dZoomRate = RateFromPosition(point.y);
        return;
    }
    if (point.x == m_ptLastCommand.x && point.y == m_ptLastCommand.y) return;
    if (m_nOpticalState == ZoomIdle || m_nOpticalState == ZoomWheel || m_nOpticalState == ZoomStop) return;
    if (m_nWheelHoldTicks > 0) return;
    m_nZoomSpeed = SpeedFromPosition(point.y);
    m_nOpticalState = ZoomSend;
}

BOOL CImageCtrl::OnMouseWheel(UINT nFlags, short zDelta, POINT pt)
{
    if (!IsZoomActive()) return COleControl::OnMouseWheel(nFlags, zDelta, pt);
    if (m_nViewPhase == PHASE_ENDED) return TRUE;
    if (IsDigitalZoom()) {
        DigitalWheelStep(zDelta);
        m_nLabelTicks = LABEL_TICKS;
    } else {
        OpticalWheelStep(zDelta);
    }
    return TRUE;
}

BOOL CImageCtrl::OnSetCursor(HWND hwnd, UINT nHitTest, UINT message)
{
    if (!IsZoomActive()) {
        if (ClickBits() == FEATURE_CLICK_OFF) return COleControl::OnSetCursor(hwnd, nHitTest, message);
        ::SetCursor(m_hHandCursor);
        return TRUE;
    }
    if (m_nViewPhase == PHASE_ENDED || !IsSecondaryButtonHeld()) {
        if (m_nMode == MODE_ZOOM) {
            m_nMode = MODE_HAND;
            const VARIANT mode = MakeVariantI2(static_cast<SHORT>(m_nMode));
            FireEvent(eventidModeChanged, &mode, 1);
        }
        ::SetCursor(m_hHandCursor);
        return TRUE;
    }
    SetZoomCursor();
    if (m_nMode == MODE_HAND) {
        m_nMode = MODE_ZOOM;
        const VARIANT mode = MakeVariantI2(static_cast<SHORT>(m_nMode));
        FireEvent(eventidModeChanged, &mode, 1);
    }
    return TRUE;
}
