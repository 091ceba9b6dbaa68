#include "tools/camview/ModuleLocation.h"

#include <climits>
#include <unistd.h>

std::string ExecutableDirectory()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    const std::string exe(path, static_cast<std::size_t>(n));
    const auto slash = exe.rfind('/');
    return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

std::string ControlModulePath(const std::string& buildPath, const std::string& installedRelative)
{
    if (!installedRelative.empty()) {
        const std::string dir = ExecutableDirectory();
        if (!dir.empty()) {
            const std::string installed = dir + "/" + installedRelative;
            if (access(installed.c_str(), R_OK) == 0) return installed;
        }
    }
    return buildPath;
}
