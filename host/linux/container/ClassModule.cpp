// Where the stand-in's registry says a class lives, and a module's own
// registration of its classes.
#include "host/core/ControlFactory.h"

#include "platform/kernel/Library.h"
#include "platform/registry/Registry.h"

std::filesystem::path RegisteredModule(REFCLSID clsid)
{
    char value[4096];
    DWORD size = sizeof value;
    const std::string key = "CLSID\\" + GuidToString(clsid) + "\\InprocServer32";
    if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return std::filesystem::path(value);
}

bool SameModulePath(const std::filesystem::path& a, const std::filesystem::path& b) { return a == b; }

HRESULT RegisterModule(const std::filesystem::path& module)
{
    HMODULE library = LoadLibraryA(module.c_str());
    if (!library) return E_FAIL;
    using Register = HRESULT (*)();
    auto reg = reinterpret_cast<Register>(reinterpret_cast<void (*)()>(GetProcAddress(library, "DllRegisterServer")));
    // The module stays loaded: the control is made from it next.
    return reg ? reg() : E_FAIL;
}
