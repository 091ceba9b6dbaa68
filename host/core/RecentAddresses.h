// The camera addresses a person opened lately, newest first, kept in a file
// one a line: only addresses that were shown (the viewer remembers one
// once its page worked, the command line's too), each once, eight at most.
// Where the file lives is each face's: $XDG_CONFIG_HOME/camview/recent on
// Linux, the application-data folder on Windows (host/core/UserFolders.h).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class RecentAddresses {
public:
    static constexpr std::size_t kKept = 8;

    // Reads the list from `file` (none yet: an empty list).
    explicit RecentAddresses(std::filesystem::path file);

    const std::vector<std::string>& list() const { return m_list; }
    // Puts the address first (once) and writes the file; false when it
    // could not be written or is no address to keep (empty, or more than
    // one line).
    bool remember(const std::string& address);

private:
    std::filesystem::path m_file;
    std::vector<std::string> m_list;
};
