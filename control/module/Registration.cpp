#include "control/module/Registration.h"

#include "control/module/RegistryKeys.h"
#include "control/module/RegistryList.h"

bool WriteClassesRootKeys(const std::vector<RegistryKeyEntry>& keys)
{
    for (const RegistryKeyEntry& key : keys)
        if (!WriteClassesRootKey(key.path, key.values)) return false;
    return true;
}

bool RegisterClasses(const std::string& modulePath) { return WriteClassesRootKeys(ClassRegistryKeys(modulePath)); }

bool UnregisterClasses()
{
    for (const std::string& root : ClassRegistryRoots())
        if (!RemoveClassesRootKey(root)) return false;
    return true;
}
