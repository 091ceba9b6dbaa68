// What registering the control module writes into the registry, and
// removes again.
#pragma once

#include <string>

#include "platform/win/WinError.h"

// Each returns true when every write succeeded.
bool RegisterTypeLibrary(const std::string& modulePath);
bool UnregisterTypeLibrary();
bool RegisterClasses(const std::string& modulePath);
bool UnregisterClasses();
