// Where the Windows viewer's recordings go: the user's Videos folder.
#pragma once

#include <string>

// The Videos known folder in UTF-8, else the current folder (".").
std::string VideosFolder();
