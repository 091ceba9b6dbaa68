// The receive step: once per tick while streaming, read what the socket
// holds, cut the newest complete frame and hand it to drawing.
#include "control/ImageCtrl.h"
#include "stream/StreamBuffer.h"
#include "stream/StreamClient.h"
#include "platform/trace/Trace.h"

void CImageCtrl::StopStreamTimer()
{
    if (m_nTimerId != 0) {
        KillTimer(TIMER_TICK);
        m_nTimerId = 0;
    }
}

void CImageCtrl::ReceiveStep()
{
    StreamBufferBlock* b = m_pStreamBuffer->GetBlock();
    if (m_bStopped) {
        VE_TRACE(stream, "stopped");
        StopStreamTimer();
        m_pStreamClient->Close();
        m_nLabelTicks = 0;
        return;
    }
    if (!m_bStreamStarted.load(std::memory_order_relaxed)) m_bStreamStarted.store(true, std::memory_order_release);
    WatchStreamSocket();
    // A full buffer from which no frame could be cut holds no frame that
    // fits: drop it and hunt for the next boundary.
    const bool anyStream = m_pStreamClient->IsAnyPictureStream() && m_pStreamClient->GetReader().Started();
    if (b->held >= STREAM_RECEIVE_SIZE) {
        if (anyStream) DropAnyStreamOverflow(b);
        else DropOversizedPart(b);
    }
    const int n = m_pStreamClient->Receive();
    if (n < 0) {
        if (m_pStreamClient->GetReceiveError() == WSAEWOULDBLOCK) {
            m_bSocketDrained = true; // a notice comes when there is more
            return;
        }
        VE_TRACE(stream, "receive failed: %d", m_pStreamClient->GetReceiveError());
        EndZoomGesture();
        StopStreamTimer();
        if (!m_pImage && !b->frameReady) {
            // No picture yet: the status text says why there will be none.
            // With the timer stopped no tick notices the new flags.
            m_pStreamClient->FailStream(static_cast<DWORD>(m_pStreamClient->GetReceiveError()));
            InvalidateControl(nullptr, TRUE);
        } else {
            m_pStreamClient->Close();
            m_bStreamEnded.store(true, std::memory_order_release);
        }
        m_nLabelTicks = 0;
        return;
    }
    if (n == 0) {
        VE_TRACE(stream, "the camera closed the stream");
        m_nViewPhase = PHASE_ENDED;
        EndZoomGesture();
        InvalidateControl(nullptr, TRUE);
        // A part handed over by its picture's end is not cut again.
        if (!anyStream && !m_bPartHanded && m_pStreamClient->CutLastFrame()) {
            TapFrame(b->frameBytes, static_cast<LONG>(b->frameLength));
            InvalidateControl(nullptr, TRUE);
        }
        if (!m_pImage && !b->frameReady) {
            m_pStreamClient->FailStream(0); // closed before its first picture
        } else {
            m_pStreamClient->Close();
            m_bStreamEnded.store(true, std::memory_order_release);
        }
        m_nLabelTicks = 0;
        return;
    }
    if (anyStream) {
        DWORD added = static_cast<DWORD>(n);
        if (m_pStreamClient->IsChunked()) added = m_pStreamClient->GetDecoder().Decode(b->receive + b->held, added);
        b->held += added;
        CutAnyStreamParts(b);
        return;
    }
    b->held += static_cast<DWORD>(n);
    FindOversizedPartEnd(b);
    if (b->held <= b->patternLength) {
        CutCompletePicture(b);
        return;
    }
    LONG start, consumed, length;
    b->parseMode = m_pStreamBuffer->CutFrame(b->receive, b->held - b->patternLength, static_cast<BYTE>(b->parseMode),
                                             &start, &consumed, &length);
    if (start < 0) {
        CutCompletePicture(b);
        return;
    }
    // A part already handed over by its picture's end is not handed again.
    if (!m_bPartHanded || start != m_lPartStart) {
        VE_TRACE(stream, "part cut: %ld bytes at %ld", static_cast<long>(length), static_cast<long>(start));
        TapFrame(b->receive + start, length);
        if (!b->frameReady && m_pStreamBuffer->StoreFrame(b->receive + start, static_cast<DWORD>(length))) {
            if (m_byFeatures & FEATURE_MOTION_SETTING)
                InspectMotionComment(b->frameBytes, b->frameBytes + b->frameLength);
            b->frameReady = 1;
            InvalidateControl(nullptr, TRUE);
        }
    }
    // Consumed up to an empty line, the buffer begins with the next part's data.
    const BYTE* r = b->receive;
    const bool atPartData = consumed >= 2 && r[consumed - 1] == '\n' &&
                            (r[consumed - 2] == '\n' ||
                             (consumed >= 4 && r[consumed - 2] == '\r' && r[consumed - 3] == '\n' && r[consumed - 4] == '\r'));
    m_pStreamBuffer->Consume(consumed);
    ForgetPartInProgress();
    if (atPartData) m_lPartStart = 0;
    CutCompletePicture(b);
}

