// Files only their owner may read: a service's secrets at rest.
#pragma once

#include <filesystem>
#include <string>

// Writes `text` to `file` whole (beside it first, then renamed over it),
// readable and writable by its owner only from the first byte.
bool WritePrivateFile(const std::filesystem::path& file, const std::string& text);
// Whether anyone but the owner may read or change `file`.
bool OthersMayAccess(const std::filesystem::path& file);
