// Persistence: an object's properties through a property bag (the PARAMs
// of a page), a stream or a structured storage, and the data an embedded
// object hands its container. Shaped as Windows declares them.
#pragma once

#ifdef _WIN32

// On Windows the interfaces and constants are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/com/Dispatch.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

extern const IID IID_IPersist;
extern const IID IID_IPersistStream;
extern const IID IID_IPersistStreamInit;
extern const IID IID_IPersistStorage;
extern const IID IID_IPersistPropertyBag;
extern const IID IID_IPropertyBag;
extern const IID IID_IStream;
extern const IID IID_IDataObject;
extern const IID IID_IAdviseSink;
extern const IID IID_IRunnableObject;
extern const IID IID_IOleCache;
extern const IID IID_IOleCache2;
extern const IID IID_IOleCacheControl;

// Named by the interfaces below; nothing of the stand-in makes or reads them.
struct IErrorLog;
struct IMoniker;
struct IStorage;
struct IBindCtx;
struct IEnumFORMATETC;
struct IEnumSTATDATA;
struct IDataAdviseHolder;
struct FORMATETC;
struct STGMEDIUM;
struct STATSTG;
using LPBINDCTX = IBindCtx*;
using LPCLSID = CLSID*;

struct LARGE_INTEGER {
    LONGLONG QuadPart;
};
struct ULARGE_INTEGER {
    ULONGLONG QuadPart;
};

constexpr HRESULT STG_E_MEDIUMFULL = MakeHresult(0x80030070u);
constexpr HRESULT CO_E_ALREADYINITIALIZED = MakeHresult(0x800401F1u);

struct IPersist : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) = 0;

protected:
    ~IPersist() = default;
};

struct IPropertyBag : IUnknown {
    // On success *pVar receives a VT_BSTR the caller clears; E_INVALIDARG when
    // the bag holds no property of that name.
    virtual HRESULT STDMETHODCALLTYPE Read(LPCOLESTR pszPropName, VARIANT* pVar, IErrorLog* pErrorLog) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(LPCOLESTR pszPropName, VARIANT* pVar) = 0;

protected:
    ~IPropertyBag() = default;
};

struct IPersistPropertyBag : IPersist {
    virtual HRESULT STDMETHODCALLTYPE InitNew() = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(IPropertyBag* pPropBag, IErrorLog* pErrorLog) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(IPropertyBag* pPropBag, BOOL fClearDirty, BOOL fSaveAllProperties) = 0;

protected:
    ~IPersistPropertyBag() = default;
};

struct ISequentialStream : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;

protected:
    ~ISequentialStream() = default;
};

struct IStream : ISequentialStream {
    virtual HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER libNewSize) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead,
                                             ULARGE_INTEGER* pcbWritten) = 0;
    virtual HRESULT STDMETHODCALLTYPE Commit(DWORD grfCommitFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Revert() = 0;
    virtual HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
    virtual HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
    virtual HRESULT STDMETHODCALLTYPE Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IStream** ppstm) = 0;

protected:
    ~IStream() = default;
};
using LPSTREAM = IStream*;

struct IPersistStreamInit : IPersist {
    virtual HRESULT STDMETHODCALLTYPE IsDirty() = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(LPSTREAM pStm) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(LPSTREAM pStm, BOOL fClearDirty) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* pCbSize) = 0;
    virtual HRESULT STDMETHODCALLTYPE InitNew() = 0;

protected:
    ~IPersistStreamInit() = default;
};

struct IPersistStorage : IPersist {
    virtual HRESULT STDMETHODCALLTYPE IsDirty() = 0;
    virtual HRESULT STDMETHODCALLTYPE InitNew(IStorage* pStg) = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(IStorage* pStg) = 0;
    virtual HRESULT STDMETHODCALLTYPE Save(IStorage* pStgSave, BOOL fSameAsLoad) = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage* pStgNew) = 0;
    virtual HRESULT STDMETHODCALLTYPE HandsOffStorage() = 0;

protected:
    ~IPersistStorage() = default;
};

// The container's ear for changes of an object's data and view.
struct IAdviseSink : IUnknown {
    virtual void STDMETHODCALLTYPE OnDataChange(FORMATETC* pFormatetc, STGMEDIUM* pStgmed) = 0;
    virtual void STDMETHODCALLTYPE OnViewChange(DWORD dwAspect, LONG lindex) = 0;
    virtual void STDMETHODCALLTYPE OnRename(IMoniker* pmk) = 0;
    virtual void STDMETHODCALLTYPE OnSave() = 0;
    virtual void STDMETHODCALLTYPE OnClose() = 0;

protected:
    ~IAdviseSink() = default;
};

struct IDataObject : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pformatetc) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) = 0;
    virtual HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                                              DWORD* pdwConnection) = 0;
    virtual HRESULT STDMETHODCALLTYPE DUnadvise(DWORD dwConnection) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** ppenumAdvise) = 0;

protected:
    ~IDataObject() = default;
};

struct IRunnableObject : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetRunningClass(LPCLSID lpClsid) = 0;
    virtual HRESULT STDMETHODCALLTYPE Run(LPBINDCTX pbc) = 0;
    virtual BOOL STDMETHODCALLTYPE IsRunning() = 0;
    virtual HRESULT STDMETHODCALLTYPE LockRunning(BOOL fLock, BOOL fLastUnlockCloses) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL fContained) = 0;

protected:
    ~IRunnableObject() = default;
};

#endif
