// ve-regsvr: registers (or with -u unregisters) an in-process module by
// calling its entry point, and says plainly what happened.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/Library.h"
#include "platform/registry/linux/StandInRegistry.h"
#include "platform/win/WinError.h"

int main(int argc, char** argv)
{
    bool unregister = false;
    const char* module = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "-u") unregister = true;
        else if (a == "-h" || a == "--help") {
            std::printf("usage: ve-regsvr [-u] MODULE\nRegisters the module's classes (with -u: removes them) in %s\n",
                        standin::RegistryPath().c_str());
            return 0;
        } else if (!module) module = argv[i];
        else {
            std::fprintf(stderr, "ve-regsvr: one module at a time (extra argument %s)\n", argv[i]);
            return 2;
        }
    }
    if (!module) {
        std::fprintf(stderr, "usage: ve-regsvr [-u] MODULE\n");
        return 2;
    }
    char resolved[PATH_MAX];
    const std::string path = realpath(module, resolved) ? resolved : module;
    HMODULE handle = LoadLibraryA(path.c_str());
    if (!handle) {
        std::fprintf(stderr, "ve-regsvr: cannot load %s (error %lu)\n", path.c_str(),
                     static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto call = reinterpret_cast<HRESULT (*)()>(reinterpret_cast<void (*)()>(GetProcAddress(handle, entry)));
    if (!call) {
        std::fprintf(stderr, "ve-regsvr: %s has no entry point %s\n", path.c_str(), entry);
        return 1;
    }
    const HRESULT hr = call();
    if (SUCCEEDED(hr)) {
        std::printf("%s %s (%s in %s)\n", unregister ? "Unregistered" : "Registered", path.c_str(), entry,
                    standin::RegistryPath().c_str());
        return 0;
    }
    const char* why = hr == SELFREG_E_TYPELIB ? "the type library could not be (un)registered"
                      : hr == SELFREG_E_CLASS ? "the classes could not be (un)registered"
                                              : "the module failed";
    std::fprintf(stderr, "ve-regsvr: %s of %s failed: %s (0x%08X); registry %s\n", entry, path.c_str(), why,
                 static_cast<unsigned>(hr), standin::RegistryPath().c_str());
    return 1;
}
