// camview's window: the controls' grid (or one camera alone) scaled to the
// window with its shape kept, the "Message" frame's text below it and a
// status line at the bottom, both the window's width. Started without an
// address, or given one it cannot show, it asks for one (saying why) in
// the address dialog. Keys as in the Linux window (host/core/ViewerCommand.h):
// f, F11 or a double click on the status line full screen (Esc leaves it),
// 1 ... 9 one camera alone and 0 the grid, s snapshots into the Pictures
// folder, p the property frame, Esc stops the streams, h, ? or F1 list the
// keys, q quits.
#pragma once

#include <string>

#include "host/container/CamviewOptions.h"

// The exit status: 0 when closed after the page was shown (or the address
// dialog cancelled before any page was tried), else that of the last page
// tried: 1 when it could not be fetched, 2 when it held no control that
// could be made.
int RunWindow(const CamviewOptions& options, const std::string& modulePath);
