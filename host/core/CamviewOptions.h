// camview's command line, the same on Linux and Windows: the page or the
// PARAMs, the user, the report, and the headless run's limits, snapshots
// and input script.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/core/ViewerAddress.h"
#include "host/core/page/PageLoad.h"
#include "platform/tap/ViewTuning.h"

struct CamviewOptions {
    std::vector<PageSource> sources;                         // what to show: one address, or a wall of several
    std::vector<GivenUser> givenUsers;                       // NAME:PASSWORD given for an address's origin
    std::string wall;                                        // --wall NAME: the wall saved under this name
    bool listWalls = false;
    std::string pageUrl;                                     // the first address (a viewer page to load)
    std::vector<std::pair<std::string, std::string>> params; // or one control with these PARAMs
    std::string user;                                        // NAME:PASSWORD for the password prompt
    bool events = false;                                     // JSON lines on standard output
    bool headless = false;
    double durationSeconds = 5; // headless: how long to run
    long frames = -1;           // headless: stop after this many frames drawn (all controls)
    std::string snapshot;       // headless: PNG written at the end
    long snapshotEvery = 0;     // headless: also write a PNG after every this many frames...
    std::string snapshotDir;    // ...into this folder
    std::string inputFile;      // headless: timed input to replay
    std::string record;         // the cameras' frames recorded into this Matroska file from the start
    std::vector<std::string> allowedClasses; // control classes a page may load besides the image control
    bool reconnect = false;     // a camera whose stream ended is made again (window default; headless with --reconnect)
    unsigned threads = 0;       // UI threads the controls live on (0: the face's default)
    DWORD tuning = VIEW_TUNE_ALL; // what the controls are asked to do beyond their own (--tune)
    bool fullScreen = false;    // window: start full screen
    bool hiddenStreamsStop = false; // window: a camera hidden behind one shown alone is stopped (default on)
    int width = 0;              // window: the size asked with --geometry (0: the page's)
    int height = 0;
    bool placed = false;        // window: --geometry gave a place too
    int x = 0;
    int y = 0;
    // camview serve: the cameras to browsers over HTTP.
    bool serve = false;
    std::string listen = "127.0.0.1:8080"; // HOST:PORT
    std::string certificate;               // PEM files for TLS (required off loopback)
    std::string key;
    std::string usersFile;                 // the logins (empty: the default file)
    std::string addUser;                   // --add-user NAME: add a login and end
};

// Reads the command line into `options`. Returns -1 when the viewer should
// run; otherwise the exit status to end with at once (0 after --help or
// --version, 2 after a usage error, whose text it has printed).
int ParseCamviewOptions(int argc, char** argv, const char* version, CamviewOptions& options);

// The command line's NAME:PASSWORD for `pageUrl`, an address typed into the
// window: given with an address, they belong to its origin alone; given
// without one, to the address typed. Empty when they are not its.
std::string GivenUserFor(const CamviewOptions& options, const std::string& pageUrl);
