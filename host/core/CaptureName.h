// The name of a file the viewer makes from what a camera shows (a snapshot,
// a recording): "camview-HOST-YYYYmmdd-HHMMSS" and the extension, in local
// time; characters of the host that do not belong in a file name (the
// port's colon, brackets) become '_'.
#pragma once

#include <ctime>
#include <string>

std::string CaptureName(const std::string& host, std::time_t when, const char* extension);
