#include "platform/window/StringResources.h"
#include "platform/window/linux/StandInWindow.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace {
struct Table {
    std::mutex mutex;
    std::map<std::pair<HINSTANCE, UINT>, std::string> strings;
};
Table& table()
{
    // Never destroyed: threads still running at exit may use it.
    static Table* t = new Table;
    return *t;
}
} // namespace

void standin::RegisterStringResource(HINSTANCE module, UINT id, const std::string& text)
{
    std::lock_guard lock(table().mutex);
    table().strings[{module, id}] = text;
}

void standin::UnregisterStringResources(HINSTANCE module)
{
    std::lock_guard lock(table().mutex);
    for (auto it = table().strings.begin(); it != table().strings.end();)
        it = it->first.first == module ? table().strings.erase(it) : std::next(it);
}

int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size)
{
    if (!buffer || size <= 0) return 0;
    std::lock_guard lock(table().mutex);
    auto it = table().strings.find({module, id});
    if (it == table().strings.end()) {
        buffer[0] = '\0';
        return 0;
    }
    const int n = std::min<int>(static_cast<int>(it->second.size()), size - 1);
    std::memcpy(buffer, it->second.data(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return n;
}
