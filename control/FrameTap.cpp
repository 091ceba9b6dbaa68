// The viewer's tap on the frames the control cuts: a sink the container
// sets through IFrameTap, called with each frame's bytes as cut; and
// whether the stream ended after its pictures.
#include "control/ImageCtrl.h"

VE_FORWARD_IUNKNOWN(CImageCtrl, XFrameTap)

HRESULT STDMETHODCALLTYPE CImageCtrl::XFrameTap::SetFrameSink(IFrameSink* sink)
{
    m_pThis->m_pFrameSink.store(sink, std::memory_order_release);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CImageCtrl::XFrameTap::GetStreamEnded(BOOL* ended)
{
    if (!ended) return E_POINTER;
    *ended = m_pThis->m_bStreamEnded.load(std::memory_order_acquire) ? TRUE : FALSE;
    return S_OK;
}

void CImageCtrl::TapFrame(const BYTE* bytes, LONG length)
{
    IFrameSink* sink = m_pFrameSink.load(std::memory_order_acquire);
    if (!sink || length <= 0) return;
    sink->OnFrame(bytes, static_cast<DWORD>(length), GetTickCount());
}
