// The control's type library on Windows: loaded from the module's own
// resources (or the registry), its type information by identifier, and the
// members and names of the primary dispatch interface.
#include <utility>

#include "platform/framework/OleControl.h"

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

HRESULT COleControl::IDsOfNames(LPOLESTR* names, UINT count, DISPID* ids)
{
    ITypeInfo* info = nullptr;
    HRESULT hr = GetTypeInfoOfGuid(m_piidPrimary, &info);
    if (FAILED(hr)) {
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    hr = ::DispGetIDsOfNames(info, names, count, ids);
    info->Release();
    return hr;
}
