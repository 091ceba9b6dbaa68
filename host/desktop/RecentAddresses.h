// The camera addresses a person opened lately, newest first, kept in
// $XDG_CONFIG_HOME/camview/recent (else ~/.config/camview/recent), one a
// line.
#pragma once

#include <string>
#include <vector>

class RecentAddresses {
public:
    static constexpr std::size_t kKept = 8;

    // The default file; `file` for tests.
    RecentAddresses();
    explicit RecentAddresses(std::string file);

    const std::vector<std::string>& list() const { return m_list; }
    // Puts the address first (once) and writes the file; false when it
    // could not be written.
    bool remember(const std::string& address);

    static std::string DefaultFile();

private:
    std::string m_file;
    std::vector<std::string> m_list;
};
