// IDataObject, OLE's data cache and IRunnableObject: what OleCreate,
// OleDraw and a document's container ask of an insertable control.
//
// The control renders its content aspect itself, on request, as a metafile
// of what OnDraw paints (an enhanced metafile, or a Windows metafile in a
// METAFILEPICT); every other format and the cache's own interfaces
// (IOleCache, IOleCache2, IOleCacheControl) come from OLE's data cache,
// aggregated into the control on first use.
#include <utility>
#include <vector>

#include "platform/framework/OleControl.h"
#include "platform/framework/Enumerators.h"

VE_FORWARD_IUNKNOWN(COleControl, XDataObject)

inline IUnknown* ItemUnknown(const FORMATETC&) { return nullptr; }
using FormatEnumerator = Enumerator<IEnumFORMATETC, FORMATETC, IID_IEnumFORMATETC>;

bool COleControl::OffersDocumentInterfaces() { return true; }

namespace {

bool isContent(const FORMATETC& f) { return f.dwAspect == DVASPECT_CONTENT && (f.lindex == -1 || f.lindex == 0); }
bool isEnhMetafile(const FORMATETC& f) { return f.cfFormat == CF_ENHMETAFILE && (f.tymed & TYMED_ENHMF); }
bool isMetafilePict(const FORMATETC& f) { return f.cfFormat == CF_METAFILEPICT && (f.tymed & TYMED_MFPICT); }
bool rendered(const FORMATETC& f) { return isContent(f) && (isEnhMetafile(f) || isMetafilePict(f)); }

} // namespace

IUnknown* COleControl::DataCache()
{
    if (!m_pDataCache && !m_bDataCacheFailed) {
        CLSID clsid = CLSID_NULL;
        GetClassID(&clsid);
        if (FAILED(::CreateDataCache(GetControllingUnknown(), clsid, IID_IUnknown,
                                     reinterpret_cast<void**>(&m_pDataCache))))
            m_pDataCache = nullptr;
        // Asked once: a control without the cache still draws and saves.
        m_bDataCacheFailed = m_pDataCache == nullptr;
    }
    return m_pDataCache;
}

HRESULT COleControl::RenderContent(const FORMATETC& format, STGMEDIUM* medium)
{
    const int cx = m_cx > 0 ? m_cx : 1;
    const int cy = m_cy > 0 ? m_cy : 1;
    // The metafile's frame in HIMETRIC units, the drawing in pixels.
    const RECT frame{0, 0, PixelsToHimetric(cx), PixelsToHimetric(cy)};
    HDC dc = ::CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    if (!dc) return E_OUTOFMEMORY;
    Draw(dc, RECT{0, 0, cx, cy});
    HENHMETAFILE enhanced = ::CloseEnhMetaFile(dc);
    if (!enhanced) return E_OUTOFMEMORY;

    if (isEnhMetafile(format)) {
        medium->tymed = TYMED_ENHMF;
        medium->hEnhMetaFile = enhanced;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }

    // A Windows metafile for the older format: the same records, played in
    // an anisotropic mapping whose extent is the control's in HIMETRIC.
    HDC screen = ::GetDC(nullptr);
    const UINT size = ::GetWinMetaFileBits(enhanced, 0, nullptr, MM_ANISOTROPIC, screen);
    std::vector<BYTE> bits(size);
    const bool converted = size > 0 && ::GetWinMetaFileBits(enhanced, size, bits.data(), MM_ANISOTROPIC, screen) == size;
    ::ReleaseDC(nullptr, screen);
    ::DeleteEnhMetaFile(enhanced);
    if (!converted) return E_FAIL;
    HMETAFILE metafile = ::SetMetaFileBitsEx(size, bits.data());
    if (!metafile) return E_OUTOFMEMORY;
    HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
    auto* pict = global ? static_cast<METAFILEPICT*>(::GlobalLock(global)) : nullptr;
    if (!pict) {
        if (global) ::GlobalFree(global);
        ::DeleteMetaFile(metafile);
        return E_OUTOFMEMORY;
    }
    pict->mm = MM_ANISOTROPIC;
    pict->xExt = frame.right;
    pict->yExt = frame.bottom;
    pict->hMF = metafile;
    ::GlobalUnlock(global);
    medium->tymed = TYMED_MFPICT;
    medium->hMetaFilePict = global;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT COleControl::Run()
{
    if (m_bRunning) return S_OK;
    m_bRunning = true;
    // The cache learns where fresh data comes from.
    if (IOleCacheControl* control = CacheInterface<IOleCacheControl>(IID_IOleCacheControl)) {
        control->OnRun(&m_xDataObject);
        control->Release();
    }
    return S_OK;
}

void COleControl::Stop()
{
    if (!m_bRunning) return;
    m_bRunning = false;
    if (!m_pDataCache) return;
    if (IOleCacheControl* control = CacheInterface<IOleCacheControl>(IID_IOleCacheControl)) {
        control->OnStop();
        control->Release();
    }
}

HRESULT STDMETHODCALLTYPE COleControl::XDataObject::GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium)
{
    if (!pformatetcIn || !pmedium) return E_POINTER;
    if (rendered(*pformatetcIn)) return m_pThis->RenderContent(*pformatetcIn, pmedium);
    IDataObject* cache = m_pThis->CacheInterface<IDataObject>(IID_IDataObject);
    if (!cache) return DV_E_FORMATETC;
    const HRESULT hr = cache->GetData(pformatetcIn, pmedium);
    cache->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE COleControl::XDataObject::GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium)
{
    if (!pformatetc || !pmedium) return E_POINTER;
    // Metafiles are handles the control makes; there is no caller's medium
    // to render them into.
    return DATA_E_FORMATETC;
}

