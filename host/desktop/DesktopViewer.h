// camview's desktop window: every control of the page in a grid, the
// "Message" area below them and a status line (camera host, frames per
// second, last event). Mouse and wheel become the controls' window
// messages; p shows a control's property page, Esc stops the streams, q or
// closing the window quits.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct DesktopOptions {
    std::string pageUrl;
    std::vector<std::pair<std::string, std::string>> params;
    std::string user;       // NAME:PASSWORD; otherwise the prompt is asked in the window
    bool events = false;    // JSON lines on standard output as well
    std::string modulePath; // the control module, registered when needed
    std::vector<std::string> allowedClasses; // control classes a page may load besides the image control
    bool fullScreen = false; // start full screen
    int width = 0;           // the window's size asked for (0: the page's)
    int height = 0;
    bool placed = false;     // and its place
    int x = 0;
    int y = 0;
};

// Returns the process exit code: 0 after a clean quit, 1 when the page
// could not be loaded, 2 when there is no display or no control.
int RunDesktop(const DesktopOptions& options);
