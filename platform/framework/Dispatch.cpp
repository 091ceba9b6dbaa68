// IDispatch and IProvideClassInfo2 from the control's type library, and
// the stock ready state.
#include "platform/framework/OleControl.h"

VE_FORWARD_IUNKNOWN(COleControl, XDispatch)
VE_FORWARD_IUNKNOWN(COleControl, XProvideClassInfo)

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
    return m_pThis->IDsOfNames(rgszNames, cNames, rgDispId);
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
