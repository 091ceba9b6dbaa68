// What the viewer is asked to show, as either platform's page fetch hands
// it over: a viewer page fetched and read for its OBJECTs, or one control
// given its PARAMs on the command line.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/core/page/ViewerPage.h"

using PageParams = std::vector<std::pair<std::string, std::string>>;

struct PageLoad {
    std::vector<EmbeddedObject> objects;
    std::string name;  // the page's address, or "the parameters"
    std::string error; // set when the page could not be fetched or read
    std::string title; // the page's TITLE, if it has one
    std::string contentType; // of the page's answer, when it embedded nothing
};

// Why a page shows no control: it holds none that is registered, and when
// it embeds nothing at all and was no HTML, what it was instead.
std::string NoControlText(const PageLoad& page);

// One address of what the viewer shows: a viewer page, or one image
// control given its PARAMs (a picture stream's address, or --param).
struct PageSource {
    std::string url;   // never with credentials; empty for --param alone
    PageParams params; // the one control's PARAMs, for a stream address
    std::string name;  // the wall's name for the camera, or empty
    bool stream = false; // a picture stream's address given directly
    std::string user;  // the wall's user name for it (never a password), kept when the wall is saved again
};
