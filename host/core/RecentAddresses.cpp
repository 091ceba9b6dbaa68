#include "host/core/RecentAddresses.h"

#include <algorithm>
#include <fstream>

#include "host/core/ViewerAddress.h"

namespace {
// A line longer than this is no address anyone typed: not offered.
constexpr std::size_t kLongestAddress = 2000;
// An address as the list keeps it: without the user information a file
// written before may hold.
std::string withoutCredentials(const std::string& address)
{
    return address.find('@') == std::string::npos ? address : ReadViewerAddress(address).url;
}
} // namespace

RecentAddresses::RecentAddresses(std::filesystem::path file) : m_file(std::move(file))
{
    std::ifstream in(m_file);
    std::string line;
    while (m_list.size() < kKept && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line.size() > kLongestAddress) continue;
        line = withoutCredentials(line);
        if (std::find(m_list.begin(), m_list.end(), line) == m_list.end()) m_list.push_back(line);
    }
}

bool RecentAddresses::remember(const std::string& address)
{
    if (address.empty() || address.size() > kLongestAddress || address.find_first_of("\r\n") != std::string::npos)
        return false;
    const std::string kept = withoutCredentials(address);
    m_list.erase(std::remove(m_list.begin(), m_list.end(), kept), m_list.end());
    m_list.insert(m_list.begin(), kept);
    if (m_list.size() > kKept) m_list.resize(kKept);
    std::error_code error;
    // The folder and the file are the user's alone.
    namespace fs = std::filesystem;
    fs::create_directories(m_file.parent_path(), error);
    fs::permissions(m_file.parent_path(), fs::perms::owner_all, fs::perm_options::replace, error);
    // Written whole to a new file, then moved over the old one.
    std::filesystem::path temporary = m_file;
    temporary += ".new";
    {
        std::ofstream out(temporary, std::ios::trunc | std::ios::binary);
        fs::permissions(temporary, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace, error);
        if (error) return false;
        for (const auto& a : m_list) out << a << '\n';
        if (!out) return false;
    }
    fs::rename(temporary, m_file, error);
    return !error;
}
