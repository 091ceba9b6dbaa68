#include "host/core/SnapshotName.h"

#include <cctype>

std::string SnapshotName(const std::string& host, std::time_t when)
{
    std::string safe = host.empty() ? "camera" : host;
    for (char& c : safe)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-') c = '_';
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &when);
#else
    localtime_r(&when, &local);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return "camview-" + safe + "-" + stamp + ".png";
}

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
