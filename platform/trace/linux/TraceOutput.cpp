// The trace's output on Linux: the kernel's thread id, one write(2) a line.
#include "platform/trace/TraceOutput.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>

std::string traceSetting()
{
    const char* value = std::getenv("VE_TRACE");
    return value ? value : "";
}

unsigned long traceThreadId() { return static_cast<unsigned long>(syscall(SYS_gettid)); }

void traceWrite(const char* text, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(2, text, length);
        if (n <= 0) return;
        text += n;
        length -= static_cast<std::size_t>(n);
    }
}
