// The string table, the zoom pointers and the toolbox bitmap under the
// module's instance handle. On Windows the resource compiler links them
// into the module (VE_VIRIZU.rc); here they are registered with the
// stand-in at module start. Both take the numbers and texts from
// ResourceIds.h and the pictures from Pictures.cpp.
#include "resources/ImageCtrlResources.h"

#include "control/ImageCtrlIds.h"
#include "resources/ResourceIds.h"

#ifndef _WIN32
#include <utility>

#include "platform/window/Cursor.h"
#include "platform/window/StringResources.h"
#include "resources/Pictures.h"
#include "platform/window/linux/StandInWindow.h"
#endif

// The C++ names of the numbers are the resource script's numbers.
static_assert(IDS_IMAGECTRL == VE_RC_IDS_IMAGECTRL);
static_assert(IDS_IMAGECTRL_PPG == VE_RC_IDS_IMAGECTRL_PPG);
static_assert(IDS_IMAGECTRL_PPG_CAPTION == VE_RC_IDS_IMAGECTRL_PPG_CAPTION);
static_assert(IDB_IMAGECTRL == VE_RC_IDB_IMAGECTRL);
static_assert(IDI_ZOOM == VE_RC_IDI_ZOOM);
static_assert(IDI_ZOOM_IN == VE_RC_IDI_ZOOM_IN);
static_assert(IDI_ZOOM_OUT == VE_RC_IDI_ZOOM_OUT);
static_assert(IDD_ABOUTBOX_IMAGECTRL == VE_RC_IDD_ABOUTBOX_IMAGECTRL);
static_assert(IDD_PROPPAGE_IMAGECTRL == VE_RC_IDD_PROPPAGE_IMAGECTRL);
// The string that is not in the table is none of those that are.
static_assert(IDS_SOCKETS_INIT_FAILED != VE_RC_IDS_IMAGECTRL && IDS_SOCKETS_INIT_FAILED != VE_RC_IDS_IMAGECTRL_PPG &&
              IDS_SOCKETS_INIT_FAILED != VE_RC_IDS_IMAGECTRL_PPG_CAPTION);

const DialogResource kAboutBoxDialog = {IDD_ABOUTBOX_IMAGECTRL, VE_RC_TEXT_ABOUTBOX_CAPTION, VE_RC_TEXT_ABOUTBOX};
const DialogResource kPropPageDialog = {IDD_PROPPAGE_IMAGECTRL, VE_RC_TEXT_IMAGECTRL_PPG_CAPTION, VE_RC_TEXT_PROPPAGE};

#ifdef _WIN32

// The resource compiler has linked them into the module.
void RegisterImageCtrlResources(HINSTANCE) {}
void UnregisterImageCtrlResources(HINSTANCE) {}

#else

namespace {

IconImage iconOf(ResourcePicture picture)
{
    IconImage icon;
    icon.width = picture.width;
    icon.height = picture.height;
    icon.hotspotX = picture.hotspotX;
    icon.hotspotY = picture.hotspotY;
    icon.argb = std::move(picture.argb);
    return icon;
}

} // namespace

void RegisterImageCtrlResources(HINSTANCE module)
{
    standin::RegisterStringResource(module, IDS_IMAGECTRL, VE_RC_TEXT_IMAGECTRL);
    standin::RegisterStringResource(module, IDS_IMAGECTRL_PPG, VE_RC_TEXT_IMAGECTRL_PPG);
    standin::RegisterStringResource(module, IDS_IMAGECTRL_PPG_CAPTION, VE_RC_TEXT_IMAGECTRL_PPG_CAPTION);
    standin::RegisterIconResource(module, IDI_ZOOM, iconOf(DrawZoomPicture(0)));
    standin::RegisterIconResource(module, IDI_ZOOM_IN, iconOf(DrawZoomPicture(1)));
    standin::RegisterIconResource(module, IDI_ZOOM_OUT, iconOf(DrawZoomPicture(-1)));
    standin::RegisterIconResource(module, IDB_IMAGECTRL, iconOf(DrawToolboxPicture()));
}

void UnregisterImageCtrlResources(HINSTANCE module)
{
    standin::UnregisterStringResources(module);
    standin::UnregisterIconResources(module);
}

#endif
