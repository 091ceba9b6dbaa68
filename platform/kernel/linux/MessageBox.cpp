#include "platform/kernel/linux/StandInKernel.h"

#include <cstdio>
#include <mutex>

namespace {
std::mutex g_mutex;
standin::MessageBoxHandler& handlerSlot()
{
    static standin::MessageBoxHandler handler;
    return handler;
}
} // namespace

void standin::SetMessageBoxHandler(standin::MessageBoxHandler handler)
{
    std::lock_guard lock(g_mutex);
    handlerSlot() = std::move(handler);
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    standin::MessageBoxHandler handler;
    {
        std::lock_guard lock(g_mutex);
        handler = handlerSlot();
    }
    const std::string t = text ? text : "";
    const std::string c = caption ? caption : "";
    if (handler) return handler(owner, t, c, type);
    std::fprintf(stderr, "%s%s%s\n", c.c_str(), c.empty() ? "" : ": ", t.c_str());
    return IDOK;
}
