// The Linux stand-in's own kernel call: the container supplies the message
// box. Not a Windows call, so it lives in namespace standin; only the
// stand-in's own side calls it.
#pragma once

#include <functional>
#include <string>

#include "platform/kernel/MessageBox.h"

namespace standin {

using MessageBoxHandler = std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>;

// Installs the handler; null restores the default, which writes the text to
// standard error and answers IDOK.
void SetMessageBoxHandler(MessageBoxHandler handler);

} // namespace standin
