#include "host/win32/ControlFactory.h"

#include "host/win32/Utf.h"

bool ClassOf(const std::string& classText, CLSID* clsid)
{
    if (classText.empty() || !clsid) return false;
    std::wstring text = Widen(classText);
    if (text.front() != L'{') {
        std::wstring braced = L"{" + text + L"}";
        if (SUCCEEDED(CLSIDFromString(braced.c_str(), clsid))) return true;
        return SUCCEEDED(CLSIDFromProgID(text.c_str(), clsid));
    }
    return SUCCEEDED(CLSIDFromString(text.c_str(), clsid));
}

HRESULT CreateControl(const std::string& classText, const std::string& modulePath, IOleObject** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    CLSID clsid{};
    if (!ClassOf(classText, &clsid)) return REGDB_E_CLASSNOTREG;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(object));
    if (hr != REGDB_E_CLASSNOTREG || modulePath.empty()) return hr;
    HMODULE module = LoadLibraryW(Widen(modulePath).c_str());
    if (!module) return hr;
    using Register = HRESULT(STDAPICALLTYPE*)();
    auto reg = reinterpret_cast<Register>(reinterpret_cast<void (*)()>(GetProcAddress(module, "DllRegisterServer")));
    const HRESULT registered = reg ? reg() : E_FAIL;
    FreeLibrary(module);
    if (FAILED(registered)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(object));
}

HMODULE ModuleOfObject(IUnknown* object)
{
    if (!object) return nullptr;
    const void* table = *reinterpret_cast<void* const*>(object);
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(table), &module))
        return nullptr;
    return module;
}
