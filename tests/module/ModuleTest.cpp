// The control as a loadable module: registration into the registry file,
// creation through the registry, and the unload test.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "control/ImageCtrlIds.h"
#include "control/ImagePropPage.h"
#include "platform/com/ComCreation.h"
#include "platform/com/OleInterfaces.h"
#include "platform/kernel/Library.h"
#include "platform/registry/linux/StandInRegistry.h"
#include "tests/module/RegistrationEntries.h"
#include "platform/com/linux/StandInCom.h"

namespace {

using Entry = HRESULT (*)();
using GetClassObject = HRESULT (*)(REFCLSID, REFIID, void**);

// An entry point by name, cast to its type (through void (*)(), which
// converts to any function type).
template <typename Function>
Function entry(HMODULE module, LPCSTR name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class Module : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/ve-registry-XXXXXX";
        dir = mkdtemp(pattern);
        registryFile = dir + "/registry";
        setenv("VE_REGISTRY", registryFile.c_str(), 1);
        standin::RegistryFailWritesAfter(-1);
        // Loaded as a container loads it, so that the loader starts it.
        module = LoadLibraryA(VE_MODULE_PATH);
        ASSERT_NE(module, nullptr);
        registerServer = entry<Entry>(module, "DllRegisterServer");
        unregisterServer = entry<Entry>(module, "DllUnregisterServer");
        canUnload = entry<Entry>(module, "DllCanUnloadNow");
        getClassObject = entry<GetClassObject>(module, "DllGetClassObject");
        ASSERT_TRUE(registerServer && unregisterServer && canUnload && getClassObject);
    }
    void TearDown() override
    {
        standin::RegistryFailWritesAfter(-1);
        unsetenv("VE_REGISTRY");
        std::system(("rm -rf '" + dir + "'").c_str());
    }
    std::string registryText() const
    {
        std::ifstream in(registryFile);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::set<std::string> keys() const
    {
        std::set<std::string> out;
        std::istringstream in(registryText());
        for (std::string line; std::getline(in, line);)
            if (line.size() > 2 && line.front() == '[') out.insert(line.substr(1, line.size() - 2));
        return out;
    }

    // The registry's keys and string values under HKEY_CLASSES_ROOT below
    // the keys registration makes (not the parents that hold them), in the
    // form of RegistrationEntries.
    std::set<std::string> entries() const
    {
        const std::string root = "HKEY_CLASSES_ROOT\\";
        std::set<std::string> out;
        std::istringstream in(registryText());
        std::string key;
        for (std::string line; std::getline(in, line);) {
            if (line.size() > 2 && line.front() == '[') {
                key = line.substr(1, line.size() - 2);
                if (key.rfind(root, 0) == 0) key.erase(0, root.size());
                const bool made = key.find('\\') != std::string::npos || key.rfind("RW-DPV20", 0) == 0;
                if (made) out.insert(key);
                else key.clear();
                continue;
            }
            const auto equals = line.find("=\"");
            if (key.empty() || equals == std::string::npos || line.back() != '"') continue;
            std::string name = line.substr(0, equals);
            if (name.size() >= 2 && name.front() == '"') name = name.substr(1, name.size() - 2);
            out.insert(key + "|" + name + "=" + line.substr(equals + 2, line.size() - equals - 3));
        }
        return out;
    }

    std::string dir;
    std::string registryFile;
    HMODULE module = nullptr;
    Entry registerServer = nullptr;
    Entry unregisterServer = nullptr;
    Entry canUnload = nullptr;
    GetClassObject getClassObject = nullptr;
};


TEST_F(Module, RegistrationWritesExactlyTheListedEntries)
{
    ASSERT_EQ(registerServer(), S_OK);
    const std::string path = VE_MODULE_PATH;
    EXPECT_EQ(entries(), RegistrationEntries(path, path.substr(0, path.rfind('/') + 1), "linux64"));
}

TEST_F(Module, UnregistrationRemovesTheEntriesAndLeavesOthers)
{
    HKEY other = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "CLSID\\{11111111-2222-3333-4444-555555555555}", 0, nullptr, 0, KEY_WRITE,
                              nullptr, &other, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(other);
    ASSERT_EQ(registerServer(), S_OK);
    ASSERT_EQ(unregisterServer(), S_OK);
    const std::set<std::string> all = keys();
    for (const auto& k : all) {
        EXPECT_EQ(k.find("4D8D78A3"), std::string::npos) << k;
        EXPECT_EQ(k.find("RW-DPV20"), std::string::npos) << k;
        EXPECT_EQ(k.find("A625E7DA"), std::string::npos) << k;
    }
    EXPECT_TRUE(all.count("HKEY_CLASSES_ROOT\\CLSID\\{11111111-2222-3333-4444-555555555555}"));
}

TEST_F(Module, UnwritableRegistryFailsAtTheTypeLibrary)
{
    // A registry whose folder is a file cannot be written.
    const std::string blocker = dir + "/file";
    std::ofstream(blocker) << "x";
    setenv("VE_REGISTRY", (blocker + "/registry").c_str(), 1);
    EXPECT_EQ(registerServer(), SELFREG_E_TYPELIB);
    standin::RegistryFailWritesAfter(0);
    setenv("VE_REGISTRY", registryFile.c_str(), 1);
    std::ofstream(registryFile) << "[HKEY_CLASSES_ROOT\\TypeLib\\{A625E7DA-00E1-4B10-B611-2049B587DA3E}]\n";
    EXPECT_EQ(unregisterServer(), SELFREG_E_TYPELIB);
}

TEST_F(Module, FailureAfterTheTypeLibraryFailsAtTheClasses)
{
    // Count the writes the type library takes, then fail right after them.
    ASSERT_EQ(registerServer(), S_OK);
    ASSERT_EQ(unregisterServer(), S_OK);
    std::remove(registryFile.c_str());
    int typeLibraryWrites = 0;
    for (int limit = 1; limit < 200; ++limit) {
        std::remove(registryFile.c_str());
        standin::RegistryFailWritesAfter(limit);
        const HRESULT hr = registerServer();
        if (hr == SELFREG_E_CLASS) {
            typeLibraryWrites = limit;
            break;
        }
        ASSERT_EQ(hr, SELFREG_E_TYPELIB) << limit;
    }
    EXPECT_GT(typeLibraryWrites, 0);
    standin::RegistryFailWritesAfter(-1);
}

TEST_F(Module, CreationByProgIdAndByClassIdentifierGivesAWorkingControl)
{
    ASSERT_EQ(registerServer(), S_OK);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(OLESTR("RW-DPV20.ImageCtrl.1"), &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_ImageCtrl);
    for (const char* name : {"RW-DPV20.ImageCtrl.1", "{4D8D78A3-35E9-499D-8771-4ADA8876B786}"}) {
        CLSID id{};
        ASSERT_EQ(CLSIDFromString(Utf8ToOle(name).c_str(), &id), S_OK) << name;
        IOleObject* object = nullptr;
        ASSERT_EQ(CoCreateInstance(id, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(&object)), S_OK)
            << name;
        DWORD status = 0;
        EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
        EXPECT_EQ(status, 0x20191u);
        IPersistPropertyBag* persist = nullptr;
        EXPECT_EQ(object->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist)), S_OK);
        persist->Release();
        EXPECT_EQ(canUnload(), S_FALSE); // a control lives
        object->Release();
    }
    EXPECT_EQ(canUnload(), S_OK);
    IUnknown* nothing = nullptr;
    const CLSID unknown = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&nothing)),
              REGDB_E_CLASSNOTREG);
}

