// Painting of the control: the newest frame (or the digital zoom's window
// of it) at the configured picture size, the magnification label and the
// motion bar; while no picture can be drawn, a status text on white.
#include <cmath>
#include <cstdio>
#include <new>

#include "control/ImageCtrl.h"
#include "image/Image.h"
#include "platform/vfw/Vfw.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamClient.h"
#include "platform/trace/Trace.h"

namespace {

constexpr int kLabelOffset = 20;
constexpr int kBarLeft = 40;
constexpr int kBarTop = 200;
constexpr int kBarBottom = 220;
constexpr int kBarStep = 12;
constexpr int kBarSteps = 20;
constexpr COLORREF kBarBase = RGB(0, 160, 126);
constexpr COLORREF kBarFirstAbove = RGB(45, 255, 60);
constexpr COLORREF kBarSecondAbove = RGB(255, 0, 0);
constexpr COLORREF kBarRest = RGB(237, 167, 159);

// a x b / c, truncated toward zero, in 64 bits so that the product cannot
// overflow; 0 for a zero divisor instead of trapping.
int scale(int a, int b, int c)
{
    return c == 0 ? 0 : static_cast<int>(static_cast<long long>(a) * b / c);
}

void fillBar(CDC* pdc, int left, int top, int right, int bottom, COLORREF colour)
{
    CBrush brush(colour);
    const RECT rect{left, top, right, bottom};
    pdc->FillRect(&rect, &brush);
    brush.DeleteObject();
}

// The largest of 8, 4, 2 by which a window of the picture (w x h) can be
// divided and still cover the size drawn; 1 when none can.
int decodeDenominator(int w, int h, int drawnWidth, int drawnHeight)
{
    for (int d = 8; d > 1; d /= 2)
        if (w / d >= drawnWidth && h / d >= drawnHeight) return d;
    return 1;
}

} // namespace

void CImageCtrl::OnDraw(CDC* pdc, const RECT& rcBounds, const RECT&)
{
    if (!pdc) return;
    // Every paint stands for the error flags it finds, also one that keeps
    // the last picture and shows no text: the tick compares them with the
    // published flags and would otherwise only repaint, tick after tick.
    const DWORD flags = m_pStreamClient ? errorBits(m_pStreamClient->GetErrorFlags()) : 0;
    m_lShownError = static_cast<LONG>(flags);
    const BYTE* bytes = m_pStreamBuffer ? m_pStreamBuffer->GetData(SB_FRAME_BYTES) : nullptr;
    if (bytes) {
        const LONG length = m_pStreamBuffer->GetNumber(SB_FRAME_LENGTH);
        if (DrawFrame(pdc, bytes, length, rcBounds.left, rcBounds.top)) {
            m_bPainted = TRUE;
            return;
        }
        if (m_bPainted) return;
        m_bPainted = TRUE;
    }

    CBrush white(RGB(255, 255, 255));
    pdc->FillRect(&rcBounds, &white);
    RECT textRect = rcBounds;
    if (flags & errorBits(ERR_NOT_PICTURE_STREAM)) {
        const std::string text = "not a picture stream: " + m_pStreamClient->GetNotPictureType();
        pdc->DrawText(text.c_str(), &textRect, DT_WORDBREAK);
    } else if (flags != 0) {
        char text[64];
        std::snprintf(text, sizeof text, " Error Code(%lx / %d)\n", static_cast<unsigned long>(flags),
                      static_cast<int>(m_pStreamClient->GetErrorCode()));
        pdc->DrawText(text, &textRect, DT_WORDBREAK);
    } else {
        pdc->DrawText("Connecting...", &textRect, DT_WORDBREAK);
    }
}

