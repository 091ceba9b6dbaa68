// Creating objects by class identifier or ProgID through the registry: the
// class's InprocServer32 names the module, which is loaded (and stays
// loaded) and asked for its class factory.
#pragma once

#ifdef _WIN32

// On Windows creation is Windows' own (CoCreateInstance, CLSIDFromProgID, ...).
#include "platform/com/win32/Ole.h"

#else

#include <cstddef>

#include "platform/com/ClassFactory.h"
#include "platform/com/Variant.h"

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHresult(0x80040154u);
constexpr HRESULT CO_E_CLASSSTRING = MakeHresult(0x800401F3u);
constexpr HRESULT CO_E_DLLNOTFOUND = MakeHresult(0x8004E021u);

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
// Accepts "{...}" text or a ProgID.
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);
HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, void* reserved, REFIID riid, void** ppv);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** ppv);
// The task allocator, for memory that one object hands to another.
void* CoTaskMemAlloc(std::size_t bytes);
void CoTaskMemFree(void* block);

#endif
