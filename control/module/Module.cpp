// The control as an in-process module: its start, its four entry points
// and its two class factories.
#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "control/ImageCtrl.h"
#include "control/ImagePropPage.h"
#include "control/module/Registration.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/Variant.h"
#include "platform/kernel/Library.h"
#include "platform/kernel/MessageBox.h"
#include "platform/window/StringResources.h"
#include "platform/winsock/Winsock.h"
#include "platform/trace/Trace.h"
#include "resources/ImageCtrlResources.h"

// The entry points: on Windows the module definition file exports them by
// name and the loader finds DllMain as the entry point; here the loader
// finds all five by name, and nothing else is visible.
#ifdef _WIN32
#define VE_EXPORT extern "C"
#define VE_ENTRY extern "C"
#else
#define VE_EXPORT extern "C" __attribute__((visibility("default")))
#define VE_ENTRY VE_EXPORT
#endif

namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

void objectGone() { --g_objects; }

// The module's instance handle, as the loader gave it at the start.
HINSTANCE g_module = nullptr;

// The module's file as UTF-8, read as UTF-16 so that a folder outside the
// system's ANSI code page keeps its name.
std::string modulePath()
{
    WCHAR path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return OleToUtf8(reinterpret_cast<const OLECHAR*>(path), length);
}

// The control the module hands out, counted while it lives.
class ModuleImageCtrl final : public CImageCtrl {
public:
    ModuleImageCtrl() { ++g_objects; }
    ~ModuleImageCtrl() override { objectGone(); }
};

using MakeObject = HRESULT (*)(REFIID, void**);

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(MakeObject make) : m_make(make) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // The factories live as long as the module; their references count as
    // locks, so the module is not unloaded under a held factory.
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++g_locks); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--g_locks); }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return m_make(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        lock ? ++g_locks : --g_locks;
        return S_OK;
    }

private:
    MakeObject m_make;
};

HRESULT makeControl(REFIID riid, void** ppv)
{
    auto* control = new (std::nothrow) ModuleImageCtrl;
    if (!control) return E_OUTOFMEMORY;
    const HRESULT hr = control->ExternalQueryInterface(riid, ppv);
    control->ExternalRelease(); // the creator's reference: the query holds it now
    return hr;
}

HRESULT makePage(REFIID riid, void** ppv)
{
    auto* page = new (std::nothrow) CImagePropPage(&objectGone);
    if (!page) return E_OUTOFMEMORY;
    ++g_objects;
    const HRESULT hr = page->QueryInterface(riid, ppv);
    page->Release();
    return hr;
}

ClassFactory g_controlFactory(&makeControl);
ClassFactory g_pageFactory(&makePage);

// Module start, once, on the first call of an entry point that needs it:
// the socket library; without it the module refuses to start, after telling
// the user through the container's message box. It does not run inside
// DllMain, where the loader's lock forbids starting libraries and showing
// windows.
bool startModule()
{
    WSADATA data;
    VE_TRACE_CALL(winsock, "WSAStartup", "(0x0202)");
    if (WSAStartup(0x0202, &data) != 0) {
        char text[256] = "";
        LoadStringA(g_module, IDS_SOCKETS_INIT_FAILED, text, sizeof text);
        MessageBoxA(nullptr, text, "", MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

bool moduleStarted()
{
    static const bool started = startModule();
    return started;
}

} // namespace

// The loader's call at load and unload: the module's handle, under which
// its resources are found; nothing that may wait or load another library.
VE_ENTRY BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        AfxSetResourceHandle(instance);
        RegisterImageCtrlResources(instance);
    }
    return TRUE;
}

VE_EXPORT HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!moduleStarted()) return CLASS_E_CLASSNOTAVAILABLE;
    if (clsid == CLSID_ImageCtrl) return g_controlFactory.QueryInterface(riid, ppv);
    if (clsid == CLSID_ImagePropPage) return g_pageFactory.QueryInterface(riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

VE_EXPORT HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_objects.load() == 0 && g_locks.load() == 0 ? S_OK : S_FALSE; }

VE_EXPORT HRESULT STDAPICALLTYPE DllRegisterServer()
{
    if (!moduleStarted()) return E_FAIL;
    const std::string path = modulePath();
    if (!RegisterTypeLibrary(path)) return SELFREG_E_TYPELIB;
    if (!RegisterClasses(path)) return SELFREG_E_CLASS;
    return S_OK;
}

VE_EXPORT HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    if (!moduleStarted()) return E_FAIL;
    if (!UnregisterTypeLibrary()) return SELFREG_E_TYPELIB;
    if (!UnregisterClasses()) return SELFREG_E_CLASS;
    return S_OK;
}
