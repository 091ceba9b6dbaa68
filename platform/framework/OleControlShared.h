// What COleControl's files and the property page share: the control flags,
// the nested interface parts' IUnknown, HIMETRIC conversion and the
// module's resource handle.
#pragma once

#include "platform/win/WinTypes.h"

// Control flags (GetControlFlags).
constexpr DWORD clipPaintDC = 0x0002;
constexpr DWORD pointerInactive = 0x0004;
constexpr DWORD noFlickerActivate = 0x0008;
constexpr DWORD windowlessActivate = 0x0010;
constexpr DWORD canOptimizeDraw = 0x0020;

// Declares the IUnknown members of a nested interface part.
#define VE_PART_IUNKNOWN                                                        \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override; \
    ULONG STDMETHODCALLTYPE AddRef() override;                                  \
    ULONG STDMETHODCALLTYPE Release() override;

// Defines the IUnknown members of a nested interface part of Owner: they
// forward to the control's own reference count and interface map.
#define VE_FORWARD_IUNKNOWN(Owner, Part)                                                                \
    HRESULT STDMETHODCALLTYPE Owner::Part::QueryInterface(REFIID riid, void** ppv)                      \
    {                                                                                                   \
        return m_pThis->ExternalQueryInterface(riid, ppv);                                              \
    }                                                                                                   \
    ULONG STDMETHODCALLTYPE Owner::Part::AddRef() { return m_pThis->ExternalAddRef(); }                 \
    ULONG STDMETHODCALLTYPE Owner::Part::Release() { return m_pThis->ExternalRelease(); }

// Pixels to HIMETRIC (0.01 mm) at 96 pixels per inch, and back.
constexpr LONG PixelsToHimetric(int px) { return static_cast<LONG>((static_cast<long long>(px) * 2540 + 48) / 96); }
constexpr int HimetricToPixels(LONG hm) { return static_cast<int>((static_cast<long long>(hm) * 96 + 1270) / 2540); }

// The module's instance handle, under which its resources are registered.
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);
