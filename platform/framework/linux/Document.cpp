// What a document container asks of an embedded object, on the stand-in:
// it has neither OLE storages nor OLE's data cache, so the control offers
// none of IPersistStorage, IDataObject, IRunnableObject or the cache's
// interfaces (ExternalQueryInterface answers E_NOINTERFACE); the parts exist
// for the one class's sake and answer E_NOTIMPL.
#include "platform/framework/OleControl.h"

bool COleControl::OffersDocumentInterfaces() { return false; }

IUnknown* COleControl::DataCache() { return nullptr; }

HRESULT COleControl::RenderContent(const FORMATETC&, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT COleControl::Run()
{
    m_bRunning = true;
    return S_OK;
}

void COleControl::Stop() { m_bRunning = false; }

HRESULT COleControl::StorageInitNew(IStorage*) { return E_NOTIMPL; }
HRESULT COleControl::StorageLoad(IStorage*) { return E_NOTIMPL; }
HRESULT COleControl::StorageSave(IStorage*, BOOL) { return E_NOTIMPL; }
HRESULT COleControl::StorageSaveCompleted(IStorage*) { return E_NOTIMPL; }
HRESULT COleControl::StorageHandsOff() { return E_NOTIMPL; }

VE_FORWARD_IUNKNOWN(COleControl, XDataObject)

HRESULT STDMETHODCALLTYPE COleControl::XDataObject::GetData(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE COleControl::XDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE COleControl::XDataObject::QueryGetData(FORMATETC*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE COleControl::XDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE COleControl::XDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE COleControl::XDataObject::EnumFormatEtc(DWORD, IEnumFORMATETC** ppenumFormatEtc)
{
    if (ppenumFormatEtc) *ppenumFormatEtc = nullptr;
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE COleControl::XDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*)
{
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE COleControl::XDataObject::DUnadvise(DWORD) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE COleControl::XDataObject::EnumDAdvise(IEnumSTATDATA** ppenumAdvise)
{
    if (ppenumAdvise) *ppenumAdvise = nullptr;
    return E_NOTIMPL;
}
