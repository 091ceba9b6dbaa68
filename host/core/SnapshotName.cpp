#include "host/core/SnapshotName.h"

#include "host/core/CaptureName.h"

std::string SnapshotName(const std::string& host, std::time_t when) { return CaptureName(host, when, ".png"); }

std::string SnapshotName(const std::string& host, std::time_t when, int attempt)
{
    const std::string name = SnapshotName(host, when);
    if (attempt <= 1) return name;
    return name.substr(0, name.size() - 4) + "-" + std::to_string(attempt) + ".png";
}

std::string SnapshotNotice(const std::vector<std::string>& written, std::size_t attempted, const std::string& folder)
{
    if (written.empty()) return "could not write a snapshot into " + folder;
    std::string notice = written.size() == 1 ? "snapshot saved to " + written.front()
                                             : std::to_string(written.size()) + " snapshots saved to " + folder;
    if (attempted > written.size()) notice += ", " + std::to_string(attempted - written.size()) + " could not be written";
    return notice;
}
