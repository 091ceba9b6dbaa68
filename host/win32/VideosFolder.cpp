#include "host/win32/VideosFolder.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "host/win32/Utf.h"

std::string VideosFolder()
{
    PWSTR path = nullptr;
    std::string folder = ".";
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Videos, KF_FLAG_CREATE, nullptr, &path)) && path) folder = Narrow(std::wstring(path));
    CoTaskMemFree(path);
    return folder;
}
