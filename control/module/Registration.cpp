#include "control/module/Registration.h"

#include <initializer_list>
#include <utility>

#include "control/ImageCtrlIds.h"
#include "control/module/RegistryKeys.h"

namespace {

constexpr const char* kControlProgId = "RW-DPV20.ImageCtrl.1";
constexpr const char* kControlTypeName = "Ve_virizu Control";
constexpr const char* kPageTypeName = "Ve_virizu Property Page";

} // namespace

bool RegisterClasses(const std::string& modulePath)
{
    const std::string control = "CLSID\\" + GuidToString(CLSID_ImageCtrl);
    const std::string clsid = GuidToString(CLSID_ImageCtrl);
    return WriteClassesRootKey(control, {{"", kControlTypeName}}) && WriteClassesRootKey(control + "\\ProgID", {{"", kControlProgId}}) &&
           WriteClassesRootKey(control + "\\InprocServer32", {{"", modulePath}, {"ThreadingModel", "Apartment"}}) &&
           WriteClassesRootKey(control + "\\Insertable", {}) &&
           WriteClassesRootKey(control + "\\ToolboxBitmap32", {{"", modulePath + ", " + std::to_string(IDB_IMAGECTRL)}}) &&
           WriteClassesRootKey(control + "\\MiscStatus", {{"", "0"}}) &&
           WriteClassesRootKey(control + "\\MiscStatus\\1", {{"", std::to_string(IMAGECTRL_MISC_STATUS)}}) &&
           WriteClassesRootKey(control + "\\Control", {}) &&
           WriteClassesRootKey(control + "\\TypeLib", {{"", GuidToString(LIBID_ImageCtrlLib)}}) &&
           WriteClassesRootKey(control + "\\Version", {{"", "1.0"}}) && WriteClassesRootKey(kControlProgId, {{"", kControlTypeName}}) &&
           WriteClassesRootKey(std::string(kControlProgId) + "\\CLSID", {{"", clsid}}) &&
           WriteClassesRootKey(std::string(kControlProgId) + "\\Insertable", {}) &&
           WriteClassesRootKey("CLSID\\" + GuidToString(CLSID_ImagePropPage), {{"", kPageTypeName}}) &&
           // The page's server too: a property frame creates the page by
           // its class, which needs the module that serves it.
           WriteClassesRootKey("CLSID\\" + GuidToString(CLSID_ImagePropPage) + "\\InprocServer32",
                    {{"", modulePath}, {"ThreadingModel", "Apartment"}});
}

bool UnregisterClasses()
{
    return RemoveClassesRootKey("CLSID\\" + GuidToString(CLSID_ImageCtrl)) && RemoveClassesRootKey(kControlProgId) &&
           RemoveClassesRootKey("CLSID\\" + GuidToString(CLSID_ImagePropPage));
}
