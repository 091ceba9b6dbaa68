#include "control/module/RegistryKeys.h"

// Creates the key and sets its values (an empty name is the default value).
bool WriteClassesRootKey(const std::string& path, std::initializer_list<std::pair<const char*, std::string>> values)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const auto& [name, value] : values)
        ok = ok && RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

// Removing a key that is not there is no failure.
bool RemoveClassesRootKey(const std::string& path)
{
    const LSTATUS rc = RegDeleteTreeA(HKEY_CLASSES_ROOT, path.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

