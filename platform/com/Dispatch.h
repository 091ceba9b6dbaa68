// IDispatch: late-bound calls by member id, as an event sink receives the
// control's events and a container reads its properties.
#pragma once

#ifdef _WIN32

// On Windows the interfaces and constants are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

extern const IID IID_IDispatch;
extern const IID IID_NULL;

// Type information is read from a type library, which the stand-in cannot
// load: the interface is named, never called.
struct ITypeInfo;
struct ITypeLib;

// What a failed call tells its caller.
struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT(STDMETHODCALLTYPE* pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_READYSTATE = -525;
constexpr DISPID DISPID_READYSTATECHANGE = -609;

constexpr HRESULT DISP_E_UNKNOWNINTERFACE = MakeHresult(0x80020001u);
constexpr HRESULT DISP_E_UNKNOWNNAME = MakeHresult(0x80020006u);
constexpr HRESULT DISP_E_BADPARAMCOUNT = MakeHresult(0x8002000Eu);
constexpr HRESULT DISP_E_BADINDEX = MakeHresult(0x8002000Bu);
constexpr HRESULT TYPE_E_CANTLOADLIBRARY = MakeHresult(0x80029C4Au);

struct IDispatch : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                                    DISPID* rgDispId) = 0;
    // Arguments come in reverse order, as COM passes them.
    virtual HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                             DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                             UINT* puArgErr) = 0;

protected:
    ~IDispatch() = default;
};

#endif
