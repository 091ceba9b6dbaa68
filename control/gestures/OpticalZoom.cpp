// The optical zoom gestures: the right button and the wheel turned into
// speed and stop commands for the camera's lens, one tick at a time.
#include <cstdlib>

#include "control/ImageCtrl.h"
#include "operation/ZoomController.h"

namespace {

constexpr double kAccelPerDelta = 0.00083333335; // 1/1200 in single precision
constexpr double kMaxAccel = 3.0;
constexpr int kFollowHoldTicks = 15;

// Burst length for the acceleration: the hold countdown is value / 16.
int burstValue(double a)
{
    if (a <= 1.5) return 230;
    if (a <= 2.0) return 200;
    if (a <= 2.5) return 180;
    return 165;
}

} // namespace

SHORT CImageCtrl::SpeedFromPosition(int y) const
{
    const int H = m_nImageHeight;
    const int maxSpeed = m_pZoom ? m_pZoom->GetMaxSpeed() : ZOOM_DEFAULT_MAX_SPEED;
    const int minSpeed = m_pZoom ? m_pZoom->GetMinSpeed() : ZOOM_DEFAULT_MIN_SPEED;
    if (H == 0) return 0;
    const double r = -static_cast<double>(y - H / 2) / H;
    if (r >= 0.5) return static_cast<SHORT>(maxSpeed);
    if (r >= -0.1 && r <= 0.1) return 0;
    if (r <= -0.5) return static_cast<SHORT>(-maxSpeed);
    const SHORT v = static_cast<SHORT>(static_cast<int>(maxSpeed * r * 2));
    if (std::abs(v) > minSpeed) return v;
    return static_cast<SHORT>(v >= 0 ? minSpeed : -minSpeed);
}

void CImageCtrl::OpticalWheelStep(short delta)
{
    if (m_nOpticalState == ZoomWheel) {
        m_dWheelAccel += std::abs(delta) * kAccelPerDelta;
        if (m_dWheelAccel > kMaxAccel) m_dWheelAccel = kMaxAccel;
        if (m_nWheelHoldTicks > 0) return;
    } else if (m_nOpticalState != ZoomIdle) {
        return;
    }
    const int maxSpeed = m_pZoom ? m_pZoom->GetMaxSpeed() : ZOOM_DEFAULT_MAX_SPEED;
    SHORT speed = static_cast<SHORT>(static_cast<int>((maxSpeed / 3) * m_dWheelAccel));
    if (delta < 0) speed = static_cast<SHORT>(-speed);
    m_nZoomSpeed = speed;
    m_nRequestOrigin = REQUEST_WHEEL;
    m_nOpticalState = ZoomSend;
}

void CImageCtrl::EndZoomGesture()
{
    m_dZoomRate = 0.0;
    if (!m_pZoom || m_nOpticalState == ZoomIdle) return;
    // Whatever the state, the camera may be moving (or about to): stop it.
    m_nZoomSpeed = 0;
    m_ptLastCommand = POINT{-1, -1};
    m_dWheelAccel = 1.0;
    m_nWheelHoldTicks = 0;
    m_pZoom->Request(0, 0, 1);
    m_nOpticalState = ZoomIdle;
}

void CImageCtrl::OpticalZoomStep()
{
    if (m_bStopped) {
        // After the browser's Stop no new command goes out; a gesture under
        // way is stopped, and a kept stop still goes while the tick lasts.
        EndZoomGesture();
        m_pZoom->SendPendingStop();
        return;
    }
    switch (m_nOpticalState) {
    case ZoomSend:
        if (m_nZoomSpeed != 0)
            m_pZoom->Request(std::abs(m_nZoomSpeed), m_nZoomSpeed, 0);
        else
            m_pZoom->Request(0, 0, 1);
        m_ptLastCommand = m_ptLastMouse;
        if (m_nRequestOrigin == REQUEST_WHEEL) {
            const int n = burstValue(m_dWheelAccel) / 16;
            m_nWheelHoldTicks = n;
            m_nWheelStopTicks = 2 * n;
            m_nOpticalState = ZoomWheel;
        } else {
            m_nWheelHoldTicks = kFollowHoldTicks;
            m_nOpticalState = ZoomFollow;
        }
        break;
    case ZoomFollow:
        if (m_nWheelHoldTicks > 0) --m_nWheelHoldTicks;
        break;
    case ZoomWheel:
        if (m_nWheelHoldTicks > 0) --m_nWheelHoldTicks;
        if (--m_nWheelStopTicks <= 0) m_nOpticalState = ZoomStop;
        break;
    case ZoomStop:
        m_dWheelAccel = 1.0;
        m_nWheelHoldTicks = 0;
        m_pZoom->Request(0, 0, 1);
        m_nOpticalState = ZoomIdle;
        break;
    default:
        break;
    }
    // A stop that found every worker busy goes on the first tick that finds
    // one free, unless a command of this tick has settled it.
    m_pZoom->SendPendingStop();
}