HRESULT STDMETHODCALLTYPE COleControl::XDataObject::QueryGetData(FORMATETC* pformatetc)
{
    if (!pformatetc) return E_POINTER;
    if (rendered(*pformatetc)) return S_OK;
    IDataObject* cache = m_pThis->CacheInterface<IDataObject>(IID_IDataObject);
    if (!cache) return DV_E_FORMATETC;
    const HRESULT hr = cache->QueryGetData(pformatetc);
    cache->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE COleControl::XDataObject::GetCanonicalFormatEtc(FORMATETC* pformatectIn,
                                                                          FORMATETC* pformatetcOut)
{
    if (!pformatectIn || !pformatetcOut) return E_POINTER;
    *pformatetcOut = *pformatectIn;
    pformatetcOut->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

HRESULT STDMETHODCALLTYPE COleControl::XDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE COleControl::XDataObject::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc)
{
    if (!ppenumFormatEtc) return E_POINTER;
    *ppenumFormatEtc = nullptr;
    if (dwDirection != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> formats = {
        {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF},
        {CF_METAFILEPICT, nullptr, DVASPECT_CONTENT, -1, TYMED_MFPICT},
    };
    return FormatEnumerator::Create(std::move(formats), 0, ppenumFormatEtc);
}

HRESULT STDMETHODCALLTYPE COleControl::XDataObject::DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                                                            DWORD* pdwConnection)
{
    if (!pformatetc || !pAdvSink || !pdwConnection) return E_POINTER;
    if (!m_pThis->m_pDataAdviseHolder && FAILED(::CreateDataAdviseHolder(&m_pThis->m_pDataAdviseHolder)))
        return E_OUTOFMEMORY;
    return m_pThis->m_pDataAdviseHolder->Advise(this, pformatetc, advf, pAdvSink, pdwConnection);
}

HRESULT STDMETHODCALLTYPE COleControl::XDataObject::DUnadvise(DWORD dwConnection)
{
    if (!m_pThis->m_pDataAdviseHolder) return OLE_E_NOCONNECTION;
    return m_pThis->m_pDataAdviseHolder->Unadvise(dwConnection);
}

HRESULT STDMETHODCALLTYPE COleControl::XDataObject::EnumDAdvise(IEnumSTATDATA** ppenumAdvise)
{
    if (!ppenumAdvise) return E_POINTER;
    *ppenumAdvise = nullptr;
    if (!m_pThis->m_pDataAdviseHolder) return OLE_E_ADVISENOTSUPPORTED;
    return m_pThis->m_pDataAdviseHolder->EnumAdvise(ppenumAdvise);
}
