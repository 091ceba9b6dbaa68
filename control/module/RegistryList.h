// What registering the control module writes under HKEY_CLASSES_ROOT, as
// data: the module's registration writes these keys, and an installer
// package writes the same ones through its own tables.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct RegistryKeyEntry {
    std::string path;
    // String values; an empty name is the key's default value.
    std::vector<std::pair<std::string, std::string>> values;
};

// The control's and the property page's class keys and the control's
// ProgID, for the module at modulePath.
std::vector<RegistryKeyEntry> ClassRegistryKeys(const std::string& modulePath);
// The keys that registering the type library writes on Windows: the
// library's version key with its platform ("win32", "win64", or the
// stand-in's "linux64") naming the module, its flags and help folder, and
// each dispatch interface marshalled by the standard dispatch proxy.
std::vector<RegistryKeyEntry> TypeLibraryRegistryKeys(const std::string& modulePath, const std::string& helpDirectory,
                                                      const std::string& platform);
// The keys unregistration removes, with everything under them: the
// classes' and the type library's.
std::vector<std::string> ClassRegistryRoots();
std::vector<std::string> TypeLibraryRegistryRoots();
