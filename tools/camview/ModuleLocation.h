// Where camview finds the control module it registers when a page's
// control is not registered yet.
#pragma once

#include <string>

// The installed module, at `installedRelative` from the folder of the
// running executable (bin/ -> lib/camview/VE_VIRIZU.OCX), when it is
// there: an installed camview, wherever its tree was copied to, uses the
// module installed with it. Otherwise `buildPath`, the module of the build
// this camview came from.
std::string ControlModulePath(const std::string& buildPath, const std::string& installedRelative);

// The folder of the running executable, from /proc/self/exe ("" when it
// cannot be read).
std::string ExecutableDirectory();
