// Persistence through the property exchange: IPersistPropertyBag over the
// container's bag, IPersistStreamInit over a stream holding the same named
// properties, in the format of PropertyStream.h, and IPersistStorage where
// the platform has storages.
#include <algorithm>
#include <string>

#include "platform/framework/OleControl.h"
#include "platform/framework/PropertyStream.h"
#include "platform/trace/Trace.h"

VE_FORWARD_IUNKNOWN(COleControl, XPersistPropertyBag)
VE_FORWARD_IUNKNOWN(COleControl, XPersistStreamInit)
VE_FORWARD_IUNKNOWN(COleControl, XPersistStorage)

namespace {

// The container's stream as the property stream's source. Its length is
// not asked (not every stream can tell it); the reader then takes text in
// bounded pieces.
class StreamSource final : public PropertyStreamSource {
public:
    explicit StreamSource(IStream* stream) : m_stream(stream) {}
    bool Read(void* data, std::size_t size) override
    {
        auto* at = static_cast<unsigned char*>(data);
        while (size > 0) {
            const ULONG ask = static_cast<ULONG>(std::min<std::size_t>(size, 0x10000000));
            ULONG read = 0;
            if (FAILED(m_stream->Read(at, ask, &read)) || read == 0 || read > ask) return false;
            at += read;
            size -= read;
        }
        return true;
    }

private:
    IStream* m_stream;
};

} // namespace

HRESULT COleControl::Load(IPropertyBag* bag)
{
    VE_TRACE(com, "(%p, bag %p)", static_cast<void*>(this), static_cast<void*>(bag));
    if (!bag) return E_POINTER;
    CPropbagLoadExchange px(bag);
    DoPropExchange(&px);
    m_bModified = false;
    return S_OK;
}

HRESULT COleControl::Save(IPropertyBag* bag)
{
    VE_TRACE(com, "(%p, bag %p)", static_cast<void*>(this), static_cast<void*>(bag));
    if (!bag) return E_POINTER;
    CPropbagSaveExchange px(bag);
    DoPropExchange(&px);
    return S_OK;
}

HRESULT COleControl::LoadStream(PropertyStreamSource& source)
{
    PropertyStreamBag bag;
    if (!ReadPropertyStream(source, bag)) return E_FAIL;
    return Load(&bag);
}

HRESULT COleControl::SaveStream(std::string& bytes)
{
    PropertyStreamBag bag;
    const HRESULT hr = Save(&bag);
    if (FAILED(hr)) return hr;
    return WritePropertyStream(bag, bytes) ? S_OK : E_FAIL;
}

HRESULT COleControl::LoadStream(IStream* stream)
{
    VE_TRACE(com, "(%p, stream %p)", static_cast<void*>(this), static_cast<void*>(stream));
    if (!stream) return E_POINTER;
    StreamSource source(stream);
    return LoadStream(source);
}

HRESULT COleControl::SaveStream(IStream* stream)
{
    VE_TRACE(com, "(%p, stream %p)", static_cast<void*>(this), static_cast<void*>(stream));
    if (!stream) return E_POINTER;
    std::string bytes;
    HRESULT hr = SaveStream(bytes);
    if (FAILED(hr)) return hr;
    ULONG written = 0;
    hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    if (FAILED(hr)) return hr;
    return written == bytes.size() ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistPropertyBag::GetClassID(CLSID* pClassID)
{
    return m_pThis->GetClassID(pClassID);
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistPropertyBag::InitNew()
{
    m_pThis->OnResetState();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistPropertyBag::Load(IPropertyBag* pPropBag, IErrorLog*)
{
    return m_pThis->Load(pPropBag);
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistPropertyBag::Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL)
{
    const HRESULT hr = m_pThis->Save(pPropBag);
    if (SUCCEEDED(hr) && fClearDirty) m_pThis->m_bModified = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistStreamInit::GetClassID(CLSID* pClassID)
{
    return m_pThis->GetClassID(pClassID);
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistStreamInit::IsDirty() { return m_pThis->m_bModified ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE COleControl::XPersistStreamInit::Load(LPSTREAM pStm) { return m_pThis->LoadStream(pStm); }

HRESULT STDMETHODCALLTYPE COleControl::XPersistStreamInit::Save(LPSTREAM pStm, BOOL fClearDirty)
{
    const HRESULT hr = m_pThis->SaveStream(pStm);
    if (SUCCEEDED(hr) && fClearDirty) m_pThis->m_bModified = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistStreamInit::GetSizeMax(ULARGE_INTEGER* pCbSize)
{
    if (!pCbSize) return E_POINTER;
    std::string bytes;
    if (FAILED(m_pThis->SaveStream(bytes))) return E_FAIL;
    pCbSize->QuadPart = bytes.size();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistStreamInit::InitNew()
{
    m_pThis->OnResetState();
    return S_OK;
}

// The properties inside an OLE storage, where the platform has storages.
HRESULT STDMETHODCALLTYPE COleControl::XPersistStorage::GetClassID(CLSID* pClassID)
{
    return m_pThis->GetClassID(pClassID);
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistStorage::IsDirty() { return m_pThis->m_bModified ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE COleControl::XPersistStorage::InitNew(IStorage* pStg) { return m_pThis->StorageInitNew(pStg); }

HRESULT STDMETHODCALLTYPE COleControl::XPersistStorage::Load(IStorage* pStg) { return m_pThis->StorageLoad(pStg); }

HRESULT STDMETHODCALLTYPE COleControl::XPersistStorage::Save(IStorage* pStgSave, BOOL fSameAsLoad)
{
    return m_pThis->StorageSave(pStgSave, fSameAsLoad);
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistStorage::SaveCompleted(IStorage* pStgNew)
{
    return m_pThis->StorageSaveCompleted(pStgNew);
}

HRESULT STDMETHODCALLTYPE COleControl::XPersistStorage::HandsOffStorage() { return m_pThis->StorageHandsOff(); }
