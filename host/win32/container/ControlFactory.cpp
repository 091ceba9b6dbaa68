#include "host/win32/container/ControlFactory.h"

std::filesystem::path RegisteredModule(REFCLSID clsid)
{
    wchar_t guid[64];
    StringFromGUID2(clsid, guid, 64);
    const std::wstring key = std::wstring(L"CLSID\\") + guid + L"\\InprocServer32";
    wchar_t value[MAX_PATH * 2];
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return std::filesystem::path(value);
}

// File names are compared as Windows compares them, without regard to case.
bool SameModulePath(const std::filesystem::path& a, const std::filesystem::path& b)
{
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

HRESULT RegisterModule(const std::filesystem::path& module)
{
    HMODULE library = LoadLibraryW(module.c_str());
    if (!library) return E_FAIL;
    using Register = HRESULT(STDAPICALLTYPE*)();
    auto reg = reinterpret_cast<Register>(reinterpret_cast<void (*)()>(GetProcAddress(library, "DllRegisterServer")));
    const HRESULT hr = reg ? reg() : E_FAIL;
    FreeLibrary(library);
    return hr;
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
