// camview: the viewer for a camera's page. It loads the page, hosts the
// controls it embeds and shows their pictures in a window, or, with
// --headless, runs the same container without one.
#include <csignal>
#include <string>

#include "host/linux/headless/HeadlessViewer.h"
#include "host/core/serve/AddUser.h"
#include "host/linux/serve/LinuxServe.h"
#include "tools/camview/ModuleLocation.h"
#include "tools/camview/WindowModule.h"
#include "host/core/CamviewOptions.h"
#include "host/core/Wall.h"

int main(int argc, char** argv)
{
    // A reader of the report that goes away must not kill the viewer
    // mid-recording: the failed write says so instead, and the run ends
    // with every file closed.
    std::signal(SIGPIPE, SIG_IGN);
    CamviewOptions c;
    const int status = ParseCamviewOptions(argc, argv, VE_VERSION, c);
    if (status >= 0) return status;
    if (const int walls = ApplyWallOptions(c); walls >= 0) return walls;
    const std::string modulePath = ControlModulePath(VE_MODULE_PATH, VE_MODULE_INSTALLED);
    if (c.serve && !c.addUser.empty()) return RunAddServeUser(c.addUser, c.usersFile);
    if (c.serve) return RunServe(c, modulePath);
    if (c.headless) return RunHeadless(c, modulePath);
    return RunWindowModule(ControlModulePath(VE_WINDOW_MODULE_PATH, VE_WINDOW_MODULE_INSTALLED), c, modulePath);
}
