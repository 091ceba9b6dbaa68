// Click-and-centre: a left click moves the digital zoom window's target
// centre as far as it can, and asks the camera, through the browser's
// "Message" frame, to centre on whatever the window could not absorb.
#include <cmath>
#include <cstdio>

#include "control/ImageCtrl.h"
#include "platform/window/InputState.h"
#include "stream/StreamClient.h"

void CImageCtrl::ClickStep(POINT point)
{
    const int W = m_nImageWidth;
    const int H = m_nImageHeight;
    const double s = std::sqrt(m_dZoomMag);
    const int hw = static_cast<int>(W / s) / 2;
    const int hh = static_cast<int>(H / s) / 2;
    const int ux = static_cast<int>(point.x / s) - hw + m_ptTargetCenter.x;
    const int uy = static_cast<int>(point.y / s) - hh + m_ptTargetCenter.y;
    bool marked = false;
    int cx = ux;
    if (cx < hw) {
        cx = hw;
        marked = true;
    }
    if (cx + hw > W) {
        cx = W - hw;
        marked = true;
    }
    int cy = uy;
    if (cy < hh) {
        cy = hh;
        marked = true;
    }
    if (cy + hh > H) {
        cy = H - hh;
        marked = true;
    }
    m_ptTargetCenter = POINT{cx, cy};
    if (ClickBits() == FEATURE_CLICK_REAL && marked) {
        m_ptCenterRequest = POINT{W / 2 + ux - cx, H / 2 + uy - cy};
        SetTimer(TIMER_CLICK, GetDoubleClickTime(), nullptr);
    }
}

void CImageCtrl::SendClickRequest()
{
    KillTimer(TIMER_CLICK);
    const char* host = m_pStreamClient ? m_pStreamClient->GetHost() : nullptr;
    if (!host || !*host) return;
    const int port = m_pStreamClient->GetPort();
    char url[1024];
    int n = std::snprintf(url, sizeof url, "http://%s", host);
    if (port != 80 && n > 0 && n < static_cast<int>(sizeof url))
        n += std::snprintf(url + n, sizeof url - static_cast<size_t>(n), ":%d", port);
    if (n > 0 && n < static_cast<int>(sizeof url))
        std::snprintf(url + n, sizeof url - static_cast<size_t>(n),
                      "/%s?Direction=Direct&Width=%d&Height=%d&NewPosition.x=%d&NewPosition.y=%d&Language=%d",
                      m_szControlTarget, static_cast<int>(m_nImageWidth), static_cast<int>(m_nImageHeight),
                      static_cast<int>(m_ptCenterRequest.x), static_cast<int>(m_ptCenterRequest.y),
                      static_cast<int>(m_nLanguage));
    BSTR wide = SysAllocStringFromUtf8(url);
    if (m_pBrowser) {
        VARIANT frame = MakeVariantBstr("Message");
        m_pBrowser->Navigate(wide, nullptr, &frame, nullptr, nullptr);
        VariantClear(&frame);
    }
    SysFreeString(wide);
}
