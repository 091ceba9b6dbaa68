// Snapshots from the window: a PNG of one camera's cell or of the whole
// grid, in the user's pictures folder, named after the camera and the time.
#pragma once

#include "host/core/UserFolders.h"

#include <ctime>
#include <string>

#include "host/core/SnapshotName.h"
#include "platform/gdi/linux/StandInGdi.h"


// Writes the rectangle of the surface into the folder (made when missing),
// named by SnapshotName, and returns the file's path; empty when it could
// not be written.
std::string WriteSnapshot(const Surface& surface, const RECT& rect, const std::string& folder,
                          const std::string& host, std::time_t when);
