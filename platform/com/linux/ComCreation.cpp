#include "platform/com/ComCreation.h"

#include <cstdlib>
#include <string>

#include "platform/com/linux/StandInCom.h"
#include "platform/kernel/Library.h"
#include "platform/registry/Registry.h"
#include "platform/com/Guid.h"
#include "platform/trace/Trace.h"

namespace {

std::string readDefault(const std::string& keyPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    char value[1024];
    DWORD size = sizeof value;
    DWORD type = 0;
    std::string text;
    if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
        type == REG_SZ)
        text = value;
    RegCloseKey(key);
    return text;
}

using GetClassObjectFn = HRESULT (*)(REFCLSID, REFIID, void**);

} // namespace

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid)
{
    VE_TRACE(com, "(%p, %p)", traceHandle(progId), traceHandle(clsid));
    if (!progId || !clsid) return E_INVALIDARG;
    const auto guid = GuidFromString(readDefault(standin::Utf16ToUtf8(progId) + "\\CLSID"));
    if (!guid) return CO_E_CLASSSTRING;
    *clsid = *guid;
    return S_OK;
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid)
{
    VE_TRACE(com, "(%p, %p)", traceHandle(text), traceHandle(clsid));
    if (!text || !clsid) return E_INVALIDARG;
    if (const auto guid = GuidFromString(standin::Utf16ToUtf8(text))) {
        *clsid = *guid;
        return S_OK;
    }
    return CLSIDFromProgID(text, clsid);
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void*, REFIID riid, void** ppv)
{
    VE_TRACE(com, "(%s, 0x%lx, %s, %p)", GuidToString(clsid).c_str(), static_cast<unsigned long>(context),
             GuidToString(riid).c_str(), traceHandle(ppv));
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    const std::string path = readDefault("CLSID\\" + GuidToString(clsid) + "\\InprocServer32");
    if (path.empty()) return REGDB_E_CLASSNOTREG;
    // Modules stay loaded for the life of the process.
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) return CO_E_DLLNOTFOUND;
    auto get = reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void (*)()>(GetProcAddress(module, "DllGetClassObject")));
    if (!get) return CO_E_DLLNOTFOUND;
    return get(clsid, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** ppv)
{
    VE_TRACE(com, "(%s, %p, 0x%lx, %s, %p)", GuidToString(clsid).c_str(), traceHandle(outer),
             static_cast<unsigned long>(context), GuidToString(riid).c_str(), traceHandle(ppv));
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    IClassFactory* factory = nullptr;
    const HRESULT hr = CoGetClassObject(clsid, context, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    const HRESULT created = factory->CreateInstance(outer, riid, ppv);
    factory->Release();
    return created;
}

void* CoTaskMemAlloc(std::size_t bytes) { return std::malloc(bytes ? bytes : 1); }

void CoTaskMemFree(void* block) { std::free(block); }
