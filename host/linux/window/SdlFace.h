// camview's desktop window: every control of the page in a grid, the
// "Message" area below them and a status line (camera host, frames per
// second, last event). Mouse and wheel become the controls' window
// messages; p shows a control's property page, Esc stops the streams, q or
// closing the window quits.
#pragma once

#include <string>

#include "host/core/CamviewOptions.h"

// Returns the process exit code: 0 after a clean quit, 1 when the page
// could not be loaded, 2 when there is no display or no control.
// modulePath: the control module, registered when needed.
int RunDesktop(const CamviewOptions& options, const std::string& modulePath);
