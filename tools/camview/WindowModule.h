// The window face of camview lives in a module of its own
// (camview-window.so), loaded only when a window is opened: a headless run
// then starts without SDL2, X11 and the forty-odd libraries they bring.
#pragma once

#include <string>

#include "host/core/CamviewOptions.h"

// The module's one entry point, looked up by this name.
#define CAMVIEW_WINDOW_ENTRY "CamviewRunWindow"
extern "C" {
using CamviewRunWindowProc = int (*)(const CamviewOptions* options, const char* modulePath);
}

// Loads the window module at `path` and runs the desktop viewer in it;
// RunDesktop's exit codes, or 2 (with the reason on stderr) when the
// module cannot be loaded.
int RunWindowModule(const std::string& path, const CamviewOptions& options, const std::string& modulePath);
