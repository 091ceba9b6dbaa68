// The Linux stand-in's own registry calls: where its file is, and a way for
// tests to make writes fail. Not Windows calls, so they live in namespace
// standin; only the stand-in's own side calls them.
#pragma once

#include <string>

#include "platform/registry/Registry.h"

namespace standin {

// For the registry's owner and for tests.
std::string RegistryPath();
// Makes the registry refuse every write after `writes` more successful
// ones (a negative count lifts the limit).
void RegistryFailWritesAfter(int writes);

} // namespace standin
