// Windows' own COM and OLE headers. windows.h comes in lean (without COM,
// whose rpcndr `boolean` clashes with libjpeg's), so every COM header of
// ours includes this instead.
#pragma once

#include "platform/win/WinTypes.h"

#include <ole2.h>
#include <oleauto.h>
#include <olectl.h>
#include <ocidl.h>
#include <docobj.h>
#include <servprov.h>
#include <objsafe.h>
#include <exdisp.h>
#include <shlguid.h>