TEST_F(Module, TheControlNamesItsPropertyPageAndAFrameCanCreateIt)
{
    ASSERT_EQ(registerServer(), S_OK);
    IOleObject* object = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_ImageCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(&object)),
              S_OK);
    ISpecifyPropertyPages* specify = nullptr;
    ASSERT_EQ(object->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&specify)), S_OK);
    CAUUID pages;
    ASSERT_EQ(specify->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_EQ(pages.pElems[0], CLSID_ImagePropPage);
    IPropertyPage* page = nullptr;
    ASSERT_EQ(CoCreateInstance(pages.pElems[0], nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, reinterpret_cast<void**>(&page)),
              S_OK);
    PROPPAGEINFO info{};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(standin::Utf16ToUtf8(info.pszTitle), "General");
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);
    page->Release();
    CoTaskMemFree(pages.pElems);
    specify->Release();
    object->Release();
}

TEST_F(Module, LocksAndObjectsKeepTheModuleLoaded)
{
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_ImagePropPage, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE); // the factory reference counts as a lock
    IPropertyPage* page = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPropertyPage, reinterpret_cast<void**>(&page)), S_OK);
    factory->LockServer(TRUE);
    factory->Release();
    EXPECT_EQ(canUnload(), S_FALSE);
    PROPPAGEINFO info{};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(standin::Utf16ToUtf8(info.pszTitle), "General");
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);
    page->Release();
    EXPECT_EQ(canUnload(), S_FALSE); // still locked
    ASSERT_EQ(getClassObject(CLSID_ImagePropPage, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    factory->LockServer(FALSE);
    factory->Release();
    EXPECT_EQ(canUnload(), S_OK);
    IUnknown* outer = reinterpret_cast<IUnknown*>(this);
    ASSERT_EQ(getClassObject(CLSID_ImageCtrl, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    void* p = nullptr;
    EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &p), CLASS_E_NOAGGREGATION);
    factory->Release();
}

TEST_F(Module, AnInterruptedWriteLeavesTheRegistryWhole)
{
    ASSERT_EQ(registerServer(), S_OK);
    const std::string before = registryText();
    // A write that died before its rename leaves its new file behind: the
    // registry itself is untouched and reads as before.
    std::ofstream(registryFile + ".new.12345") << "[HKEY_CLASSES_ROOT\\half";
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "RW-DPV20.ImageCtrl.1\\CLSID", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(registryText(), before);
    // A failed write changes nothing either.
    standin::RegistryFailWritesAfter(0);
    EXPECT_NE(unregisterServer(), S_OK);
    EXPECT_EQ(registryText(), before);
}

} // namespace
