// Controls made through the registry, as a browser makes the OBJECTs of a
// page: by class identifier or programmatic name. A class not registered
// yet, or registered with a module file that has gone, is registered from
// the viewer's own module (its DllRegisterServer) and made again; a class
// registered with another module than the viewer's own is named in a
// warning, once per module.
#pragma once

#include <filesystem>
#include <string>

#include "platform/com/OleInterfaces.h"

// classText: "{...}", the identifier without braces (as "clsid:" gives
// it), or a ProgID.
bool ClassOf(const std::string& classText, CLSID* clsid);

// modulePath: the viewer's own module (UTF-8), or empty.
HRESULT CreateControl(const std::string& classText, const std::string& modulePath, IOleObject** object);

// Each platform's container: the module file a class is registered with
// (empty when none), whether two module paths name the same file, and a
// module's registration of its classes.
std::filesystem::path RegisteredModule(REFCLSID clsid);
bool SameModulePath(const std::filesystem::path& a, const std::filesystem::path& b);
HRESULT RegisterModule(const std::filesystem::path& module);
