// The service's own page, built into the program: nothing is fetched from
// elsewhere, so it works without the internet.
#pragma once

#include <string_view>

struct PageAsset {
    std::string_view path, type, body;
};

// The asset served at `path` ("/", "/app.js", "/style.css", "/login"), or null.
const PageAsset* FindPageAsset(std::string_view path);
