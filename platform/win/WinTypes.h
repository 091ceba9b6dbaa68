// Basic Windows data types, sized as on 32-bit Windows where the system
// stores or compares them, and pointer-sized where Windows makes them so.
#pragma once

#ifdef _WIN32

// On Windows the types, handles and macros are Windows' own. The lean
// header leaves out COM and RPC, whose `boolean` would clash with
// libjpeg's; the files that need more include it themselves.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>


#else

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using INT = int;
using BOOL = int;
using CHAR = char;
using LPSTR = char*;
using LPCSTR = const char*;
// UTF-16 text, as the wide calls take it (the same unit as OLECHAR).
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPVOID = void*;
using LPCVOID = const void*;
using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using LCID = DWORD;
using DISPID = LONG;
using COLORREF = DWORD;
using UINT_PTR = std::uintptr_t;
using ULONG_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using ULONGLONG = std::uint64_t;
using LONGLONG = std::int64_t;
using FLOAT = float;

// Calling conventions: on 32-bit Windows COM methods and thread procedures
// use __stdcall; here there is one convention, so they are empty.
#define WINAPI
#define CALLBACK
#define STDMETHODCALLTYPE
#define STDAPICALLTYPE

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
constexpr DWORD INFINITE = 0xFFFFFFFFu;

// Opaque handles: distinct pointer types so that they cannot be mixed up.
#define VE_DECLARE_HANDLE(name) \
    struct name##__;            \
    using name = name##__*
VE_DECLARE_HANDLE(HWND);
VE_DECLARE_HANDLE(HDC);
VE_DECLARE_HANDLE(HICON);
VE_DECLARE_HANDLE(HINSTANCE);
VE_DECLARE_HANDLE(HBRUSH);
VE_DECLARE_HANDLE(HPALETTE);
VE_DECLARE_HANDLE(HBITMAP);
VE_DECLARE_HANDLE(HFONT);
VE_DECLARE_HANDLE(HGDIOBJ_);
VE_DECLARE_HANDLE(HRGN);
VE_DECLARE_HANDLE(HACCEL);
#undef VE_DECLARE_HANDLE
using HCURSOR = HICON;
using HMODULE = HINSTANCE;
using HANDLE = void*;
using HGDIOBJ = void*;
using HGLOBAL = HANDLE;
using HLOCAL = HANDLE;

struct POINT {
    LONG x;
    LONG y;
};
struct SIZE {
    LONG cx;
    LONG cy;
};
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;
using RECTL = RECT;
using LPCRECTL = const RECT*;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b)
{
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr SHORT GET_X_LPARAM(LPARAM lp) { return static_cast<SHORT>(LOWORD(static_cast<std::uintptr_t>(lp))); }
constexpr SHORT GET_Y_LPARAM(LPARAM lp) { return static_cast<SHORT>(HIWORD(static_cast<std::uintptr_t>(lp))); }
constexpr SHORT GET_WHEEL_DELTA_WPARAM(WPARAM wp) { return static_cast<SHORT>(HIWORD(wp)); }
constexpr LPARAM MAKELPARAM(int lo, int hi)
{
    return static_cast<LPARAM>((static_cast<std::uint32_t>(static_cast<WORD>(lo))) |
                               (static_cast<std::uint32_t>(static_cast<WORD>(hi)) << 16));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi) { return static_cast<WPARAM>(static_cast<std::uint32_t>(MAKELPARAM(lo, hi))); }

// Integer resource identifiers travel in string pointers, as on Windows.
inline LPCSTR MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(id)); }
inline bool IS_INTRESOURCE(LPCSTR p) { return (reinterpret_cast<std::uintptr_t>(p) >> 16) == 0; }

#endif
