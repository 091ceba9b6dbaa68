// The digital zoom: magnification 1.0 to 10.0 as an area factor, moving
// towards its target on the tick, a window panning towards its target
// centre, and the switch of the stream to a higher resolution above 4.0.
#include <cmath>
#include <string>

#include "control/ImageCtrl.h"
#include "stream/StreamBuffer.h"

namespace {

constexpr double kMinMag = 1.0;
constexpr double kMaxMag = 10.0;
constexpr double kMagStep = 0.8;
constexpr double kWheelStep = 0.1;
constexpr double kSwitchMag = 4.0;

void replaceFirst(std::string& text, const char* from, const char* to)
{
    const auto at = text.find(from);
    if (at != std::string::npos) text.replace(at, std::char_traits<char>::length(from), to);
}

} // namespace

double CImageCtrl::RateFromPosition(int y) const
{
    const int H = m_nImageHeight;
    if (H == 0) return 0.0;
    const double r = -static_cast<double>(y - H / 2) / H;
    if (r >= 0.5) return 1.0;
    if (r >= -0.1 && r <= 0.1) return 0.0;
    if (r <= -0.5) return -1.0;
    return r;
}

bool CImageCtrl::PanStep()
{
    const int dx = static_cast<int>(8 * m_dPanScale);
    const int dy = static_cast<int>(5 * m_dPanScale);
    const POINT before = m_ptViewCenter;
    LONG& vx = m_ptViewCenter.x;
    LONG& vy = m_ptViewCenter.y;
    const LONG tx = m_ptTargetCenter.x;
    const LONG ty = m_ptTargetCenter.y;
    if (vx < tx) vx = std::min<LONG>(vx + dx, tx);
    if (vx > tx) vx = std::max<LONG>(vx - dx, tx);
    if (vy < ty) vy = std::min<LONG>(vy + dy, ty);
    if (vy > ty) vy = std::max<LONG>(vy - dy, ty);
    return vx != before.x || vy != before.y;
}

void CImageCtrl::DigitalZoomStep()
{
    const double t = m_dZoomTarget + m_dZoomRate;
    if (t > kMaxMag) {
        m_dZoomTarget = kMaxMag;
        m_dZoomRate = 0.0;
        PostMessage(WM_SETCURSOR, 0, 0);
    } else if (t < kMinMag) {
        m_dZoomTarget = kMinMag;
        m_dZoomRate = 0.0;
        PostMessage(WM_SETCURSOR, 0, 0);
    } else {
        m_dZoomTarget = t;
    }

    bool moved = false;
    auto fireIfCeilingChanged = [this](double before) {
        if (std::ceil(m_dZoomMag) != before) {
            const VARIANT mag = MakeVariantR8(m_dZoomMag);
            FireEvent(eventidDZoomMagChanged, &mag, 1);
        }
    };
    if (m_dZoomTarget > m_dZoomMag) {
        const double c = std::ceil(m_dZoomMag);
        m_dZoomMag += kMagStep;
        if (std::fabs(m_dZoomTarget - m_dZoomMag) < kMagStep) m_dZoomMag = m_dZoomTarget;
        fireIfCeilingChanged(c);
        moved = true;
    } else if (m_dZoomTarget < m_dZoomMag) {
        const double c = std::ceil(m_dZoomMag);
        m_dZoomMag -= kMagStep;
        if (std::fabs(m_dZoomTarget - m_dZoomMag) < kMagStep) m_dZoomMag = m_dZoomTarget;
        fireIfCeilingChanged(c);
        // The larger window stays inside the picture.
        const int W = m_nImageWidth;
        const int H = m_nImageHeight;
        const double s = std::sqrt(m_dZoomMag);
        const int hw = static_cast<int>(W / s) / 2;
        const int hh = static_cast<int>(H / s) / 2;
        if (m_ptViewCenter.x < hw) m_ptViewCenter.x = hw;
        if (m_ptViewCenter.x + hw > W) m_ptViewCenter.x = W - hw;
        if (m_ptViewCenter.y < hh) m_ptViewCenter.y = hh;
        if (m_ptViewCenter.y + hh > H) m_ptViewCenter.y = H - hh;
        m_ptTargetCenter = m_ptViewCenter;
        moved = true;
    }
    if (PanStep()) moved = true;
    if (moved) InvalidateControl(nullptr, TRUE);
}

void CImageCtrl::DigitalWheelStep(short delta)
{
    m_dZoomTarget += (delta / WHEEL_DELTA) * kWheelStep;
    if (m_dZoomTarget > kMaxMag) m_dZoomTarget = kMaxMag;
    if (m_dZoomTarget < kMinMag) m_dZoomTarget = kMinMag;
}

void CImageCtrl::CheckResolution()
{
    const int W = m_nImageWidth;
    const int H = m_nImageHeight;
    const bool base160 = W == 160 && H == 120;
    const bool base320 = W == 320 && H == 240;
    const char* from = nullptr;
    const char* to = nullptr;
    if (m_dZoomMag > kSwitchMag) {
        if (m_nStreamWidth == W && m_nStreamHeight == H && base160) {
            from = "160x120";
            to = "320x240";
        } else if (m_nStreamWidth == W && m_nStreamHeight == H && base320) {
            from = "320x240";
            to = "640x480";
        }
        if (from) m_nSwitchDirection = SWITCH_UP;
    } else {
        if (base160 && m_nStreamWidth == 320 && m_nStreamHeight == 240) {
            from = "320x240";
            to = "160x120";
        } else if (base320 && m_nStreamWidth == 640 && m_nStreamHeight == 480) {
            from = "640x480";
            to = "320x240";
        }
        if (from) m_nSwitchDirection = SWITCH_DOWN;
    }
    if (!from) return;
    replaceFirst(m_strImagePath, from, to);
    if (StreamBufferBlock* b = m_pStreamBuffer ? m_pStreamBuffer->GetBlock() : nullptr) replaceFirst(b->path, from, to);
    m_nViewPhase = PHASE_SWITCH_REQUESTED;
}
