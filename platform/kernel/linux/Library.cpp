// Modules over the dynamic loader. The loader's own handles stay here; the
// caller sees only the module's load address.
#include "platform/kernel/Library.h"

#include <dlfcn.h>
#include <link.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/com/Variant.h"
#include "platform/kernel/Kernel.h"
#include "platform/trace/Trace.h"

namespace {

struct Loaded {
    void* handle;
    int loads;
};

struct Libraries {
    std::mutex mutex;
    std::map<HMODULE, Loaded> loaded; // by load address
};

Libraries& libraries()
{
    // Never destroyed: threads still running at exit may use it.
    static auto* l = new Libraries;
    return *l;
}

// The load address of the module that holds `address`, or null.
HMODULE moduleAt(const void* address)
{
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fbase) return nullptr;
    return static_cast<HMODULE>(info.dli_fbase);
}

// The loader's handle of a loaded module, with one more reference the
// caller drops with dlclose; null when the module is unknown.
void* loaderHandle(HMODULE module)
{
    Dl_info info{};
    if (!module || !dladdr(module, &info) || !info.dli_fname || info.dli_fbase != module) return nullptr;
    return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
}

using EntryPoint = BOOL (*)(HINSTANCE, DWORD, LPVOID);

// The module's DllMain, if it has one: the loader calls it when the module
// comes in and when it goes, as Windows does.
EntryPoint entryPoint(void* handle) { return reinterpret_cast<EntryPoint>(dlsym(handle, "DllMain")); }

} // namespace

HMODULE LoadLibraryA(LPCSTR fileName)
{
    VE_TRACE(kernel, "(%s)", traceText(fileName).c_str());
    void* handle = fileName ? dlopen(fileName, RTLD_NOW | RTLD_LOCAL) : nullptr;
    link_map* map = nullptr;
    HMODULE module = handle && dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map ? moduleAt(map->l_ld) : nullptr;
    if (!module) {
        if (handle) dlclose(handle);
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    auto& l = libraries();
    std::unique_lock lock(l.mutex);
    auto [it, added] = l.loaded.try_emplace(module, Loaded{handle, 0});
    ++it->second.loads;
    if (added) {
        // Outside the lock: the module may load others while it starts.
        lock.unlock();
        if (EntryPoint main = entryPoint(handle)) main(module, DLL_PROCESS_ATTACH, nullptr);
    }
    return module;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName)
{
    VE_TRACE(kernel, "(%p, %s)", traceHandle(module), traceName(procName).c_str());
    void* handle = loaderHandle(module);
    void* symbol = handle && procName ? dlsym(handle, procName) : nullptr;
    if (handle) dlclose(handle);
    if (!symbol) {
        SetLastError(handle ? ERROR_PROC_NOT_FOUND : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE module)
{
    VE_TRACE(kernel, "(%p)", traceHandle(module));
    void* handle = nullptr;
    bool last = false;
    {
        auto& l = libraries();
        std::lock_guard lock(l.mutex);
        auto it = l.loaded.find(module);
        if (it == l.loaded.end()) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return FALSE;
        }
        handle = it->second.handle;
        if (--it->second.loads == 0) {
            l.loaded.erase(it);
            last = true;
        }
    }
    if (last) {
        if (EntryPoint main = entryPoint(handle)) main(module, DLL_PROCESS_DETACH, nullptr);
    }
    dlclose(handle);
    return TRUE;
}

BOOL GetModuleHandleExA(DWORD flags, LPCSTR name, HMODULE* module)
{
    VE_TRACE(kernel, "(0x%lx, %p, %p)", static_cast<unsigned long>(flags), traceHandle(name), traceHandle(module));
    if (!module || !(flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) ||
        !(flags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT)) {
        if (module) *module = nullptr;
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *module = moduleAt(name);
    if (!*module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size)
{
    VE_TRACE(kernel, "(%p, %p, 0x%lx)", traceHandle(module), traceHandle(fileName), static_cast<unsigned long>(size));
    Dl_info info{};
    if (!module || !dladdr(module, &info) || !info.dli_fname || info.dli_fbase != module) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    char resolved[PATH_MAX];
    const char* path = realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
    const std::size_t length = std::strlen(path);
    if (!fileName || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (length >= size) {
        std::memcpy(fileName, path, size - 1);
        fileName[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(fileName, path, length + 1);
    return static_cast<DWORD>(length);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size)
{
    VE_TRACE(kernel, "(%p, %p, 0x%lx)", traceHandle(module), traceHandle(fileName), static_cast<unsigned long>(size));
    char path[PATH_MAX];
    const DWORD length = GetModuleFileNameA(module, path, sizeof path);
    if (length == 0 || length >= sizeof path) return 0;
    const OleString wide = Utf8ToOle(std::string_view(path, length));
    if (!fileName || size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (wide.size() >= size) {
        std::memcpy(fileName, wide.data(), (size - 1) * sizeof(WCHAR));
        fileName[size - 1] = u'\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(fileName, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
    return static_cast<DWORD>(wide.size());
}
