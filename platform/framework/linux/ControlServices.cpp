// What the control asks of the system's services, on the stand-in: painting
// into a device context, its type name from the string resources or the
// registry, and the module's resource handle. The stand-in has no property
// frame of its own (the container shows the pages) and no OLE advise
// holder.
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/com/ComCreation.h"
#include "platform/framework/OleControl.h"
#include "platform/kernel/MessageBox.h"
#include "platform/registry/Registry.h"
#include "platform/window/StringResources.h"
#include "platform/trace/Trace.h"

HRESULT COleControl::Draw(HDC hdc, const RECT& bounds)
{
    VE_TRACE(gdi, "(%p, %p, (%ld,%ld)-(%ld,%ld))", static_cast<void*>(this), static_cast<void*>(hdc),
             static_cast<long>(bounds.left),
             static_cast<long>(bounds.top), static_cast<long>(bounds.right), static_cast<long>(bounds.bottom));
    CDC dc(hdc);
    OnDraw(&dc, bounds, bounds);
    return S_OK;
}

namespace {

// UTF-8 text as a string the caller frees with CoTaskMemFree.
HRESULT taskString(const std::string& text, LPOLESTR* out)
{
    const OleString wide = Utf8ToOle(text);
    *out = static_cast<LPOLESTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(OLECHAR)));
    if (!*out) return E_OUTOFMEMORY;
    std::memcpy(*out, wide.c_str(), (wide.size() + 1) * sizeof(OLECHAR));
    return S_OK;
}

// The class's registered name: the default value of its CLSID key.
std::string registeredTypeName(REFCLSID clsid)
{
    char value[512];
    DWORD size = sizeof value;
    const std::string path = "CLSID\\" + GuidToString(clsid);
    if (RegGetValueA(HKEY_CLASSES_ROOT, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

} // namespace

HRESULT COleControl::GetUserType(DWORD, LPOLESTR* type)
{
    if (!type) return E_POINTER;
    *type = nullptr;
    if (const UINT id = GetUserTypeNameID()) {
        char text[512];
        const int length = LoadStringA(AfxGetResourceHandle(), id, text, sizeof text);
        if (length > 0) return taskString(std::string(text, static_cast<std::size_t>(length)), type);
    }
    CLSID clsid;
    if (FAILED(GetClassID(&clsid))) return E_FAIL;
    const std::string name = registeredTypeName(clsid);
    return name.empty() ? REGDB_E_CLASSNOTREG : taskString(name, type);
}

BOOL COleControl::ShowSystemPropertyFrame(const CLSID*, ULONG) { return FALSE; }

HRESULT COleControl::MakeOleAdviseHolder() { return E_NOTIMPL; }

// The stand-in's services hold nothing for the control.
void COleControl::ReleasePlatformParts() {}

namespace {
HINSTANCE& resourceHandle()
{
    // A module that is loaded on its own sets its handle; linked into a
    // program, the control's resources live under this one.
    static HINSTANCE handle = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x400000));
    return handle;
}
} // namespace

HINSTANCE AfxGetInstanceHandle() { return resourceHandle(); }
HINSTANCE AfxGetResourceHandle() { return resourceHandle(); }
void AfxSetResourceHandle(HINSTANCE module) { resourceHandle() = module; }

int AfxMessageBox(const std::string& text, UINT type) { return MessageBoxA(nullptr, text.c_str(), "", type); }
