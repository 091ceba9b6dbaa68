// What a trace needs from the operating system: the environment's VE_TRACE,
// the calling thread's id and standard error (linux/ and win32/ each).
#pragma once

#include <cstddef>
#include <string>

std::string traceSetting();
unsigned long traceThreadId();
void traceWrite(const char* text, std::size_t length);