bool CImageCtrl::DrawFrame(CDC* pdc, const BYTE* bytes, LONG length, int left, int top)
{
    // The picture is drawn at the configured size, or, where the container
    // shows the control smaller and asked for it, whole at the size shown.
    const int W = m_nImageWidth;
    const int H = m_nImageHeight;
    const bool scaled = (m_dwViewTuning & VIEW_TUNE_SCALED_DECODE) && m_szShown.cx > 0 && m_szShown.cy > 0 &&
                        (m_szShown.cx < W || m_szShown.cy < H);
    const int drawnW = scaled ? m_szShown.cx : W;
    const int drawnH = scaled ? m_szShown.cy : H;
    if (m_pStreamBuffer->GetFlag(SB_FRAME_READY)) {
        // Shown smaller, the picture (or the zoom's window of it) needs no
        // more pixels than are drawn: it is decoded at a fraction of its
        // size that still covers them.
        int denom = 1;
        if (scaled) {
            const double s = std::sqrt(m_dZoomMag);
            denom = decodeDenominator(static_cast<int>(m_nStreamWidth / s), static_cast<int>(m_nStreamHeight / s), drawnW,
                                     drawnH);
        }
        // Decode into a new image; it replaces the current one only when it
        // holds a picture. Either way the slot is released, so that the
        // next frame is accepted and a bad one is not decoded again.
        CImage* image = new (std::nothrow) CImage(bytes, length, denom);
        const bool picture = image && image->GetWidth() >= 1 && image->GetHeight() >= 1;
        VE_TRACE(stream, "frame decoded: %ld bytes, %dx%d", static_cast<long>(length), picture ? image->GetWidth() : 0,
                 picture ? image->GetHeight() : 0);
        m_pStreamBuffer->SetFlag(SB_FRAME_READY, 0);
        if (picture) {
            delete m_pImage;
            m_pImage = image;
            m_nDecodeDenom = denom;
            if (m_nViewPhase == PHASE_NOTHING_RECEIVED || m_nViewPhase == PHASE_WAITING_FIRST_FRAME)
                CheckFirstFrameSize(image->GetSourceWidth(), image->GetSourceHeight());
        } else {
            delete image;
            if (!m_pImage) return false;
        }
    }
    if (!m_pImage) return true;

    const int depth = pdc->GetDeviceCaps(PLANES) * pdc->GetDeviceCaps(BITSPIXEL);
    if (depth == 8) {
        if (!m_hDrawDib) m_hDrawDib = DrawDibOpen();
    } else if (depth > 8 && m_hDrawDib) {
        DrawDibClose(m_hDrawDib);
        m_hDrawDib = nullptr;
    }

    const int d = m_nDecodeDenom;
    if (m_nViewPhase == PHASE_ENDED) {
        m_pImage->StretchDraw(pdc, m_hDrawDib, left, top, drawnW, drawnH, 0, 0, -1, -1);
    } else {
        // The digital zoom's window, in frame pixels, rows counted from the
        // bottom of the frame.
        const int Fw = m_nStreamWidth;
        const int Fh = m_nStreamHeight;
        const double s = std::sqrt(m_dZoomMag);
        const int w = static_cast<int>(Fw / s);
        const int h = static_cast<int>(Fh / s);
        // The view centre is in page pixels: scale it by the exact ratio of
        // frame to page (multiplied before divided), so that frames smaller
        // than the page, or not a whole multiple of it, are panned whole.
        int x = scale(Fw, m_ptViewCenter.x, W) - w / 2;
        int y = scale(H - m_ptViewCenter.y, Fh, H) - h / 2;
        if (x < 0) x = 0;
        if (y < 0) y = 0;
        if (x + w > Fw) x = Fw - w;
        if (y + h > Fh) y = Fh - h;
        m_pImage->StretchDraw(pdc, m_hDrawDib, left, top, drawnW, drawnH, x / d, y / d, w / d, h / d);
    }

    if (m_nLabelTop == -1) m_nLabelTop = top;
    if (top >= m_nLabelTop && m_nLabelTicks > 0) {
        char label[32];
        std::snprintf(label, sizeof label, "x%2.1f", m_dZoomMag);
        pdc->SetTextColor(RGB(255, 0, 0));
        pdc->TextOut(left + kLabelOffset, top + kLabelOffset, label);
    }

    if (m_chMotionBar1 >= 0 && m_chMotionBar2 >= 0) {
        const int a = m_chMotionBar1;
        const int b = m_chMotionBar2;
        const int x0 = left + kBarLeft;
        const int x1 = x0 + kBarStep * kBarSteps;
        const int barTop = top + kBarTop;
        const int barBottom = top + kBarBottom;
        if (a > b) {
            fillBar(pdc, x0, barTop, x0 + kBarStep * b, barBottom, kBarBase);
            fillBar(pdc, x0 + kBarStep * b, barTop, x0 + kBarStep * a, barBottom, kBarFirstAbove);
            fillBar(pdc, x0 + kBarStep * a, barTop, x1, barBottom, kBarRest);
        } else {
            fillBar(pdc, x0, barTop, x0 + kBarStep * a, barBottom, kBarBase);
            fillBar(pdc, x0 + kBarStep * a, barTop, x0 + kBarStep * b, barBottom, kBarSecondAbove);
            fillBar(pdc, x0 + kBarStep * b, barTop, x1, barBottom, kBarRest);
        }
    }
    return true;
}
