#include "host/win32/UserFolders.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "host/win32/Utf.h"

namespace {

std::wstring knownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path)) && path) folder = path;
    CoTaskMemFree(path);
    return folder;
}

} // namespace

std::string PicturesFolder() { return Narrow(knownFolder(FOLDERID_Pictures)); }

std::string VideosFolder()
{
    const std::wstring folder = knownFolder(FOLDERID_Videos);
    return folder.empty() ? std::string(".") : Narrow(folder);
}

std::filesystem::path RecentAddressesFile()
{
    std::wstring base = knownFolder(FOLDERID_RoamingAppData);
    if (base.empty()) base = knownFolder(FOLDERID_LocalAppData);
    if (base.empty()) return {};
    return std::filesystem::path(base) / L"camview" / L"recent-addresses";
}

std::filesystem::path PathOf(const std::string& utf8) { return std::filesystem::path(Widen(utf8)); }
