// The first frame of every connection fixes the stream's frame size, and
// tells whether automatic resolution switching can go on.
#include "control/ImageCtrl.h"

void CImageCtrl::CheckFirstFrameSize(int width, int height)
{
    const int W = m_nImageWidth;
    const int H = m_nImageHeight;
    if (m_nViewPhase == PHASE_NOTHING_RECEIVED) {
        m_nStreamWidth = width;
        m_nStreamHeight = height;
        if (width != W || height != H) m_bResolutionSwitch = FALSE;
    } else if (m_nViewPhase == PHASE_WAITING_FIRST_FRAME) {
        if (m_nSwitchDirection == SWITCH_UP && m_nStreamWidth == W) {
            m_nStreamWidth = width;
            m_nStreamHeight = height;
            if (width != 2 * W) m_bResolutionSwitch = FALSE;
        } else if (m_nSwitchDirection == SWITCH_DOWN && m_nStreamWidth == 2 * W) {
            m_nStreamWidth = width;
            m_nStreamHeight = height;
            if (width != W) m_bResolutionSwitch = FALSE;
        }
    }
    m_nViewPhase = PHASE_STREAMING;
}
