// The entry point of camview-window.so: the desktop viewer, run with the
// options camview parsed.
#include "host/linux/window/SdlFace.h"
#include "tools/camview/WindowModule.h"

extern "C" __attribute__((visibility("default"))) int CamviewRunWindow(const CamviewOptions* options,
                                                                       const char* modulePath)
{
    return options && modulePath ? RunDesktop(*options, modulePath) : 2;
}
