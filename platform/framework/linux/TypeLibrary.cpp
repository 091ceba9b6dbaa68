// The control's type library on the stand-in, which cannot load one: no
// type information, and no member of the primary dispatch interface is
// known by name or declared.
#include "platform/framework/OleControl.h"

HRESULT COleControl::GetTypeInfoOfGuid(REFGUID, ITypeInfo** ppInfo)
{
    if (!ppInfo) return E_POINTER;
    *ppInfo = nullptr;
    return TYPE_E_CANTLOADLIBRARY;
}

bool COleControl::DeclaresMember(DISPID) { return false; }

HRESULT COleControl::IDsOfNames(LPOLESTR*, UINT count, DISPID* ids)
{
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
}
