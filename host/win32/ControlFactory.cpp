#include "host/win32/ControlFactory.h"

#include "host/win32/Utf.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

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

namespace {

// The module file a class is registered with, or empty.
std::wstring registeredModule(REFCLSID clsid)
{
    wchar_t guid[64];
    StringFromGUID2(clsid, guid, 64);
    const std::wstring key = std::wstring(L"CLSID\\") + guid + L"\\InprocServer32";
    wchar_t value[MAX_PATH * 2];
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

// Whether two module files hold the same bytes.
bool sameModule(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::ifstream one(a, std::ios::binary);
    std::ifstream two(b, std::ios::binary);
    if (!one || !two) return false;
    return std::equal(std::istreambuf_iterator<char>(one), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(two), std::istreambuf_iterator<char>());
}

} // namespace

HRESULT CreateControl(const std::string& classText, const std::string& modulePath, IOleObject** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    CLSID clsid{};
    if (!ClassOf(classText, &clsid)) return REGDB_E_CLASSNOTREG;
    // The module beside camview registers the class when it is not
    // registered yet, or when the file it is registered with has gone; a
    // class registered with another module than camview's own is named in
    // a warning, once.
    const std::wstring registered = registeredModule(clsid);
    std::error_code error;
    const bool gone = !registered.empty() && !std::filesystem::exists(std::filesystem::path(registered), error);
    HRESULT hr = gone ? REGDB_E_CLASSNOTREG
                      : CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(object));
    const std::wstring ours = Widen(modulePath);
    // Each registered module is compared once, however many controls a
    // page has.
    static std::set<std::wstring> compared;
    if (SUCCEEDED(hr) && !ours.empty() && !registered.empty() && lstrcmpiW(registered.c_str(), ours.c_str()) != 0 &&
        compared.insert(registered).second && !sameModule(registered, ours))
        std::fprintf(stderr, "camview: warning: the control is registered with %s, not with camview's own module %s\n",
                     Narrow(registered).c_str(), modulePath.c_str());
    if (hr != REGDB_E_CLASSNOTREG || modulePath.empty()) return hr;
    HMODULE module = LoadLibraryW(Widen(modulePath).c_str());
    if (!module) return hr;
    using Register = HRESULT(STDAPICALLTYPE*)();
    auto reg = reinterpret_cast<Register>(reinterpret_cast<void (*)()>(GetProcAddress(module, "DllRegisterServer")));
    const HRESULT registration = reg ? reg() : E_FAIL;
    FreeLibrary(module);
    if (FAILED(registration)) return hr;
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
