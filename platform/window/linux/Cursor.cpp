#include "platform/window/Cursor.h"
#include "platform/window/linux/StandInWindow.h"
#include "platform/trace/Trace.h"

#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace {

struct CursorObject {
    bool system = false;
    WORD id = 0;
    std::shared_ptr<const IconImage> image;
};

struct CursorTable {
    std::mutex mutex;
    std::map<WORD, std::unique_ptr<CursorObject>> system;
    std::map<std::pair<HINSTANCE, WORD>, std::unique_ptr<CursorObject>> icons;
    HCURSOR current = nullptr;
};

CursorTable& table()
{
    // Never destroyed: threads still running at exit may use it.
    static CursorTable* t = new CursorTable;
    return *t;
}

HICON handleOf(CursorObject* object) { return reinterpret_cast<HICON>(object); }

} // namespace

void standin::RegisterIconResource(HINSTANCE module, WORD id, IconImage image)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto& slot = t.icons[{module, id}];
    if (!slot) slot = std::make_unique<CursorObject>();
    // Handles stay valid for the life of the process; re-registering
    // replaces the picture behind the same handle.
    slot->id = id;
    slot->image = std::make_shared<const IconImage>(std::move(image));
}

void standin::UnregisterIconResources(HINSTANCE module)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    for (auto& [key, object] : t.icons)
        if (key.first == module) object->image.reset();
}

HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name)
{
    VE_TRACE(window, "(%p, %s)", traceHandle(module), traceName(name).c_str());
    if (module) return LoadIconA(module, name);
    if (!IS_INTRESOURCE(name)) return nullptr;
    const WORD id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
    if (id != IDC_ARROW_ID && id != IDC_HAND_ID && id != IDC_WAIT_ID) return nullptr;
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto& slot = t.system[id];
    if (!slot) {
        slot = std::make_unique<CursorObject>();
        slot->system = true;
        slot->id = id;
    }
    return handleOf(slot.get());
}

HICON LoadIconA(HINSTANCE module, LPCSTR name)
{
    VE_TRACE(window, "(%p, %s)", traceHandle(module), traceName(name).c_str());
    if (!IS_INTRESOURCE(name)) return nullptr;
    const WORD id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
    auto& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.icons.find({module, id});
    if (it == t.icons.end() || !it->second->image) return nullptr;
    return handleOf(it->second.get());
}

HCURSOR SetCursor(HCURSOR cursor)
{
    VE_TRACE(window, "(%p)", traceHandle(cursor));
    auto& t = table();
    std::lock_guard lock(t.mutex);
    return std::exchange(t.current, cursor);
}

HCURSOR GetCursor()
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    return t.current;
}

bool standin::GetSystemCursorId(HCURSOR cursor, WORD* id)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    for (auto& [key, object] : t.system) {
        if (handleOf(object.get()) == cursor) {
            if (id) *id = key;
            return true;
        }
    }
    return false;
}

bool standin::GetIconResourceId(HICON icon, WORD* id)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    for (auto& [key, object] : t.icons) {
        if (handleOf(object.get()) == icon) {
            if (id) *id = key.second;
            return true;
        }
    }
    return false;
}

const IconImage* standin::GetIconImage(HICON icon)
{
    auto& t = table();
    std::lock_guard lock(t.mutex);
    for (auto& [key, object] : t.icons)
        if (handleOf(object.get()) == icon) return object->image.get();
    return nullptr;
}
