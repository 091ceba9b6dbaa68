// The type library's registration where the platform has no type library
// loader: the keys that registering the library writes on Windows, written
// one by one. The library is described here as the module's resources
// hold it.
#include <utility>

#include "control/ImageCtrlIds.h"
#include "control/module/Registration.h"
#include "control/module/RegistryKeys.h"

namespace {

constexpr const char* kLibraryHelp = "RW-DPV20 OLE Control module";
// The library's flags as registration writes them: a control's library
// (2) with a disk image (8).
constexpr const char* kLibraryFlags = "10";
constexpr const char* kDispatchProxy = "{00020420-0000-0000-C000-000000000046}";

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
    bool ok = WriteClassesRootKey(lib, {{"", kLibraryHelp}}) &&
              WriteClassesRootKey(lib + "\\0\\linux64", {{"", modulePath}}) &&
              WriteClassesRootKey(lib + "\\FLAGS", {{"", kLibraryFlags}}) &&
              WriteClassesRootKey(lib + "\\HELPDIR", {{"", directoryOf(modulePath)}});
    // Each dispatch interface, marshalled by the standard dispatch proxy.
    for (const auto& [iid, name] : {std::pair{&IID__ZEz_orerir, "_ZEz_orerir"},
                                    std::pair{&IID__VEd_oruvudUruzuv, "_VEd_oruvudUruzuv"}}) {
        const std::string key = "Interface\\" + GuidToString(*iid);
        ok = ok && WriteClassesRootKey(key, {{"", name}}) &&
             WriteClassesRootKey(key + "\\ProxyStubClsid", {{"", kDispatchProxy}}) &&
             WriteClassesRootKey(key + "\\ProxyStubClsid32", {{"", kDispatchProxy}}) &&
             WriteClassesRootKey(key + "\\TypeLib", {{"", libid}, {"Version", "1.0"}});
    }
    return ok;
}

bool UnregisterTypeLibrary()
{
    return RemoveClassesRootKey("TypeLib\\" + GuidToString(LIBID_ImageCtrlLib)) &&
           RemoveClassesRootKey("Interface\\" + GuidToString(IID__ZEz_orerir)) &&
           RemoveClassesRootKey("Interface\\" + GuidToString(IID__VEd_oruvudUruzuv));
}
