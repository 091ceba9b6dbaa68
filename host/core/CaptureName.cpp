#include "host/core/CaptureName.h"

#include <cctype>

std::string CaptureName(const std::string& host, std::time_t when, const char* extension)
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
    return "camview-" + safe + "-" + stamp + extension;
}
