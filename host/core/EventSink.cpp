#include "host/core/EventSink.h"

#include "host/core/Grid.h"

ULONG EventSink::Release()
{
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
}

HRESULT EventSink::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) && !IsEqualIID(riid, m_events))
        return E_NOINTERFACE;
    *ppv = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

HRESULT EventSink::GetTypeInfoCount(UINT* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT EventSink::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    if (m_handler) m_handler(EventName(member), FirstArgument(params));
    return S_OK;
}

const char* EventSink::EventName(DISPID member)
{
    switch (member) {
    case 1: return "ModeChanged";
    case 2: return "DZoomMagChanged";
    case DISPID_READYSTATECHANGE: return "ReadyStateChange";
    default: return "Event";
    }
}

std::string EventSink::FirstArgument(const DISPPARAMS* params)
{
    if (!params || params->cArgs == 0 || !params->rgvarg) return "null";
    // COM passes the arguments last first.
    return EventValueText(params->rgvarg[params->cArgs - 1]);
}

HRESULT AdviseEventSink(IUnknown* control, EventSink::Handler handler, IConnectionPoint** point, DWORD* cookie)
{
    if (!control || !point || !cookie) return E_POINTER;
    *point = nullptr;
    IID events = IID_IDispatch;
    IProvideClassInfo2* info = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&info))) && info) {
        IID found{};
        if (SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &found))) events = found;
        info->Release();
    }
    IConnectionPointContainer* points = nullptr;
    HRESULT hr = control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points));
    if (FAILED(hr) || !points) return FAILED(hr) ? hr : E_NOINTERFACE;
    hr = points->FindConnectionPoint(events, point);
    points->Release();
    if (FAILED(hr) || !*point) return FAILED(hr) ? hr : CONNECT_E_NOCONNECTION;
    auto* sink = new EventSink(events, std::move(handler));
    hr = (*point)->Advise(sink, cookie);
    sink->Release();
    if (FAILED(hr)) {
        (*point)->Release();
        *point = nullptr;
    }
    return hr;
}
