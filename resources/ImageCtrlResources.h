// The control module's resources: its string table, the three zoom cursors
// and the toolbox bitmap, registered under the module's instance handle.
#pragma once

#include "platform/win/WinTypes.h"

void RegisterImageCtrlResources(HINSTANCE module);
void UnregisterImageCtrlResources(HINSTANCE module);
