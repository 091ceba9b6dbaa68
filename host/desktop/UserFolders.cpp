#include "host/core/UserFolders.h"

#include <cstdlib>
#include <fstream>

namespace {

std::string home()
{
    const char* h = std::getenv("HOME");
    return h && *h ? h : ".";
}

// KEY="$HOME/Folder" (XDG_PICTURES_DIR, XDG_VIDEOS_DIR) from the user's
// user-dirs.dirs.
std::string fromUserDirs(const std::string& key)
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string file = (config && *config ? std::string(config) : home() + "/.config") + "/user-dirs.dirs";
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, key.size() + 1, key + "=") != 0) continue;
        std::string value = line.substr(key.size() + 1);
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        if (value.compare(0, 5, "$HOME") == 0) value = home() + value.substr(5);
        return value;
    }
    return {};
}

// $KEY, else the folder the user-dirs.dirs names, else ~/fallback.
std::string userFolder(const std::string& key, const char* fallback)
{
    if (const char* dir = std::getenv(key.c_str()); dir && *dir) return dir;
    const std::string named = fromUserDirs(key);
    return named.empty() ? home() + "/" + fallback : named;
}

} // namespace

std::string PicturesFolder() { return userFolder("XDG_PICTURES_DIR", "Pictures"); }

std::string VideosFolder() { return userFolder("XDG_VIDEOS_DIR", "Videos"); }


std::filesystem::path RecentAddressesFile()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = config && *config ? config : std::string(home && *home ? home : ".") + "/.config";
    return base + "/camview/recent";
}
