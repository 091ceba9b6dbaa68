#include "control/module/RegistryList.h"

#include "control/ImageCtrlIds.h"

namespace {

constexpr const char* kControlProgId = "RW-DPV20.ImageCtrl.1";
constexpr const char* kControlTypeName = "Ve_virizu Control";
constexpr const char* kPageTypeName = "Ve_virizu Property Page";
constexpr const char* kLibraryHelp = "RW-DPV20 OLE Control module";
// The library's flags as registration writes them: a control's library
// (2) with a disk image (8).
constexpr const char* kLibraryFlags = "10";
constexpr const char* kDispatchProxy = "{00020420-0000-0000-C000-000000000046}";

} // namespace

std::vector<RegistryKeyEntry> ClassRegistryKeys(const std::string& modulePath)
{
    const std::string control = "CLSID\\" + GuidToString(CLSID_ImageCtrl);
    const std::string clsid = GuidToString(CLSID_ImageCtrl);
    const std::string page = "CLSID\\" + GuidToString(CLSID_ImagePropPage);
    const std::string progId = kControlProgId;
    return {
        {control, {{"", kControlTypeName}}},
        {control + "\\ProgID", {{"", progId}}},
        {control + "\\InprocServer32", {{"", modulePath}, {"ThreadingModel", "Apartment"}}},
        {control + "\\Insertable", {}},
        {control + "\\ToolboxBitmap32", {{"", modulePath + ", " + std::to_string(IDB_IMAGECTRL)}}},
        {control + "\\MiscStatus", {{"", "0"}}},
        {control + "\\MiscStatus\\1", {{"", std::to_string(IMAGECTRL_MISC_STATUS)}}},
        {control + "\\Control", {}},
        {control + "\\TypeLib", {{"", GuidToString(LIBID_ImageCtrlLib)}}},
        {control + "\\Version", {{"", "1.0"}}},
        {progId, {{"", kControlTypeName}}},
        {progId + "\\CLSID", {{"", clsid}}},
        {progId + "\\Insertable", {}},
        {page, {{"", kPageTypeName}}},
        // The page's server too: a property frame creates the page by its
        // class, which needs the module that serves it.
        {page + "\\InprocServer32", {{"", modulePath}, {"ThreadingModel", "Apartment"}}},
    };
}

std::vector<RegistryKeyEntry> TypeLibraryRegistryKeys(const std::string& modulePath, const std::string& helpDirectory,
                                                      const std::string& platform)
{
    const std::string libid = GuidToString(LIBID_ImageCtrlLib);
    const std::string lib = "TypeLib\\" + libid + "\\1.0";
    std::vector<RegistryKeyEntry> keys = {
        {lib, {{"", kLibraryHelp}}},
        {lib + "\\0\\" + platform, {{"", modulePath}}},
        {lib + "\\FLAGS", {{"", kLibraryFlags}}},
        {lib + "\\HELPDIR", {{"", helpDirectory}}},
    };
    for (const auto& [iid, name] : {std::pair{&IID__ZEz_orerir, "_ZEz_orerir"},
                                    std::pair{&IID__VEd_oruvudUruzuv, "_VEd_oruvudUruzuv"}}) {
        const std::string key = "Interface\\" + GuidToString(*iid);
        keys.push_back({key, {{"", name}}});
        keys.push_back({key + "\\ProxyStubClsid", {{"", kDispatchProxy}}});
        keys.push_back({key + "\\ProxyStubClsid32", {{"", kDispatchProxy}}});
        keys.push_back({key + "\\TypeLib", {{"", libid}, {"Version", "1.0"}}});
    }
    return keys;
}

std::vector<std::string> ClassRegistryRoots()
{
    return {"CLSID\\" + GuidToString(CLSID_ImageCtrl), kControlProgId, "CLSID\\" + GuidToString(CLSID_ImagePropPage)};
}

std::vector<std::string> TypeLibraryRegistryRoots()
{
    return {"TypeLib\\" + GuidToString(LIBID_ImageCtrlLib), "Interface\\" + GuidToString(IID__ZEz_orerir),
            "Interface\\" + GuidToString(IID__VEd_oruvudUruzuv)};
}
