#include "host/desktop/Snapshot.h"
#include "platform/gdi/linux/StandInGdi.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
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

std::string WriteSnapshot(const Surface& surface, const RECT& rect, const std::string& folder, const std::string& host,
                          std::time_t when)
{
    const RECT r{std::max<LONG>(rect.left, 0), std::max<LONG>(rect.top, 0), std::min<LONG>(rect.right, surface.width()),
                 std::min<LONG>(rect.bottom, surface.height())};
    if (r.right <= r.left || r.bottom <= r.top) return {};
    Surface part(r.right - r.left, r.bottom - r.top);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) part.setRgb(x - r.left, y - r.top, surface.rgb(x, y));

    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::string name = SnapshotName(host, when);
    std::string path = folder + "/" + name;
    for (int n = 2; std::filesystem::exists(path, error); ++n) path = folder + "/" + SnapshotName(host, when, n);
    // Written under a hidden name and then renamed, so that nobody finds a
    // half-written picture under the final name.
    const std::string partial = folder + "/." + name + ".partial";
    if (!standin::WriteSurfacePng(part, partial)) return {};
    std::filesystem::rename(partial, path, error);
    if (error) {
        std::filesystem::remove(partial, error);
        return {};
    }
    return path;
}
