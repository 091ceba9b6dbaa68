// The control module's resources: its string table, the three zoom cursors
// and the toolbox bitmap, registered under the module's instance handle.
#pragma once

#include "platform/win/WinTypes.h"

// A dialog of the module: its caption and its one static text.
struct DialogResource {
    WORD id;
    const char* caption;
    const char* text;
};
// The about box, which nothing shows (the control dispatches no AboutBox).
extern const DialogResource kAboutBoxDialog;
// The property page's dialog.
extern const DialogResource kPropPageDialog;

void RegisterImageCtrlResources(HINSTANCE module);
void UnregisterImageCtrlResources(HINSTANCE module);
