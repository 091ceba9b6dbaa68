// What the control asks of Windows' own services: painting bounded to a
// rectangle of any device context, its type name from the module's
// string table or the registry, the system's property frame, OLE's advise
// holder, and the module's resource handle.
#include <utility>

#include "platform/framework/OleControl.h"
#include "platform/trace/Trace.h"

HRESULT COleControl::Draw(HDC hdc, const RECT& bounds)
{
    VE_TRACE(gdi, "(%p, %p, (%ld,%ld)-(%ld,%ld))", static_cast<void*>(this), static_cast<void*>(hdc),
             static_cast<long>(bounds.left),
             static_cast<long>(bounds.top), static_cast<long>(bounds.right), static_cast<long>(bounds.bottom));
    CDC dc(hdc);
    // Drawing is bounded to the rectangle, as the container asks: what
    // OnDraw does beyond it does not reach the container's picture.
    const int saved = ::SaveDC(hdc);
    ::IntersectClipRect(hdc, bounds.left, bounds.top, bounds.right, bounds.bottom);
    OnDraw(&dc, bounds, bounds);
    ::RestoreDC(hdc, saved);
    return S_OK;
}

HRESULT COleControl::GetUserType(DWORD form, LPOLESTR* type)
{
    if (!type) return E_POINTER;
    *type = nullptr;
    if (const UINT id = GetUserTypeNameID()) {
        const wchar_t* text = nullptr;
        // Length 0 answers a read-only pointer into the string table.
        const int length = ::LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&text), 0);
        if (length > 0 && text) {
            const std::size_t bytes = (static_cast<std::size_t>(length) + 1) * sizeof(OLECHAR);
            *type = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
            if (!*type) return E_OUTOFMEMORY;
            for (int i = 0; i < length; ++i) (*type)[i] = text[i];
            (*type)[length] = 0;
            return S_OK;
        }
    }
    CLSID clsid;
    if (FAILED(GetClassID(&clsid))) return E_FAIL;
    return ::OleRegGetUserType(clsid, form, type);
}

// The container cannot show the pages: the control shows them itself in
// the system's property frame, owned by the container's window.
BOOL COleControl::ShowSystemPropertyFrame(const CLSID* pages, ULONG count)
{
    HWND owner = m_hWnd;
    if (m_pInPlaceSite) m_pInPlaceSite->GetWindow(&owner);
    IUnknown* self = GetControllingUnknown();
    const HRESULT hr = ::OleCreatePropertyFrame(owner, 0, 0, nullptr, 1, &self, count, const_cast<CLSID*>(pages),
                                                ::GetUserDefaultLCID(), 0, nullptr);
    return SUCCEEDED(hr) ? TRUE : FALSE;
}

HRESULT COleControl::MakeOleAdviseHolder()
{
    return SUCCEEDED(::CreateOleAdviseHolder(&m_pOleAdviseHolder)) ? S_OK : E_OUTOFMEMORY;
}

void COleControl::ReleasePlatformParts()
{
    if (IDataAdviseHolder* holder = std::exchange(m_pDataAdviseHolder, nullptr)) holder->Release();
    if (IUnknown* cache = std::exchange(m_pDataCache, nullptr)) cache->Release();
    if (IStorage* storage = std::exchange(m_pStorage, nullptr)) storage->Release();
    if (IOleInPlaceFrame* frame = std::exchange(m_pInPlaceFrame, nullptr)) frame->Release();
    if (IOleInPlaceUIWindow* doc = std::exchange(m_pInPlaceDoc, nullptr)) doc->Release();
    if (IOleInPlaceSite* site = std::exchange(m_pInPlaceSite, nullptr)) site->Release();
    if (ITypeLib* lib = std::exchange(m_pTypeLib, nullptr)) lib->Release();
}

namespace {
// The module this code is linked into: a control module's own handle, or
// the program's when the framework is linked into one.
HINSTANCE thisModule()
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

HINSTANCE& resourceHandle()
{
    static HINSTANCE handle = thisModule();
    return handle;
}
} // namespace

HINSTANCE AfxGetInstanceHandle() { return resourceHandle(); }
HINSTANCE AfxGetResourceHandle() { return resourceHandle(); }
void AfxSetResourceHandle(HINSTANCE module) { resourceHandle() = module; }
