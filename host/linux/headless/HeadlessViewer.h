// camview without a window: hosts the controls of a viewer page, paints
// them into an off-screen surface, replays timed input, and reports what
// happened.
#pragma once

#include <string>

#include "host/core/CamviewOptions.h"

// Returns the process exit code: 0 when a picture was drawn, 1 otherwise
// (after printing the controls' status text), 2 for a page without controls
// or unusable options.
// modulePath: the control module, registered when needed.
int RunHeadless(const CamviewOptions& options, const std::string& modulePath);
