// What both viewers name a snapshot file: the camera's host and the local
// time, so that the files of one camera sort by when they were taken.
#pragma once

#include <ctime>
#include <string>
#include <vector>

// "camview-HOST-YYYYmmdd-HHMMSS.png" in local time; characters of the host
// that do not belong in a file name (the port's colon, brackets) become '_'.
std::string SnapshotName(const std::string& host, std::time_t when);

// The name of the attempt'th file for the same camera and second: the
// name itself for the first, then with "-2", "-3", ... before ".png", so
// that no snapshot overwrites another.
std::string SnapshotName(const std::string& host, std::time_t when, int attempt);

// What the status line says after the snapshot key: where the file went
// ("snapshot saved to PATH"), how many went into the folder, or that none
// could be written there. attempted: how many files were to be written.
std::string SnapshotNotice(const std::vector<std::string>& written, std::size_t attempted, const std::string& folder);
