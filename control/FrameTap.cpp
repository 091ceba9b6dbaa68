// The viewer's tap on the frames the control cuts: a sink the container
// sets through IFrameTap, called with each frame's bytes as cut; and
// whether the stream ended after its pictures, got past its head, or
// dropped frames too large for the receive buffer.
#include "control/ImageCtrl.h"
#include "stream/StreamClient.h"

VE_FORWARD_IUNKNOWN(CImageCtrl, XFrameTap)

HRESULT STDMETHODCALLTYPE CImageCtrl::XFrameTap::SetFrameSink(IFrameSink* sink)
{
    // Under the lock a frame is handed over in: once the sink is replaced
    // the old one is called no more, and its owner may let it go, whatever
    // thread the control runs on.
    std::lock_guard lock(m_pThis->m_frameSinkMutex);
    m_pThis->m_pFrameSink.store(sink, std::memory_order_release);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CImageCtrl::XFrameTap::GetStreamEnded(BOOL* ended)
{
    if (!ended) return E_POINTER;
    *ended = m_pThis->m_bStreamEnded.load(std::memory_order_acquire) ? TRUE : FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CImageCtrl::XFrameTap::GetStreamStarted(BOOL* started)
{
    if (!started) return E_POINTER;
    *started = m_pThis->m_bStreamStarted.load(std::memory_order_acquire) ? TRUE : FALSE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CImageCtrl::XFrameTap::GetOversizedFrames(DWORD* count, DWORD* lastLength)
{
    if (!count || !lastLength) return E_POINTER;
    *count = m_pThis->m_dwOversizedFrames.load(std::memory_order_acquire);
    *lastLength = m_pThis->m_dwOversizedLength.load(std::memory_order_acquire);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CImageCtrl::XFrameTap::SetAnyPictureStream(BOOL on)
{
    // Kept by the control too: the connection object may not exist yet.
    m_pThis->m_bAnyPictureStream = on != FALSE;
    if (m_pThis->m_pStreamClient) m_pThis->m_pStreamClient->SetAnyPictureStream(on != FALSE);
    return S_OK;
}

void CImageCtrl::TapFrame(const BYTE* bytes, LONG length)
{
    if (length <= 0 || !m_pFrameSink.load(std::memory_order_acquire)) return;
    std::lock_guard lock(m_frameSinkMutex);
    IFrameSink* sink = m_pFrameSink.load(std::memory_order_acquire);
    if (sink) sink->OnFrame(bytes, static_cast<DWORD>(length), GetTickCount());
}
