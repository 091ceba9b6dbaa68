#include "host/linux/container/Snapshot.h"
#include "platform/gdi/linux/StandInGdi.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

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
