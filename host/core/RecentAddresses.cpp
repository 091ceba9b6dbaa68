#include "host/core/RecentAddresses.h"

#include <algorithm>
#include <fstream>

namespace {
// A line longer than this is no address anyone typed: not offered.
constexpr std::size_t kLongestAddress = 2000;
} // namespace

RecentAddresses::RecentAddresses(std::filesystem::path file) : m_file(std::move(file))
{
    std::ifstream in(m_file);
    std::string line;
    while (m_list.size() < kKept && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.size() > kLongestAddress) continue;
        if (std::find(m_list.begin(), m_list.end(), line) == m_list.end()) m_list.push_back(line);
    }
}

bool RecentAddresses::remember(const std::string& address)
{
    if (address.empty() || address.size() > kLongestAddress || address.find_first_of("\r\n") != std::string::npos)
        return false;
    m_list.erase(std::remove(m_list.begin(), m_list.end(), address), m_list.end());
    m_list.insert(m_list.begin(), address);
    if (m_list.size() > kKept) m_list.resize(kKept);
    std::error_code error;
    std::filesystem::create_directories(m_file.parent_path(), error);
    // Written whole to a new file, then moved over the old one.
    std::filesystem::path temporary = m_file;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::trunc | std::ios::binary);
        for (const auto& a : m_list) out << a << '\n';
        if (!out) return false;
    }
    std::filesystem::rename(temporary, m_file, error);
    return !error;
}
