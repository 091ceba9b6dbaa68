// camview without a window for a person: the controls stay loaded in the
// viewer's hidden window and are drawn into a bitmap whenever their picture
// changes; timed input is replayed, snapshots written, and the run
// reported. A script that moves the mouse does so through the system's
// input, which reaches only windows on the screen: then the window is
// shown, on top, with the controls active in place in it.
#pragma once

#include <string>

#include "host/core/CamviewOptions.h"

// The process's exit status: 0 when a picture was drawn, 1 when the page
// could not be fetched or no picture was drawn (the reason printed), 2 for
// unusable options or a page without a control that can be made.
int RunHeadless(const CamviewOptions& options, const std::string& modulePath);
