// Where the Windows viewer keeps what it writes for the user: snapshots in
// the user's Pictures folder, the addresses opened lately in the user's
// application data (camview\recent-addresses), both as the shell names
// them for this user (SHGetKnownFolderPath). UTF-8 paths.
#pragma once

#include <filesystem>
#include <string>

// The Pictures folder (made when missing); empty when the shell has none.
std::string PicturesFolder();

// The file of the recent addresses: camview\recent-addresses in the
// roaming application data, else in the local one.
std::filesystem::path RecentAddressesFile();

// A UTF-8 path as the file system's path.
std::filesystem::path PathOf(const std::string& utf8);
