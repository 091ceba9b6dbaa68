// AfxMessageBox on Windows: Windows' own message box, owned by no window.
#include "platform/framework/AfxMessageBox.h"

int AfxMessageBox(const std::string& text, UINT type) { return ::MessageBoxA(nullptr, text.c_str(), "", type); }
