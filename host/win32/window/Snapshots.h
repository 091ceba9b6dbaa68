// Snapshots from the Windows viewer's window: each camera's picture as the
// control draws it now, at the control's own size, a PNG in a folder, named
// as both viewers name them (host/core/SnapshotName.h).
#pragma once

#include <ctime>
#include <string>
#include <vector>

class Canvas;
class Container;

// Writes the picture into `folder` under the camera's name for `when` (the
// first of "-2", "-3", ... not taken); the file's UTF-8 path, empty when it
// could not be written.
std::string WriteSnapshot(const Canvas& picture, const std::string& folder, const std::string& host, std::time_t when);

// The cameras' pictures (their indexes) into `folder`; the paths written.
std::vector<std::string> WriteSnapshots(const Container& container, const std::vector<std::size_t>& cameras,
                                        const std::string& folder, std::time_t when);
