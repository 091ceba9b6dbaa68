// A module with an entry point, for the loader's tests: each call appends
// its reason and the handle's match to VE_ENTRY_CALLS, which outlives the
// module.
#include <cstdlib>
#include <string>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/Library.h"

extern "C" __attribute__((visibility("default"))) BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&DllMain), &self);
    const char* before = std::getenv("VE_ENTRY_CALLS");
    std::string calls = before ? before : "";
    calls += reason == DLL_PROCESS_ATTACH ? "attach" : reason == DLL_PROCESS_DETACH ? "detach" : "other";
    calls += self == instance ? ";" : "(wrong handle);";
    setenv("VE_ENTRY_CALLS", calls.c_str(), 1);
    return TRUE;
}
