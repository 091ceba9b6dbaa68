#include "platform/service/PrivateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool WritePrivateFile(const std::filesystem::path& file, const std::string& text)
{
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    const std::string fresh = file.string() + ".new";
    // A file left there (a crash, or planted) is never written through:
    // someone may hold it open, or it may point elsewhere.
    unlink(fresh.c_str());
    const int fd = open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool written = fchmod(fd, 0600) == 0;
    for (std::size_t at = 0; written && at < text.size();) {
        const ssize_t n = write(fd, text.data() + at, text.size() - at);
        if (n <= 0) written = false;
        else at += static_cast<std::size_t>(n);
    }
    written = fsync(fd) == 0 && written;
    written = close(fd) == 0 && written;
    if (written && rename(fresh.c_str(), file.c_str()) == 0) return true;
    unlink(fresh.c_str());
    return false;
}

bool OthersMayAccess(const std::filesystem::path& file)
{
    struct stat info {};
    return stat(file.c_str(), &info) != 0 || (info.st_mode & (S_IRWXG | S_IRWXO)) != 0;
}
