// Keys under HKEY_CLASSES_ROOT, as registration writes and removes them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/registry/Registry.h"

// Creates the key and sets its string values (an empty name is the default
// value); true when every write succeeded.
bool WriteClassesRootKey(const std::string& path, const std::vector<std::pair<std::string, std::string>>& values);
// Removes the key and everything under it; a key that is not there is no
// failure.
bool RemoveClassesRootKey(const std::string& path);
