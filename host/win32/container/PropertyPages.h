// A control's property pages: each page's title and description, and,
// when the viewer has a window to show it in, the property frame itself.
#pragma once

#include <ole2.h>

#include <functional>
#include <string>

// Asks the control for its pages, creates each, gives it the control and
// reports its title and description; with `show`, then shows them in the
// system's property frame over `owner` (modal). Answers S_OK when any page
// was found.
HRESULT ShowPropertyPages(IUnknown* control, HWND owner, bool show,
                          const std::function<void(const std::string& title, const std::string& text)>& onPage);
