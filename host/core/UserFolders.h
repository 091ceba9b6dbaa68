// Where the viewer keeps what it writes for the user, as each platform
// names the folders: snapshots in the user's pictures folder, recordings
// in the videos folder, the addresses opened lately in the user's own
// settings. UTF-8 paths.
#pragma once

#include <filesystem>
#include <string>

std::string PicturesFolder();
std::string VideosFolder();
std::filesystem::path RecentAddressesFile();
