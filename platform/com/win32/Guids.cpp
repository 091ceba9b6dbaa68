// Service identifiers that Windows' headers declare but its uuid library
// does not hold.
#include "platform/com/ServiceProvider.h"

extern "C" const GUID SID_STopLevelBrowser = {0x4C96BE40, 0x915C, 0x11CF, {0x99, 0xD3, 0x00, 0xAA, 0x00, 0x4A, 0xE8, 0x37}};
