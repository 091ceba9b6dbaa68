// Modules: loading, entry points, releasing, and the file a module came from.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/Library.h"

namespace {

constexpr const char* kMathLibrary = "libm.so.6";

TEST(Library, TheEntryPointRunsAtTheFirstLoadAndTheLastRelease)
{
    unsetenv("VE_ENTRY_CALLS");
    auto calls = [] {
        const char* text = std::getenv("VE_ENTRY_CALLS");
        return std::string(text ? text : "");
    };
    HMODULE first = LoadLibraryA(VE_ENTRY_MODULE);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(calls(), "attach;");
    HMODULE second = LoadLibraryA(VE_ENTRY_MODULE);
    EXPECT_EQ(second, first);
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_EQ(calls(), "attach;");
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_EQ(calls(), "attach;detach;");
    // Loaded again, it starts again.
    HMODULE again = LoadLibraryA(VE_ENTRY_MODULE);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(calls(), "attach;detach;attach;");
    EXPECT_TRUE(FreeLibrary(again));
}

TEST(Library, LoadingCountsAndTheHandleIsTheModulesAddress)
{
    HMODULE first = LoadLibraryA(kMathLibrary);
    ASSERT_NE(first, nullptr);
    HMODULE second = LoadLibraryA(kMathLibrary);
    EXPECT_EQ(second, first);

    auto cosine = reinterpret_cast<double (*)(double)>(reinterpret_cast<void (*)()>(GetProcAddress(first, "cos")));
    ASSERT_NE(cosine, nullptr);
    EXPECT_EQ(cosine(0.0), 1.0);

    // The module found from an address inside it is the same handle.
    HMODULE found = nullptr;
    EXPECT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCSTR>(cosine), &found));
    EXPECT_EQ(found, first);

    SetLastError(0);
    EXPECT_EQ(GetProcAddress(first, "no_such_entry_point"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);

    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_TRUE(FreeLibrary(first));
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(first));
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(Library, AModuleThatCannotBeLoadedGivesNoHandle)
{
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("/no/such/module.so"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(nullptr, "cos"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
}

TEST(Library, AModuleFindsItsOwnFileByItsHandle)
{
    // The platform library is a module of its own.
    HMODULE platform = nullptr;
    ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                   reinterpret_cast<LPCSTR>(&LoadLibraryA), &platform));
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(platform, path, sizeof path);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, sizeof path);
    EXPECT_EQ(std::strlen(path), length);
    EXPECT_EQ(path[0], '/');
    EXPECT_NE(std::string(path).find("libveplatform"), std::string::npos) << path;

    // Too small a buffer: cut, terminated, the size returned.
    char small[8];
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(platform, small, sizeof small), sizeof small);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::strlen(small), sizeof small - 1);
    EXPECT_EQ(std::string(small), std::string(path, sizeof small - 1));

    // Not a module's address, and the only form supported.
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x10), path, sizeof path), 0u);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    HMODULE none = reinterpret_cast<HMODULE>(0x1);
    EXPECT_FALSE(GetModuleHandleExA(0, "libm.so.6", &none));
    EXPECT_EQ(none, nullptr);
}

} // namespace
