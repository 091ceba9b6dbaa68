#include "host/desktop/RecentAddressesFile.h"

#include <cstdlib>

std::string RecentAddressesFile()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = config && *config ? config : std::string(home && *home ? home : ".") + "/.config";
    return base + "/camview/recent";
}
