// GUIDs as COM lays them out, with comparison and text conversion in the
// registry's "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}" form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#ifdef _WIN32

// On Windows GUID, its comparison and GUID_NULL are Windows' own.
#include "platform/com/win32/Ole.h"

#else

#include "platform/win/WinTypes.h"

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
using IID = GUID;
using CLSID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

bool operator==(const GUID& a, const GUID& b);
inline bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
inline bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
inline bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

extern const GUID GUID_NULL;

#endif

// "{6B29FC40-CA47-1067-B31D-00DD010662DA}", upper-case hexadecimal.
std::string GuidToString(REFGUID guid);
// Accepts the braced form (or the bare form), in any letter case.
std::optional<GUID> GuidFromString(std::string_view text);
