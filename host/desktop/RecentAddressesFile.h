// Where the Linux viewer keeps the addresses opened lately:
// $XDG_CONFIG_HOME/camview/recent, else ~/.config/camview/recent.
#pragma once

#include <string>

std::string RecentAddressesFile();
