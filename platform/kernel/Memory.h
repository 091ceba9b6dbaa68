// Global and local memory blocks. A movable block here never moves: its
// pointer is fixed from allocation to release, so a lock only counts.
#pragma once

#ifdef _WIN32

// On Windows these are Windows' own.
#include "platform/win/WinTypes.h"

#else

#include <cstddef>

#include "platform/win/WinTypes.h"

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

HGLOBAL GlobalAlloc(UINT flags, std::size_t bytes);
LPVOID GlobalLock(HGLOBAL block);
BOOL GlobalUnlock(HGLOBAL block);
// The block a pointer from GlobalLock belongs to.
HGLOBAL GlobalHandle(LPCVOID pointer);
std::size_t GlobalSize(HGLOBAL block);
// Null on success, the block itself on failure (as Windows answers).
HGLOBAL GlobalFree(HGLOBAL block);

HLOCAL LocalAlloc(UINT flags, std::size_t bytes);
HLOCAL LocalFree(HLOCAL block);
#endif
