#include "control/module/RegistryKeys.h"

#include "platform/com/Variant.h"

// Keys and texts are written through the wide calls, so that a module path
// outside the system's ANSI code page is kept as it is.
namespace {
LPCWSTR wide(const OleString& text) { return reinterpret_cast<LPCWSTR>(text.c_str()); }
} // namespace

// Creates the key and sets its values (an empty name is the default value).
bool WriteClassesRootKey(const std::string& path, const std::vector<std::pair<std::string, std::string>>& values)
{
    HKEY key = nullptr;
    const OleString widePath = Utf8ToOle(path);
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, wide(widePath), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const auto& [name, value] : values) {
        const OleString wideName = Utf8ToOle(name);
        const OleString wideValue = Utf8ToOle(value);
        ok = ok && RegSetValueExW(key, wide(wideName), 0, REG_SZ, reinterpret_cast<const BYTE*>(wideValue.c_str()),
                                  static_cast<DWORD>((wideValue.size() + 1) * sizeof(OLECHAR))) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return ok;
}

// Removing a key that is not there is no failure.
bool RemoveClassesRootKey(const std::string& path)
{
    const LSTATUS rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, wide(Utf8ToOle(path)));
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}
