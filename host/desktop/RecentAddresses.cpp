#include "host/desktop/RecentAddresses.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

std::string RecentAddresses::DefaultFile()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = config && *config ? config : std::string(home && *home ? home : ".") + "/.config";
    return base + "/camview/recent";
}

RecentAddresses::RecentAddresses() : RecentAddresses(DefaultFile()) {}

RecentAddresses::RecentAddresses(std::string file) : m_file(std::move(file))
{
    std::ifstream in(m_file);
    std::string line;
    while (m_list.size() < kKept && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && std::find(m_list.begin(), m_list.end(), line) == m_list.end()) m_list.push_back(line);
    }
}

bool RecentAddresses::remember(const std::string& address)
{
    if (address.empty() || address.find('\n') != std::string::npos) return false;
    m_list.erase(std::remove(m_list.begin(), m_list.end(), address), m_list.end());
    m_list.insert(m_list.begin(), address);
    if (m_list.size() > kKept) m_list.resize(kKept);
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(m_file).parent_path(), error);
    // Written whole to a new file, then moved over the old one.
    const std::string temporary = m_file + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        for (const auto& a : m_list) out << a << '\n';
        if (!out) return false;
    }
    std::filesystem::rename(temporary, m_file, error);
    return !error;
}
