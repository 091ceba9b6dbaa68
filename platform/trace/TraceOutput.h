// What a trace needs from the operating system: the environment's VE_TRACE,
// the calling thread's id and standard error (linux/ and win32/ each).
#pragma once

#include <cstddef>
#include <string>

std::string TraceSetting();
unsigned long TraceThreadId();
void TraceWrite(const char* text, std::size_t length);
