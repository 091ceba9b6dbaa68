// What registering the control module writes into the registry, and
// removes again.
#pragma once

#include <string>
#include <vector>

#include "control/module/RegistryList.h"

#include "platform/win/WinError.h"

// Each returns true when every write succeeded.
bool RegisterTypeLibrary(const std::string& modulePath);
bool UnregisterTypeLibrary();
bool RegisterClasses(const std::string& modulePath);
bool UnregisterClasses();
// Writes each key with its values; false at the first that fails.
bool WriteClassesRootKeys(const std::vector<RegistryKeyEntry>& keys);
