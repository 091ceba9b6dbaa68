// Painting of the control. While no picture can be drawn it shows a status
// text on white: "Connecting...", or the connection's error flags and code.
#include <cstdio>

#include "control/ImageCtrl.h"
#include "stream/StreamClient.h"

void CImageCtrl::OnDraw(CDC* pdc, const RECT& rcBounds, const RECT&)
{
    if (!pdc) return;
    CBrush white(RGB(255, 255, 255));
    pdc->FillRect(&rcBounds, &white);
    RECT textRect = rcBounds;
    const DWORD flags = m_pStreamClient ? m_pStreamClient->GetErrorFlags() : 0;
    if (flags != 0) {
        char text[64];
        std::snprintf(text, sizeof text, " Error Code(%lx / %d)\n", static_cast<unsigned long>(flags),
                      static_cast<int>(m_pStreamClient->GetErrorCode()));
        pdc->DrawText(text, &textRect, DT_WORDBREAK);
        m_lShownError = static_cast<LONG>(flags);
    } else {
        pdc->DrawText("Connecting...", &textRect, DT_WORDBREAK);
    }
}
