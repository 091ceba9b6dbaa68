// A wall: the cameras a person watches together, each with a name, kept in
// a file of its own that people can read and edit, one camera a line:
//
//     # camview wall
//     Front door = http://192.168.1.20/ImageViewer
//     Garage = 192.168.1.21 admin
//
// the name, "=", the address as typed, and optionally the user name. Never
// a password: a password lives in the system's secret store. The files are
// in the camview settings folder's "walls" (host/core/UserFolders.h).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/core/page/PageLoad.h"

struct CamviewOptions;

struct WallCamera {
    std::string name;
    std::string address; // as typed: a page, a bare host, a stream address
    std::string user;    // a user name, or empty
    bool operator==(const WallCamera&) const = default;
};

// Reads a wall file's text. False, with the line and why in `error`, for a
// line that is not a camera, an address with a password written in it, or
// a user given with one.
bool ReadWall(const std::string& text, std::vector<WallCamera>& cameras, std::string& error);
// The text of a wall file holding `cameras`.
std::string WallText(const std::vector<WallCamera>& cameras);

// Whether `name` can name a wall file: 1 to 64 letters, digits, blanks,
// '-', '_' and '.', not starting with '.' or a blank.
inline bool WallNameUsable(const std::string& name)
{
    if (name.empty() || name.size() > 64 || name.front() == '.' || name.front() == ' ') return false;
    for (const char c : name) {
        const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != ' ' && c != '-' && c != '_' && c != '.') return false;
    }
    return true;
}

// The walls' folder and the files in it.
std::filesystem::path WallsFolder();
// The walls saved, by name, sorted.
std::vector<std::string> SavedWalls();
// Reads the wall `name`; false with why (in words people read) in `error`.
bool LoadWall(const std::string& name, std::vector<WallCamera>& cameras, std::string& error);
// Writes the wall `name` (through a new file renamed over the old one) and
// remembers it as the last wall opened; false with why in `error`.
bool SaveWall(const std::string& name, const std::vector<WallCamera>& cameras, std::string& error);
// The wall opened last (empty when none), and remembering one.
std::string LastWall();
void RememberLastWall(const std::string& name);

// What --wall and --list-walls ask, done after the command line is read:
// the walls listed (exit status 0), a wall's cameras read into the
// sources (2 when it cannot be read), or the addresses given saved as the
// wall. -1 when the viewer goes on.
int ApplyWallOptions(CamviewOptions& options);

// The source a wall's camera is shown from.
PageSource WallSource(const WallCamera& camera);
// The sources of the wall `name`, which becomes the last wall opened;
// false with why in `error`.
bool OpenWall(const std::string& name, std::vector<PageSource>& sources, std::string& error);
