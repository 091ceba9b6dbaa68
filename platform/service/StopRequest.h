// A long-running service asked to end by its system: SIGTERM or Ctrl-C on
// Linux; Ctrl-C, Ctrl-Break, the console closed, log-off or shut-down on
// Windows. The service looks at the request on its own loop and ends there.
#pragma once

// Takes those requests from now on (once per process).
void WatchStopRequests();
// Whether one came.
bool StopRequested();
