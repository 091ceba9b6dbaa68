// IPersistStorage: what a container that embeds objects in its document
// (Insert Object, OleSave and OleLoad) asks of an insertable control. The
// control's properties go into one stream of the storage, in the format of
// IPersistStreamInit; OLE's data cache keeps its presentations beside it.
//
// The storage given to InitNew or Load is held until HandsOffStorage, as
// the protocol has it; between Save and SaveCompleted the control writes
// nothing to any storage.
#include <utility>

#include "platform/framework/OleControl.h"

namespace {
// Not "CONTENTS": OLE's data cache reads a stream of that name as a picture.
constexpr const OLECHAR* kPropertiesStream = L"Properties";
} // namespace

HRESULT COleControl::StorageInitNew(IStorage* storage)
{
    if (!storage) return E_POINTER;
    if (m_pStorage) return CO_E_ALREADYINITIALIZED;
    if (IPersistStorage* cache = CacheInterface<IPersistStorage>(IID_IPersistStorage)) {
        const HRESULT hr = cache->InitNew(storage);
        cache->Release();
        if (FAILED(hr)) return hr;
    }
    storage->AddRef();
    m_pStorage = storage;
    OnResetState();
    m_bModified = true;
    return S_OK;
}

HRESULT COleControl::StorageLoad(IStorage* storage)
{
    if (!storage) return E_POINTER;
    if (m_pStorage) return CO_E_ALREADYINITIALIZED;
    IStream* stream = nullptr;
    HRESULT hr = storage->OpenStream(kPropertiesStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
    if (FAILED(hr)) return hr;
    hr = LoadStream(stream);
    stream->Release();
    if (FAILED(hr)) return hr;
    if (IPersistStorage* cache = CacheInterface<IPersistStorage>(IID_IPersistStorage)) {
        hr = cache->Load(storage);
        cache->Release();
        if (FAILED(hr)) return hr;
    }
    storage->AddRef();
    m_pStorage = storage;
    return S_OK;
}

HRESULT COleControl::StorageSave(IStorage* storage, BOOL sameAsLoad)
{
    if (!storage) return E_POINTER;
    IStream* stream = nullptr;
    HRESULT hr = storage->CreateStream(kPropertiesStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                       &stream);
    if (FAILED(hr)) return hr;
    hr = SaveStream(stream);
    stream->Release();
    if (FAILED(hr)) return hr;
    // The cached presentations are brought up to date with what the control
    // shows now, then saved beside the properties.
    if (m_pDataAdviseHolder) m_pDataAdviseHolder->SendOnDataChange(&m_xDataObject, 0, 0);
    if (IPersistStorage* cache = CacheInterface<IPersistStorage>(IID_IPersistStorage)) {
        hr = cache->Save(storage, sameAsLoad);
        cache->Release();
    }
    return hr;
}

HRESULT COleControl::StorageSaveCompleted(IStorage* storage)
{
    if (IPersistStorage* cache = CacheInterface<IPersistStorage>(IID_IPersistStorage)) {
        cache->SaveCompleted(storage);
        cache->Release();
    }
    if (storage) {
        storage->AddRef();
        if (IStorage* old = std::exchange(m_pStorage, storage)) old->Release();
    }
    m_bModified = false;
    return S_OK;
}

HRESULT COleControl::StorageHandsOff()
{
    if (IPersistStorage* cache = CacheInterface<IPersistStorage>(IID_IPersistStorage)) {
        cache->HandsOffStorage();
        cache->Release();
    }
    if (IStorage* old = std::exchange(m_pStorage, nullptr)) old->Release();
    return S_OK;
}
