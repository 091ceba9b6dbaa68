// camview: the viewer for a camera's page. It loads the page, hosts the
// controls it embeds and shows their pictures in a window, or, with
// --headless, runs the same container without one.
#include <string>

#include "host/desktop/DesktopViewer.h"
#include "host/headless/HeadlessViewer.h"
#include "tools/camview/ModuleLocation.h"
#include "host/container/CamviewOptions.h"

int main(int argc, char** argv)
{
    CamviewOptions c;
    const int status = ParseCamviewOptions(argc, argv, VE_VERSION, c);
    if (status >= 0) return status;
    const std::string modulePath = ControlModulePath(VE_MODULE_PATH, VE_MODULE_INSTALLED);
    if (c.headless) {
        HeadlessOptions o;
        o.pageUrl = c.pageUrl;
        o.params = c.params;
        o.durationSeconds = c.durationSeconds;
        o.frames = c.frames;
        o.snapshot = c.snapshot;
        o.snapshotEvery = c.snapshotEvery;
        o.snapshotDir = c.snapshotDir;
        o.inputFile = c.inputFile;
        o.events = c.events;
        o.user = c.user;
        o.modulePath = modulePath;
        o.allowedClasses = c.allowedClasses;
        return RunHeadless(o);
    }
    DesktopOptions d;
    d.pageUrl = c.pageUrl;
    d.params = c.params;
    d.user = c.user;
    d.events = c.events;
    d.modulePath = modulePath;
    d.allowedClasses = c.allowedClasses;
    d.fullScreen = c.fullScreen;
    d.width = c.width;
    d.height = c.height;
    d.placed = c.placed;
    d.x = c.x;
    d.y = c.y;
    return RunDesktop(d);
}
