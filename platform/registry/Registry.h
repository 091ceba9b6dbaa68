// The registry, kept in a file: keys, named values and default values.
// Its place is $VE_REGISTRY, else $XDG_DATA_HOME/camview/registry, else
// ~/.local/share/camview/registry. Every change is written at once, to a
// new file that then replaces the old one, so an interrupted write never
// leaves a broken registry.
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#else

#include "platform/win/WinError.h"

using HKEY = struct HKEY__*;
using LSTATUS = LONG;
using REGSAM = DWORD;

extern const HKEY HKEY_CLASSES_ROOT;

constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_DWORD = 4;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
constexpr LSTATUS ERROR_MORE_DATA = 234;
constexpr LSTATUS ERROR_WRITE_FAULT = 29;

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR klass, DWORD options, REGSAM sam,
                        const void* security, HKEY* result, DWORD* disposition);
LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM sam, HKEY* result);
LSTATUS RegCloseKey(HKEY key);
// name null or "" is the key's default value.
LSTATUS RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LSTATUS RegQueryValueExA(HKEY key, LPCSTR name, DWORD* reserved, DWORD* type, BYTE* data, DWORD* size);
// A value of a subkey (null or "" for the key itself), of the types flags
// allow (ERROR_UNSUPPORTED_TYPE for another); a string comes terminated.
constexpr DWORD RRF_RT_REG_SZ = 0x2;
constexpr DWORD RRF_RT_REG_DWORD = 0x10;
constexpr LSTATUS ERROR_UNSUPPORTED_TYPE = 1630;
LSTATUS RegGetValueA(HKEY key, LPCSTR subKey, LPCSTR value, DWORD flags, DWORD* type, void* data, DWORD* size);
// Removes the subkey with every key and value below it; with no subkey,
// empties the key of its values and keys but keeps it.
LSTATUS RegDeleteTreeA(HKEY key, LPCSTR subKey);
// The wide calls: the same keys, their names and texts in UTF-16.
LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR klass, DWORD options, REGSAM sam,
                        const void* security, HKEY* result, DWORD* disposition);
LSTATUS RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD size);
LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey);

#endif
