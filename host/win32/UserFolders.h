// The user's folders on Windows, as the shell names them for this user
// (SHGetKnownFolderPath): Pictures (made when missing; empty when the
// shell has none), Videos (else the current folder), and the recent
// addresses in camview\recent-addresses of the roaming application data,
// else the local one.
#pragma once

#include <filesystem>
#include <string>

#include "host/core/UserFolders.h"



// A UTF-8 path as the file system's path.
std::filesystem::path PathOf(const std::string& utf8);
