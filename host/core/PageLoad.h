// What the viewer is asked to show, as either platform's page fetch hands
// it over: a viewer page fetched and read for its OBJECTs, or one control
// given its PARAMs on the command line.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/page/ViewerPage.h"

using PageParams = std::vector<std::pair<std::string, std::string>>;

struct PageLoad {
    std::vector<EmbeddedObject> objects;
    std::string name;  // the page's address, or "the parameters"
    std::string error; // set when the page could not be fetched or read
};
