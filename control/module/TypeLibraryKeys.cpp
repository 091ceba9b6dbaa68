// The type library's registration where the platform has no type library
// loader: the keys that registering the library writes, written one by one.
// The library is described here as the module's resources hold it.
#include "control/ImageCtrlIds.h"
#include "control/module/Registration.h"
#include "control/module/RegistryKeys.h"

namespace {

constexpr const char* kLibraryName = "ZE_DEVUZORud";
constexpr const char* kLibraryHelp = "RW-DPV20 OLE Control module";
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
    const std::string dispatch = "Interface\\" + GuidToString(IID__ZEz_orerir);
    const std::string events = "Interface\\" + GuidToString(IID__VEd_oruvudUruzuv);
    return WriteClassesRootKey(lib, {{"", kLibraryHelp}, {"Name", kLibraryName}}) &&
           WriteClassesRootKey(lib + "\\0\\linux64", {{"", modulePath}}) && WriteClassesRootKey(lib + "\\FLAGS", {{"", "0"}}) &&
           WriteClassesRootKey(lib + "\\HELPDIR", {{"", directoryOf(modulePath)}}) &&
           WriteClassesRootKey(dispatch, {{"", "_ZEz_orerir"}}) && WriteClassesRootKey(dispatch + "\\ProxyStubClsid32", {{"", kDispatchProxy}}) &&
           WriteClassesRootKey(dispatch + "\\TypeLib", {{"", libid}, {"Version", "1.0"}}) &&
           WriteClassesRootKey(dispatch + "\\Members", {{"AboutBox", "method -552: void AboutBox()"}}) &&
           WriteClassesRootKey(events, {{"", "_VEd_oruvudUruzuv"}}) && WriteClassesRootKey(events + "\\ProxyStubClsid32", {{"", kDispatchProxy}}) &&
           WriteClassesRootKey(events + "\\TypeLib", {{"", libid}, {"Version", "1.0"}}) &&
           WriteClassesRootKey(events + "\\Members", {{"ModeChanged", "event 1: void ModeChanged(short Mode)"},
                                           {"DZoomMagChanged", "event 2: void DZoomMagChanged(double DZoomMag)"}});
}

bool UnregisterTypeLibrary()
{
    return RemoveClassesRootKey("TypeLib\\" + GuidToString(LIBID_ImageCtrlLib)) &&
           RemoveClassesRootKey("Interface\\" + GuidToString(IID__ZEz_orerir)) &&
           RemoveClassesRootKey("Interface\\" + GuidToString(IID__VEd_oruvudUruzuv));
}
