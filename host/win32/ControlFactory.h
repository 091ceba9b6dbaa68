// Controls made through the registry, as a browser makes the OBJECTs of a
// page: by class identifier or programmatic name. A class not registered
// yet is registered from the viewer's own module (its DllRegisterServer)
// and made again.
#pragma once

#include <ole2.h>

#include <string>

// classText: "{...}", the identifier without braces (as "clsid:" gives
// it), or a ProgID.
bool ClassOf(const std::string& classText, CLSID* clsid);

HRESULT CreateControl(const std::string& classText, const std::string& modulePath, IOleObject** object);

// The module a COM object's code lives in (from its first interface's
// table); null when it cannot be told.
HMODULE ModuleOfObject(IUnknown* object);
