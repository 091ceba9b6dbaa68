// The registry, one test per family: keys, values, removal and the file
// that holds them, written whole. Each test has a registry file of its own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/linux/StandInRegistry.h"

namespace {

class Registry : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("ve-registry-" + std::to_string(getpid()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        usePath(m_dir / "registry");
    }
    void TearDown() override
    {
        standin::RegistryFailWritesAfter(-1);
        unsetenv("VE_REGISTRY");
        std::filesystem::remove_all(m_dir);
    }
    void usePath(const std::filesystem::path& path) { setenv("VE_REGISTRY", path.c_str(), 1); }

    static std::string fileText()
    {
        std::ifstream in(standin::RegistryPath());
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static HKEY create(const char* path, DWORD* disposition = nullptr)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, disposition),
                  ERROR_SUCCESS);
        return key;
    }
    static LSTATUS setText(HKEY key, const char* name, const std::string& text)
    {
        return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>(text.size() + 1));
    }
    static std::string text(HKEY key, const char* name)
    {
        char buffer[256] = {};
        DWORD size = sizeof buffer;
        DWORD type = 0;
        if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
            return "<none>";
        EXPECT_EQ(type, REG_SZ);
        return buffer;
    }
    static bool exists(const char* path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    std::filesystem::path m_dir;
};

TEST_F(Registry, KeysAreCreatedWithTheirParentsOpenedInAnyCaseAndClosedOnce)
{
    DWORD disposition = 0;
    HKEY key = create("CLSID\\{1234}\\InprocServer32", &disposition);
    EXPECT_EQ(disposition, 1u); // created
    EXPECT_TRUE(exists("CLSID"));
    EXPECT_TRUE(exists("clsid\\{1234}"));
    EXPECT_TRUE(exists("CLSID\\{1234}\\INPROCSERVER32"));
    EXPECT_FALSE(exists("CLSID\\{5678}"));
    HKEY again = create("clsid\\{1234}\\inprocserver32", &disposition);
    EXPECT_EQ(disposition, 2u); // opened
    EXPECT_NE(again, key);

    // A key opened below an open key.
    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &parent), ERROR_SUCCESS);
    HKEY child = nullptr;
    EXPECT_EQ(RegOpenKeyExA(parent, "{1234}", 0, KEY_READ, &child), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(parent, "{9999}", 0, KEY_READ, &child), ERROR_FILE_NOT_FOUND);

    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(setText(key, nullptr, "x"), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(key, "x", 0, KEY_READ, &child), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, nullptr), ERROR_INVALID_HANDLE);
    RegCloseKey(again);
    RegCloseKey(parent);
}

TEST_F(Registry, ValuesKeepTheirTypeAndNamesMatchInAnyCase)
{
    HKEY key = create("Viewer");
    EXPECT_EQ(setText(key, nullptr, "default text"), ERROR_SUCCESS);
    EXPECT_EQ(setText(key, "Name", "first"), ERROR_SUCCESS);
    EXPECT_EQ(setText(key, "NAME", "second"), ERROR_SUCCESS);
    const DWORD number = 0xDEADBEEF;
    EXPECT_EQ(RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number),
              ERROR_SUCCESS);
    // Odd characters survive the file.
    const std::string odd = "quote \" backslash \\ newline \n end";
    EXPECT_EQ(setText(key, "odd \"name\"", odd), ERROR_SUCCESS);

    EXPECT_EQ(text(key, nullptr), "default text");
    EXPECT_EQ(text(key, ""), "default text");
    EXPECT_EQ(text(key, "name"), "second");
    EXPECT_EQ(text(key, "odd \"name\""), odd);
    EXPECT_EQ(text(key, "missing"), "<none>");
    DWORD read = 0;
    DWORD size = sizeof read;
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExA(key, "count", nullptr, &type, reinterpret_cast<BYTE*>(&read), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(read, number);
    EXPECT_EQ(size, sizeof read);

    // Types the registry does not keep, and a DWORD too short.
    EXPECT_EQ(RegSetValueExA(key, "b", 0, 3 /* binary */, reinterpret_cast<const BYTE*>("x"), 1), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(key, "d", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 2), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);

    // Another key opened on the same path sees the same values.
    HKEY other = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "VIEWER", 0, KEY_READ, &other), ERROR_SUCCESS);
    EXPECT_EQ(text(other, "Name"), "second");
    RegCloseKey(other);
}

TEST_F(Registry, QueryBufferSizesCountTheTerminator)
{
    HKEY key = create("Sizes");
    ASSERT_EQ(setText(key, "v", "12345"), ERROR_SUCCESS);
    // No buffer: success with the size needed.
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    // Too small: more data, with the size needed, nothing written.
    char small[3] = {'x', 'x', 'x'};
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(small[0], 'x');
    // Enough: the text with its terminator, counted.
    char buffer[16];
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "12345");
    EXPECT_EQ(size, 6u);
    // Only the type.
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    RegCloseKey(key);
}

