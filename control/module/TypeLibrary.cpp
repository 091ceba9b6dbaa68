// The type library's registration: the library the module holds as a
// resource, registered and unregistered by the system's type library
// functions, which write its keys and its interfaces' keys.
#include <ole2.h>

#include <string>

#include "control/ImageCtrlIds.h"
#include "control/module/Registration.h"

namespace {

// The module path arrives as UTF-8.
std::wstring widen(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

} // namespace

bool RegisterTypeLibrary(const std::string& modulePath)
{
    std::wstring path = widen(modulePath);
    const std::size_t slash = path.find_last_of(L"\\/");
    // The help folder with its separator, as an installer writes it.
    std::wstring directory = slash == std::wstring::npos ? L".\\" : path.substr(0, slash + 1);
    ITypeLib* library = nullptr;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library)) || !library) return false;
    const HRESULT hr = RegisterTypeLib(library, path.data(), directory.data());
    library->Release();
    return SUCCEEDED(hr);
}

bool UnregisterTypeLibrary()
{
    const SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    const HRESULT hr = UnRegisterTypeLib(LIBID_ImageCtrlLib, 1, 0, 0, kind);
    // A library that is not registered is no failure.
    return SUCCEEDED(hr) || hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_LIBNOTREGISTERED;
}
