// IDispatch and IProvideClassInfo2 from the control's type library, and
// the stock ready state.
#include <utility>

#include "platform/framework/OleControl.h"

VE_FORWARD_IUNKNOWN(COleControl, XDispatch)
VE_FORWARD_IUNKNOWN(COleControl, XProvideClassInfo)

HRESULT COleControl::LoadTypeLib(ITypeLib** ppLib)
{
    if (!ppLib) return E_POINTER;
    *ppLib = nullptr;
    if (!m_pTypeLib) {
        GUID libid;
        WORD major = 0;
        WORD minor = 0;
        const LCID lcid = ::GetUserDefaultLCID();
        if (FAILED(GetTypeLib(lcid, &libid, &major, &minor))) return TYPE_E_CANTLOADLIBRARY;
        // The module carries its library as a resource: that one first, so
        // that a control works before (and without) registration; then the
        // registered one.
        ITypeLib* lib = nullptr;
        wchar_t path[MAX_PATH];
        const DWORD length = ::GetModuleFileNameW(AfxGetResourceHandle(), path, MAX_PATH);
        if (length > 0 && length < MAX_PATH && SUCCEEDED(::LoadTypeLibEx(path, REGKIND_NONE, &lib)) && lib) {
            TLIBATTR* attr = nullptr;
            const bool same = SUCCEEDED(lib->GetLibAttr(&attr)) && attr && attr->guid == libid;
            if (attr) lib->ReleaseTLibAttr(attr);
            if (!same) std::exchange(lib, nullptr)->Release();
        }
        if (!lib && FAILED(::LoadRegTypeLib(libid, major, minor, lcid, &lib))) return TYPE_E_CANTLOADLIBRARY;
        // The library is the one the control caches its type information
        // under, when it names one.
        GUID cacheId;
        if (SUCCEEDED(GetTypeLibCache(&cacheId)) && !(cacheId == libid)) {
            lib->Release();
            return TYPE_E_CANTLOADLIBRARY;
        }
        m_pTypeLib = lib;
    }
    m_pTypeLib->AddRef();
    *ppLib = m_pTypeLib;
    return S_OK;
}

HRESULT COleControl::GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** ppInfo)
{
    if (!ppInfo) return E_POINTER;
    *ppInfo = nullptr;
    ITypeLib* lib = nullptr;
    HRESULT hr = LoadTypeLib(&lib);
    if (FAILED(hr)) return hr;
    hr = lib->GetTypeInfoOfGuid(guid, ppInfo);
    lib->Release();
    return hr;
}

bool COleControl::DeclaresMember(DISPID member)
{
    ITypeInfo* info = nullptr;
    if (FAILED(GetTypeInfoOfGuid(m_piidPrimary, &info)) || !info) return false;
    BSTR name = nullptr;
    UINT count = 0;
    const bool declared = SUCCEEDED(info->GetNames(member, &name, 1, &count)) && count == 1;
    SysFreeString(name);
    info->Release();
    return declared;
}

HRESULT STDMETHODCALLTYPE COleControl::XDispatch::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo) return E_POINTER;
    *pctinfo = m_pThis->GetTypeInfoCount() > 0 ? 1 : 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XDispatch::GetTypeInfo(UINT iTInfo, LCID, ITypeInfo** ppTInfo)
{
    if (!ppTInfo) return E_POINTER;
    *ppTInfo = nullptr;
    if (iTInfo != 0 || m_pThis->GetTypeInfoCount() == 0) return DISP_E_BADINDEX;
    return m_pThis->GetTypeInfoOfGuid(m_pThis->m_piidPrimary, ppTInfo);
}

HRESULT STDMETHODCALLTYPE COleControl::XDispatch::GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID,
                                                                DISPID* rgDispId)
{
    if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (!rgszNames || !rgDispId) return E_POINTER;
    ITypeInfo* info = nullptr;
    HRESULT hr = m_pThis->GetTypeInfoOfGuid(m_pThis->m_piidPrimary, &info);
    if (FAILED(hr)) {
        for (UINT i = 0; i < cNames; ++i) rgDispId[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    hr = ::DispGetIDsOfNames(info, rgszNames, cNames, rgDispId);
    info->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE COleControl::XDispatch::Invoke(DISPID dispIdMember, REFIID riid, LCID, WORD wFlags,
                                                         DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO*,
                                                         UINT*)
{
    if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    // The one member the framework dispatches: the stock ready state,
    // read-only, and only for a control whose dispatch interface declares
    // it. What a caller can invoke is what GetIDsOfNames names.
    if (dispIdMember != DISPID_READYSTATE || !m_pThis->DeclaresMember(DISPID_READYSTATE)) return DISP_E_MEMBERNOTFOUND;
    if (!(wFlags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (pDispParams && pDispParams->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (pVarResult) {
        VariantInit(pVarResult);
        pVarResult->vt = VT_I4;
        pVarResult->lVal = m_pThis->m_lReadyState;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XProvideClassInfo::GetClassInfo(ITypeInfo** ppTI)
{
    if (!ppTI) return E_POINTER;
    *ppTI = nullptr;
    CLSID clsid;
    if (FAILED(m_pThis->GetClassID(&clsid))) return E_FAIL;
    return m_pThis->GetTypeInfoOfGuid(clsid, ppTI);
}

HRESULT STDMETHODCALLTYPE COleControl::XProvideClassInfo::GetGUID(DWORD dwGuidKind, GUID* pGUID)
{
    if (!pGUID) return E_POINTER;
    if (dwGuidKind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *pGUID = GUID_NULL;
        return E_INVALIDARG;
    }
    *pGUID = m_pThis->m_piidEvents;
    return S_OK;
}
