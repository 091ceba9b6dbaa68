// The one header the system includes for Windows types and constants.
#pragma once

#include "WinError.h"
#include "WinTypes.h"
#include "WinUser.h"