TEST_F(Registry, DeletingATreeRemovesTheKeyAndEverythingBelowItOnly)
{
    RegCloseKey(create("CLSID\\{1}\\InprocServer32"));
    RegCloseKey(create("CLSID\\{1}\\ProgID"));
    RegCloseKey(create("CLSID\\{10}"));
    RegCloseKey(create("CLSID\\{2}"));
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "clsid\\{1}"), ERROR_SUCCESS);
    EXPECT_FALSE(exists("CLSID\\{1}"));
    EXPECT_FALSE(exists("CLSID\\{1}\\ProgID"));
    EXPECT_TRUE(exists("CLSID\\{10}"));
    EXPECT_TRUE(exists("CLSID\\{2}"));
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "CLSID\\{1}"), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DeletingATreeWithoutASubkeyEmptiesTheKeyButKeepsIt)
{
    HKEY key = create("Viewer\\Settings");
    ASSERT_EQ(setText(key, "a", "b"), ERROR_SUCCESS);
    RegCloseKey(key);
    HKEY viewer = create("Viewer");
    ASSERT_EQ(setText(viewer, "own", "value"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTreeA(viewer, nullptr), ERROR_SUCCESS);
    EXPECT_TRUE(exists("Viewer"));
    EXPECT_FALSE(exists("Viewer\\Settings"));
    EXPECT_EQ(text(viewer, "own"), "<none>");
    RegCloseKey(viewer);
}

TEST_F(Registry, EveryChangeReplacesTheWholeFileOrLeavesItAsItWas)
{
    HKEY key = create("Viewer");
    ASSERT_EQ(setText(key, "kept", "yes"), ERROR_SUCCESS);
    const std::string before = fileText();
    EXPECT_NE(before.find("[HKEY_CLASSES_ROOT\\Viewer]"), std::string::npos);
    EXPECT_NE(before.find("\"kept\"=\"yes\""), std::string::npos);

    // A write that fails leaves the old file whole, with no other file
    // beside it.
    standin::RegistryFailWritesAfter(0);
    EXPECT_EQ(setText(key, "lost", "no"), ERROR_WRITE_FAULT);
    EXPECT_EQ(RegDeleteTreeA(HKEY_CLASSES_ROOT, "Viewer"), ERROR_WRITE_FAULT);
    DWORD disposition = 0;
    HKEY created = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "New", 0, nullptr, 0, KEY_WRITE, nullptr, &created, &disposition),
              ERROR_WRITE_FAULT);
    EXPECT_EQ(fileText(), before);
    standin::RegistryFailWritesAfter(-1);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir)) ++files;
    EXPECT_EQ(files, 1);

    // One more write allowed, then none.
    standin::RegistryFailWritesAfter(1);
    EXPECT_EQ(setText(key, "one", "1"), ERROR_SUCCESS);
    EXPECT_EQ(setText(key, "two", "2"), ERROR_WRITE_FAULT);
    standin::RegistryFailWritesAfter(-1);
    EXPECT_EQ(text(key, "one"), "1");
    EXPECT_EQ(text(key, "two"), "<none>");
    RegCloseKey(key);
}

TEST_F(Registry, TheFileIsMadeInAFolderWhateverItsName)
{
    usePath(m_dir / "it's a \"folder\"; $(true)" / "registry");
    HKEY key = create("Viewer");
    EXPECT_EQ(setText(key, "v", "x"), ERROR_SUCCESS);
    EXPECT_TRUE(std::filesystem::exists(standin::RegistryPath()));
    EXPECT_EQ(text(key, "v"), "x");
    RegCloseKey(key);
}

TEST_F(Registry, ConcurrentWritersLoseNoValue)
{
    constexpr int kThreads = 4;
    constexpr int kEach = 10;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            HKEY key = nullptr;
            RegCreateKeyExA(HKEY_CLASSES_ROOT, ("K" + std::to_string(t)).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr);
            for (int i = 0; i < kEach; ++i) {
                const std::string value = std::to_string(i);
                RegSetValueExA(key, ("v" + value).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>(value.size() + 1));
            }
            RegCloseKey(key);
        });
    }
    for (auto& t : threads) t.join();
    for (int t = 0; t < kThreads; ++t) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ("K" + std::to_string(t)).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
        for (int i = 0; i < kEach; ++i) EXPECT_EQ(text(key, ("v" + std::to_string(i)).c_str()), std::to_string(i));
        RegCloseKey(key);
    }
}

} // namespace
