#include "control/module/Registration.h"

#include <initializer_list>
#include <utility>

#include "control/ImageCtrlIds.h"
#include "platform/registry/Registry.h"

namespace {

constexpr const char* kControlProgId = "RW-DPV20.ImageCtrl.1";
constexpr const char* kControlTypeName = "Ve_virizu Control";
constexpr const char* kPageTypeName = "Ve_virizu Property Page";
constexpr const char* kLibraryName = "ZE_DEVUZORud";
constexpr const char* kLibraryHelp = "RW-DPV20 OLE Control module";
constexpr const char* kDispatchProxy = "{00020420-0000-0000-C000-000000000046}";

// Creates the key and sets its values (an empty name is the default value).
bool writeKey(const std::string& path, std::initializer_list<std::pair<const char*, std::string>> values)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const auto& [name, value] : values)
        ok = ok && RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

// Removing a key that is not there is no failure.
bool removeKey(const std::string& path)
{
    const LSTATUS rc = RegDeleteTreeA(HKEY_CLASSES_ROOT, path.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

std::string directoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

} // namespace

bool RegisterTypeLibrary(const std::string& modulePath)
{
    const std::string lib = "TypeLib\\" + GuidToString(LIBID_ImageCtrlLib) + "\\1.0";
    const std::string libid = GuidToString(LIBID_ImageCtrlLib);
    const std::string dispatch = "Interface\\" + GuidToString(IID__ZEz_orerir);
    const std::string events = "Interface\\" + GuidToString(IID__VEd_oruvudUruzuv);
    return writeKey(lib, {{"", kLibraryHelp}, {"Name", kLibraryName}}) &&
           writeKey(lib + "\\0\\linux64", {{"", modulePath}}) && writeKey(lib + "\\FLAGS", {{"", "0"}}) &&
           writeKey(lib + "\\HELPDIR", {{"", directoryOf(modulePath)}}) &&
           writeKey(dispatch, {{"", "_ZEz_orerir"}}) && writeKey(dispatch + "\\ProxyStubClsid32", {{"", kDispatchProxy}}) &&
           writeKey(dispatch + "\\TypeLib", {{"", libid}, {"Version", "1.0"}}) &&
           writeKey(dispatch + "\\Members", {{"AboutBox", "method -552: void AboutBox()"}}) &&
           writeKey(events, {{"", "_VEd_oruvudUruzuv"}}) && writeKey(events + "\\ProxyStubClsid32", {{"", kDispatchProxy}}) &&
           writeKey(events + "\\TypeLib", {{"", libid}, {"Version", "1.0"}}) &&
           writeKey(events + "\\Members", {{"ModeChanged", "event 1: void ModeChanged(short Mode)"},
                                           {"DZoomMagChanged", "event 2: void DZoomMagChanged(double DZoomMag)"}});
}

bool UnregisterTypeLibrary()
{
    return removeKey("TypeLib\\" + GuidToString(LIBID_ImageCtrlLib)) &&
           removeKey("Interface\\" + GuidToString(IID__ZEz_orerir)) &&
           removeKey("Interface\\" + GuidToString(IID__VEd_oruvudUruzuv));
}

bool RegisterClasses(const std::string& modulePath)
{
    const std::string control = "CLSID\\" + GuidToString(CLSID_ImageCtrl);
    const std::string clsid = GuidToString(CLSID_ImageCtrl);
    return writeKey(control, {{"", kControlTypeName}}) && writeKey(control + "\\ProgID", {{"", kControlProgId}}) &&
           writeKey(control + "\\InprocServer32", {{"", modulePath}, {"ThreadingModel", "Apartment"}}) &&
           writeKey(control + "\\Insertable", {}) &&
           writeKey(control + "\\ToolboxBitmap32", {{"", modulePath + ", " + std::to_string(IDB_IMAGECTRL)}}) &&
           writeKey(control + "\\MiscStatus", {{"", "0"}}) &&
           writeKey(control + "\\MiscStatus\\1", {{"", std::to_string(IMAGECTRL_MISC_STATUS)}}) &&
           writeKey(control + "\\Control", {}) &&
           writeKey(control + "\\TypeLib", {{"", GuidToString(LIBID_ImageCtrlLib)}}) &&
           writeKey(control + "\\Version", {{"", "1.0"}}) && writeKey(kControlProgId, {{"", kControlTypeName}}) &&
           writeKey(std::string(kControlProgId) + "\\CLSID", {{"", clsid}}) &&
           writeKey(std::string(kControlProgId) + "\\Insertable", {}) &&
           writeKey("CLSID\\" + GuidToString(CLSID_ImagePropPage), {{"", kPageTypeName}}) &&
           // The page's server too: a property frame creates the page by
           // its class, which needs the module that serves it.
           writeKey("CLSID\\" + GuidToString(CLSID_ImagePropPage) + "\\InprocServer32",
                    {{"", modulePath}, {"ThreadingModel", "Apartment"}});
}

bool UnregisterClasses()
{
    return removeKey("CLSID\\" + GuidToString(CLSID_ImageCtrl)) && removeKey(kControlProgId) &&
           removeKey("CLSID\\" + GuidToString(CLSID_ImagePropPage));
}
