#include "host/win32/window/Snapshots.h"

#include <windows.h>

#include "host/core/SnapshotName.h"
#include "host/win32/window/Canvas.h"
#include "host/win32/container/Container.h"
#include "host/win32/container/Utf.h"

namespace {
// More files of one camera in one second than anyone takes.
constexpr int kAttempts = 100;
} // namespace

std::string WriteSnapshot(const Canvas& picture, const std::string& folder, const std::string& host, std::time_t when)
{
    if (folder.empty()) return {};
    const std::wstring wideFolder = Widen(folder);
    CreateDirectoryW(wideFolder.c_str(), nullptr);
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        const std::string name = SnapshotName(host, when, attempt);
        const std::string path = folder + "\\" + name;
        if (GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        // Written under a hidden name and then renamed, so that nobody
        // finds a half-written picture under the final name.
        const std::string partial = folder + "\\." + name + ".partial";
        if (!picture.write(partial)) return {};
        if (MoveFileExW(Widen(partial).c_str(), Widen(path).c_str(), 0)) return path;
        DeleteFileW(Widen(partial).c_str());
        return {};
    }
    return {};
}

std::vector<std::string> WriteSnapshots(const Container& container, const std::vector<std::size_t>& cameras,
                                        const std::string& folder, std::time_t when)
{
    std::vector<std::string> written;
    for (std::size_t index : cameras) {
        const RECT cell = container.cell(index);
        const int width = cell.right - cell.left, height = cell.bottom - cell.top;
        if (width <= 0 || height <= 0) continue;
        Canvas picture(width, height);
        if (!picture.dc() || !container.draw(index, picture.dc(), RECT{0, 0, width, height})) continue;
        const std::string path = WriteSnapshot(picture, folder, container.cameraHost(index), when);
        if (!path.empty()) written.push_back(path);
    }
    return written;
}
