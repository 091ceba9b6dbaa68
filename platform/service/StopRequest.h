// A long-running service asked to end by its system: SIGTERM or Ctrl-C on
// Linux; Ctrl-C, Ctrl-Break, the console closed, log-off or shut-down on
// Windows. The service looks at the request on its own loop and ends there.
#pragma once

// Takes those requests from now on (once per process).
void WatchStopRequests();
// The same request from within (on Windows, the service's own window
// closed).
void RequestStop();
// Whether one came.
bool StopRequested();
