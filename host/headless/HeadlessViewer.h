// camview without a window: hosts the controls of a viewer page, paints
// them into an off-screen surface, replays timed input, and reports what
// happened.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct HeadlessOptions {
    std::string pageUrl;                                    // a viewer page to load
    std::vector<std::pair<std::string, std::string>> params; // or one control with these PARAMs
    double durationSeconds = 5;
    long frames = -1;          // stop after this many frames drawn (all controls)
    std::string snapshot;      // PNG written at the end
    long snapshotEvery = 0;    // also write a PNG after every this many frames...
    std::string snapshotDir;   // ...into this folder
    std::string inputFile;     // timed input to replay
    bool events = false;       // JSON lines on standard output
    std::string user;          // NAME:PASSWORD for the password prompt
    std::string modulePath;    // the control module, registered when needed
    std::vector<std::string> allowedClasses; // control classes a page may load besides the image control
};

// Returns the process exit code: 0 when a picture was drawn, 1 otherwise
// (after printing the controls' status text), 2 for a page without controls
// or unusable options.
int RunHeadless(const HeadlessOptions& options);
