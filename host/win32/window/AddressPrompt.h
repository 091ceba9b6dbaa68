// The address the Windows viewer asks for when started without one, or
// when the last address could not be shown: a dialog (made from a template
// in memory) with the reason, a box to type the camera's address in or
// pick one of the addresses that worked lately (the newest offered, its
// text selected; Ctrl+A selects it again), Open and Cancel.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Control identifiers, for a test that answers the dialog.
constexpr int kAddressNoticeId = 100;
constexpr int kAddressBoxId = 101;
constexpr wchar_t kAddressPromptTitle[] = L"camview - open a camera";

// The address typed or picked, read as the command line reads one
// (TypedAddress), or with `asText` the text as typed (a camera's name);
// empty when cancelled.
std::string AskAddress(HWND owner, const std::vector<std::string>& recent, const std::string& notice, bool asText = false);
