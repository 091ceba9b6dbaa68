// The Windows Installer package as installed by msiexec, in a Wine prefix
// of its own (scripts/windows-tests): VE_PACKAGE_STAGE says which stage the
// script has reached (installed, upgraded, removed) and VE_PACKAGE_VERSION
// the version it installed. Checked at each: the files in Program Files,
// the control's registry keys (exactly what regsvr32 writes for the
// installed module), the Start menu shortcut, the entry in the list of
// installed programs, and the README a Windows user reads.
#include <gtest/gtest.h>

#include <ole2.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "control/ImageCtrlIds.h"
#include "tests/windows/support/ModuleHarness.h"

namespace {

std::string stage()
{
    const char* value = std::getenv("VE_PACKAGE_STAGE");
    return value ? value : "";
}

std::wstring knownFolder(int csidl)
{
    wchar_t path[MAX_PATH] = L"";
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) ? path : L"";
}

std::wstring installFolder() { return knownFolder(CSIDL_PROGRAM_FILES) + L"\\camview"; }

bool exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The shortcut in the machine's Start menu (or, where the installer put it
// there, the user's), and the file it starts.
struct Shortcut {
    std::wstring link;
    std::wstring target;
};

Shortcut startMenuShortcut()
{
    Shortcut found;
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        const std::wstring link = knownFolder(csidl) + L"\\camview.lnk";
        if (exists(link)) {
            found.link = link;
            break;
        }
    }
    if (found.link.empty()) return found;
    IShellLinkW* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shellLink))))
        return found;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t target[MAX_PATH] = L"";
        if (SUCCEEDED(file->Load(found.link.c_str(), STGM_READ)) &&
            SUCCEEDED(shellLink->GetPath(target, MAX_PATH, nullptr, 0)))
            found.target = target;
        file->Release();
    }
    shellLink->Release();
    return found;
}

std::wstring stringValue(HKEY key, const wchar_t* name)
{
    wchar_t data[512] = L"";
    DWORD size = sizeof data - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return L"";
    return data;
}

// The installed products named camview: their versions and publishers.
struct Product {
    std::wstring version;
    std::wstring publisher;
};

std::vector<Product> installedProducts()
{
    std::vector<Product> products;
    HKEY uninstall = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 0,
                      KEY_READ, &uninstall) != ERROR_SUCCESS)
        return products;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(uninstall, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY product = nullptr;
        if (RegOpenKeyExW(uninstall, name, 0, KEY_READ, &product) != ERROR_SUCCESS) continue;
        if (stringValue(product, L"DisplayName") == L"camview")
            products.push_back({stringValue(product, L"DisplayVersion"), stringValue(product, L"Publisher")});
        RegCloseKey(product);
    }
    RegCloseKey(uninstall);
    return products;
}

std::wstring expectedVersion()
{
    const char* value = std::getenv("VE_PACKAGE_VERSION");
    const std::string text = value ? value : "";
    return std::wstring(text.begin(), text.end());
}

std::string fileText(const std::wstring& path)
{
    std::string text;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

// The README beside camview.exe is the Windows one (the next version's
// test package carries the same file), and reads as text in Notepad: every
// line ends with CR LF.
void expectWindowsReadme()
{
    const std::string readme = fileText(installFolder() + L"\\README.txt");
    EXPECT_EQ(readme.rfind("camview ", 0), 0u) << readme.substr(0, 200);
    EXPECT_NE(readme.find(" for Windows\r\n"), std::string::npos) << readme.substr(0, 200);
    EXPECT_NE(readme.find("%APPDATA%\\camview"), std::string::npos);
    std::size_t bareLineFeeds = 0;
    for (std::size_t i = 0; i < readme.size(); ++i)
        if (readme[i] == '\n' && (i == 0 || readme[i - 1] != '\r')) ++bareLineFeeds;
    EXPECT_EQ(bareLineFeeds, 0u);
}

// The dispatch interfaces' keys in the 32-bit view of the registry, where
// registering the type library writes them too on 64-bit Windows.
std::set<std::wstring> interfacesIn32BitView()
{
    std::set<std::wstring> out;
    for (const IID* iid : {&IID__ZEz_orerir, &IID__VEd_oruvudUruzuv})
        readTree(L"Interface\\" + guidText(*iid), out, KEY_WOW64_32KEY);
    return out;
}

class Package : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }

    // What an installed package shows: its files, one entry under installed
    // programs with its version, and the Start menu shortcut to camview.exe.
    void expectInstalled()
    {
        for (const wchar_t* file : {L"camview.exe", L"VE_VIRIZU.OCX", L"README.txt", L"LICENSE.txt"})
            EXPECT_TRUE(exists(installFolder() + L"\\" + file)) << narrow(file);
        const std::vector<Product> products = installedProducts();
        ASSERT_EQ(products.size(), 1u);
        EXPECT_EQ(products[0].version, expectedVersion());
        EXPECT_EQ(products[0].publisher, L"camview developers");
        const Shortcut shortcut = startMenuShortcut();
        EXPECT_FALSE(shortcut.link.empty());
        EXPECT_EQ(lstrcmpiW(shortcut.target.c_str(), (installFolder() + L"\\camview.exe").c_str()), 0)
            << narrow(shortcut.target);
        expectWindowsReadme();
    }
};

// The package registers the control through its own tables exactly as the
// installed module registers itself: the same keys and values, and
// regsvr32 on the installed module changes none of them.
TEST_F(Package, InstalledItRegistersTheControlAsTheModuleDoes)
{
    if (stage() != "installed") GTEST_SKIP() << "not the installed stage";
    expectInstalled();
    const std::wstring module = installFolder() + L"\\VE_VIRIZU.OCX";
    const std::set<std::wstring> fromPackage = registeredEntries();
    const std::set<std::wstring> interfaces32 = interfacesIn32BitView();
    EXPECT_EQ(differences(expectedEntries(module), fromPackage), std::vector<std::string>{});
    EXPECT_FALSE(interfaces32.empty());
    ASSERT_EQ(regsvr32(L"/s", module), 0u);
    EXPECT_EQ(differences(fromPackage, registeredEntries()), std::vector<std::string>{});
    EXPECT_EQ(differences(interfaces32, interfacesIn32BitView()), std::vector<std::string>{});
}

TEST_F(Package, UpgradedOneProductOfTheNewVersionRemains)
{
    if (stage() != "upgraded") GTEST_SKIP() << "not the upgraded stage";
    expectInstalled();
    EXPECT_EQ(differences(expectedEntries(installFolder() + L"\\VE_VIRIZU.OCX"), registeredEntries()),
              std::vector<std::string>{});
}

TEST_F(Package, RemovedNothingOfItStays)
{
    if (stage() != "removed") GTEST_SKIP() << "not the removed stage";
    EXPECT_FALSE(exists(installFolder()));
    EXPECT_TRUE(startMenuShortcut().link.empty());
    EXPECT_TRUE(installedProducts().empty());
    EXPECT_EQ(registeredEntries(), std::set<std::wstring>{});
    EXPECT_EQ(interfacesIn32BitView(), std::set<std::wstring>{});
}

} // namespace
