// camview's window: the controls active in place in a grid, the "Message"
// frame's text below them and a status line at the bottom. Keys: Esc stops
// the streams, p shows the property frame of the control under the
// pointer, f toggles full screen, q quits.
#pragma once

#include <string>

#include "host/container/CamviewOptions.h"

// The exit status: 0 when closed after the page was shown, 1 when the page
// could not be fetched, 2 when it held no control that could be made.
int RunWindow(const CamviewOptions& options, const std::string& modulePath);
