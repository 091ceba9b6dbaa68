// The trace's output on Windows: the thread's id, one WriteFile a line on
// the standard error handle.
#include "platform/trace/TraceOutput.h"

#include "platform/win/WinTypes.h"

std::string traceSetting()
{
    char value[512];
    const DWORD n = GetEnvironmentVariableA("VE_TRACE", value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

unsigned long traceThreadId() { return GetCurrentThreadId(); }

void traceWrite(const char* text, std::size_t length)
{
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(err, text, static_cast<DWORD>(length), &written, nullptr);
}
