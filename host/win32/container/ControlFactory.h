// Controls made through Windows' registry (host/core/ControlFactory.h), and
// the module a control's code lives in.
#pragma once

#include <ole2.h>

#include "host/core/ControlFactory.h"

// The module a COM object's code lives in (from its first interface's
// table); null when it cannot be told.
HMODULE ModuleOfObject(IUnknown* object);
