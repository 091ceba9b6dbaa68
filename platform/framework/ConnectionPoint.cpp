// The events: one connection point for the control's event interface, and
// the delivery of an event to every sink's IDispatch::Invoke.
#include <algorithm>
#include <vector>

#include "platform/framework/OleControl.h"
#include "platform/framework/Enumerators.h"

VE_FORWARD_IUNKNOWN(COleControl, XConnectionPointContainer)

void COleControl::FireEvent(DISPID dispid, const VARIANT* args, UINT count)
{
    // A container that freezes the events is not told of them meanwhile.
    if (m_nFreezeEvents > 0 || m_sinks.empty()) return;
    std::vector<VARIANTARG> reversed(args, args + count);
    std::reverse(reversed.begin(), reversed.end());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, count, 0};
    // A sink may unadvise while it is called: deliver to a snapshot.
    std::vector<Sink> sinks = m_sinks;
    for (auto& sink : sinks) sink.dispatch->AddRef();
    for (auto& sink : sinks) {
        VARIANT result;
        VariantInit(&result);
        sink.dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                              nullptr);
        VariantClear(&result);
        sink.dispatch->Release();
    }
}

HRESULT COleControl::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    // The sink implements the event interface, a dispatch interface: it is
    // asked for that first, then for IDispatch.
    IDispatch* dispatch = nullptr;
    if ((m_piidEvents == GUID_NULL ||
         FAILED(sink->QueryInterface(m_piidEvents, reinterpret_cast<void**>(&dispatch)))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    if (!dispatch) return CONNECT_E_CANNOTCONNECT;
    *cookie = m_nextCookie++;
    m_sinks.push_back(Sink{*cookie, dispatch});
    return S_OK;
}

// The control's one connection point, for its event interface.
HRESULT STDMETHODCALLTYPE COleControl::XConnectionPointContainer::EnumConnectionPoints(IEnumConnectionPoints** ppEnum)
{
    return ConnectionPointEnumerator::Create({&m_pThis->m_xEventConnPt}, 0, ppEnum);
}

HRESULT STDMETHODCALLTYPE COleControl::XConnectionPointContainer::FindConnectionPoint(REFIID riid,
                                                                                      IConnectionPoint** ppCP)
{
    if (!ppCP) return E_POINTER;
    if (riid == m_pThis->m_piidEvents || riid == IID_IDispatch) {
        *ppCP = &m_pThis->m_xEventConnPt;
        m_pThis->ExternalAddRef();
        return S_OK;
    }
    *ppCP = nullptr;
    return CONNECT_E_NOCONNECTION;
}

// The connection point is an object of its own for QueryInterface (it
// answers only IUnknown and IConnectionPoint); its life is the control's.
HRESULT STDMETHODCALLTYPE COleControl::XEventConnectionPoint::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *ppv = static_cast<IConnectionPoint*>(this);
        m_pThis->ExternalAddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE COleControl::XEventConnectionPoint::AddRef() { return m_pThis->ExternalAddRef(); }

ULONG STDMETHODCALLTYPE COleControl::XEventConnectionPoint::Release() { return m_pThis->ExternalRelease(); }

HRESULT STDMETHODCALLTYPE COleControl::XEventConnectionPoint::GetConnectionInterface(IID* pIID)
{
    if (!pIID) return E_POINTER;
    *pIID = m_pThis->m_piidEvents;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XEventConnectionPoint::GetConnectionPointContainer(
    IConnectionPointContainer** ppCPC)
{
    if (!ppCPC) return E_POINTER;
    *ppCPC = &m_pThis->m_xConnPtContainer;
    m_pThis->ExternalAddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE COleControl::XEventConnectionPoint::Advise(IUnknown* pUnkSink, DWORD* pdwCookie)
{
    return m_pThis->Advise(pUnkSink, pdwCookie);
}

HRESULT STDMETHODCALLTYPE COleControl::XEventConnectionPoint::Unadvise(DWORD dwCookie)
{
    return m_pThis->Unadvise(dwCookie);
}

// The sinks advised now, each with its cookie.
HRESULT STDMETHODCALLTYPE COleControl::XEventConnectionPoint::EnumConnections(IEnumConnections** ppEnum)
{
    std::vector<CONNECTDATA> connections;
    for (const Sink& sink : m_pThis->m_sinks) connections.push_back(CONNECTDATA{sink.dispatch, sink.cookie});
    return ConnectionEnumerator::Create(std::move(connections), 0, ppEnum);
}
