// The sink on a control's event interface: each event the control fires
// is reported by name with its first argument as a JSON value, as the
// viewer's report writes it on every platform.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "platform/com/OleInterfaces.h"

class EventSink final : public IDispatch {
public:
    using Handler = std::function<void(const std::string& name, const std::string& value)>;
    // events: the control's event interface, answered besides IDispatch.
    EventSink(REFIID events, Handler handler) : m_events(events), m_handler(std::move(handler)) {}
    virtual ~EventSink() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override;

    // The control's events by dispatch id: ModeChanged, DZoomMagChanged,
    // the stock ReadyStateChange; "Event" for any other.
    static const char* EventName(DISPID member);
    // The event's first argument (COM passes them last first) as a JSON
    // number: doubles with six significant digits, integers whole; "null"
    // when there is none or it is of another type.
    static std::string FirstArgument(const DISPPARAMS* params);

private:
    std::atomic<ULONG> m_refs{1};
    IID m_events;
    Handler m_handler;
};

// Connects a sink reporting to handler to the control's events: its
// default source interface (IProvideClassInfo2), else IDispatch. On success
// *point holds the connection point, to Unadvise *cookie from.
HRESULT AdviseEventSink(IUnknown* control, EventSink::Handler handler, IConnectionPoint** point, DWORD* cookie);