void CImageCtrl::CutAnyStreamParts(StreamBufferBlock* b)
{
    CMultipartReader& reader = m_pStreamClient->GetReader();
    LONG start = -1, length = 0, newest = -1, newestLength = 0;
    while (reader.NextPart(b->receive, b->held, &start, &length)) {
        VE_TRACE(stream, "part cut: %ld bytes at %ld", static_cast<long>(length), static_cast<long>(start));
        TapFrame(b->receive + start, length);
        newest = start;
        newestLength = length;
    }
    DWORD count = 0, lastLength = 0;
    if (reader.TakeOversized(&count, &lastLength)) {
        VE_TRACE(stream, "oversized part dropped: %lu bytes", static_cast<unsigned long>(lastLength));
        m_dwOversizedLength.store(lastLength, std::memory_order_release);
        m_dwOversizedFrames.fetch_add(count, std::memory_order_acq_rel);
    }
    if (newest >= 0 && !b->frameReady &&
        m_pStreamBuffer->StoreFrame(b->receive + newest, static_cast<DWORD>(newestLength))) {
        if (m_byFeatures & FEATURE_MOTION_SETTING) InspectMotionComment(b->frameBytes, b->frameBytes + b->frameLength);
        b->frameReady = 1;
        InvalidateControl(nullptr, TRUE);
    }
    m_pStreamBuffer->Consume(static_cast<LONG>(reader.Settle()));
    if (reader.NoBoundary() && !m_pImage && !b->frameReady) {
        // No picture will come: the status text says what came instead.
        StopStreamTimer();
        m_pStreamClient->RejectStream();
        m_nLabelTicks = 0;
        InvalidateControl(nullptr, TRUE);
    }
}

void CImageCtrl::DropAnyStreamOverflow(StreamBufferBlock* b)
{
    CMultipartReader& reader = m_pStreamClient->GetReader();
    VE_TRACE(stream, "receive buffer full: %lu bytes held", static_cast<unsigned long>(b->held));
    m_pStreamBuffer->Consume(static_cast<LONG>(reader.Overflow(b->held)));
}

void CImageCtrl::DropOversizedPart(StreamBufferBlock* b)
{
    // The part that filled the buffer began after the last boundary held;
    // without one, it began at the buffer's start when the reader was in
    // step, or it goes on from an earlier drop. Anything else is garbage.
    const LONG start = m_pStreamBuffer->LastPartStart(b->receive, b->held);
    VE_TRACE(stream, "oversized part dropped: %lu bytes held", static_cast<unsigned long>(b->held));
    if (start >= 0) m_qwOversizeBytes = b->held - static_cast<DWORD>(start);
    else if (b->parseMode == 1) m_qwOversizeBytes = b->held;
    else if (m_qwOversizeBytes > 0) m_qwOversizeBytes += b->held;
    m_dwOversizeScanned = 0;
    b->held = 0;
    b->parseMode = 0;
    ForgetPartInProgress();
}

void CImageCtrl::FindOversizedPartEnd(StreamBufferBlock* b)
{
    if (m_qwOversizeBytes == 0) return;
    const LONG at = m_pStreamBuffer->FirstBoundary(b->receive, m_dwOversizeScanned, b->held);
    if (at < 0) {
        // A boundary that has begun to arrive is looked for again next time.
        m_dwOversizeScanned = b->held >= b->patternLength ? b->held - b->patternLength + 1 : 0;
        return;
    }
    // The frame ends before the byte that precedes its closing boundary.
    const unsigned long long length = m_qwOversizeBytes + static_cast<DWORD>(at) - 1;
    m_qwOversizeBytes = 0;
    m_dwOversizedLength.store(length > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(length), std::memory_order_release);
    m_dwOversizedFrames.fetch_add(1, std::memory_order_acq_rel);
}
