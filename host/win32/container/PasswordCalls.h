// A hosted control's password prompt. Its module's InternetErrorDlg is
// pointed here: a request the camera refused for want of a password is
// answered by the viewer's CameraCredentials, as the real dialog answers
// it (the user name and password set on the request, which is then sent
// again), so that the Windows viewer gives credentials by the same rule
// as the Linux one. Other errors go to the real InternetErrorDlg.
#pragma once

#include <windows.h>

#include <memory>

#include "host/core/CameraCredentials.h"

// Who answers from now on (null: the real dialog, as before).
void AnswerPasswordsWith(std::shared_ptr<CameraCredentials> credentials);
// Points `module`'s InternetErrorDlg here; false when it imports none.
bool AnswerPasswordCalls(HMODULE module);
// Where no one can answer a dialog (headless, the service), cancels each
// one this process has open, as a control's internet layer opens them.
void CancelOwnDialogs();
