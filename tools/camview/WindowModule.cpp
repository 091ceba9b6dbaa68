#include "tools/camview/WindowModule.h"

#include <cstdio>

#include "platform/kernel/Library.h"

int RunWindowModule(const std::string& path, const CamviewOptions& options, const std::string& modulePath)
{
    // Kept for the rest of the process: the window's threads and its
    // libraries' exit handlers run from it.
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        std::fprintf(stderr, "camview: cannot load the window module %s\n", path.c_str());
        return 2;
    }
    const auto run = reinterpret_cast<CamviewRunWindowProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, CAMVIEW_WINDOW_ENTRY)));
    if (!run) {
        std::fprintf(stderr, "camview: %s has no entry point %s\n", path.c_str(), CAMVIEW_WINDOW_ENTRY);
        return 2;
    }
    return run(&options, modulePath.c_str());
}
