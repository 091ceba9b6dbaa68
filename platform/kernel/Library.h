// Modules: loading a module, finding its entry points, releasing it, and
// naming the file a module came from. An HMODULE is the address the module
// was loaded at, as on Windows, so the handle a module finds for itself
// and the one LoadLibraryA returned for it are the same.
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#else

#include <cstdint>

#include "platform/win/WinError.h"

// As on Windows, a generic entry point; callers cast it to its real type
// (through void (*)(), which converts to any function type).
using FARPROC = std::intptr_t (*)();

constexpr DWORD MAX_PATH = 260;
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
// Why the loader calls a module's DllMain.
constexpr DWORD DLL_PROCESS_DETACH = 0;
constexpr DWORD DLL_PROCESS_ATTACH = 1;
constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT = 0x2;
constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS = 0x4;

// Loads the module (or counts one more load of it); null with
// ERROR_MOD_NOT_FOUND when it cannot be loaded.
HMODULE LoadLibraryA(LPCSTR fileName);
// The entry point of that name; null with ERROR_PROC_NOT_FOUND when the
// module has none.
FARPROC GetProcAddress(HMODULE module, LPCSTR procName);
// Drops one load; the module may be unloaded with the last.
BOOL FreeLibrary(HMODULE module);
// With GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, `name` is an address inside
// the module wanted. Only that form is supported, without a counted load.
BOOL GetModuleHandleExA(DWORD flags, LPCSTR name, HMODULE* module);
// The module's full path, cut to fit and terminated; returns the characters
// copied, without the terminator (size when cut, with
// ERROR_INSUFFICIENT_BUFFER), or 0 when the module is unknown.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
// The same name in UTF-16; the size and the result count UTF-16 units.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);

#endif
