// The type library's registration where the platform has no type library
// loader: the keys that registering the library writes on Windows, written
// one by one. The library is described here as the module's resources
// hold it.
#include "control/ImageCtrlIds.h"
#include "control/module/Registration.h"
#include "control/module/RegistryKeys.h"

namespace {

// The help folder with its separator, as the Windows registration has it.
std::string directoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

} // namespace

bool RegisterTypeLibrary(const std::string& modulePath)
{
    return WriteClassesRootKeys(TypeLibraryRegistryKeys(modulePath, directoryOf(modulePath), "linux64"));
}

bool UnregisterTypeLibrary()
{
    for (const std::string& root : TypeLibraryRegistryRoots())
        if (!RemoveClassesRootKey(root)) return false;
    return true;
}
