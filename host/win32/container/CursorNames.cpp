#include "host/win32/container/CursorNames.h"

#include <algorithm>

namespace {

struct Search {
    HCURSOR cursor;
    bool icons;
    WORD found = 0;
};

// RT_GROUP_CURSOR is 12, RT_GROUP_ICON 14.
BOOL CALLBACK findResource(HMODULE module, LPCWSTR, LPWSTR name, LONG_PTR context)
{
    auto& s = *reinterpret_cast<Search*>(context);
    if (!IS_INTRESOURCE(name)) return TRUE;
    const HCURSOR loaded = s.icons ? reinterpret_cast<HCURSOR>(LoadIconW(module, name)) : LoadCursorW(module, name);
    if (loaded && loaded == s.cursor) {
        s.found = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
        return FALSE;
    }
    return TRUE;
}

} // namespace

void CursorNames::addModule(HMODULE module)
{
    if (module && std::find(m_modules.begin(), m_modules.end(), module) == m_modules.end()) m_modules.push_back(module);
}

std::string CursorNames::nameOf(HCURSOR cursor) const
{
    if (!cursor) return "none";
    // Shared cursors: the same handle each time they are loaded.
    struct System {
        LPCSTR id;
        const char* name;
    };
    static const System named[] = {{IDC_ARROW, "arrow"}, {IDC_HAND, "hand"}, {IDC_WAIT, "wait"}};
    for (const auto& s : named)
        if (LoadCursorA(nullptr, s.id) == cursor) return s.name;
    static const LPCSTR others[] = {IDC_IBEAM, IDC_CROSS, IDC_UPARROW, IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZEWE,
                                     IDC_SIZENS, IDC_SIZEALL, IDC_NO, IDC_APPSTARTING, IDC_HELP};
    for (LPCSTR id : others)
        if (LoadCursorA(nullptr, id) == cursor) return "system " + std::to_string(reinterpret_cast<ULONG_PTR>(id));
    for (HMODULE module : m_modules) {
        for (bool icons : {false, true}) {
            Search s{cursor, icons};
            EnumResourceNamesW(module, icons ? MAKEINTRESOURCEW(14) : MAKEINTRESOURCEW(12), &findResource, reinterpret_cast<LONG_PTR>(&s));
            if (s.found) return "icon " + std::to_string(s.found);
        }
    }
    return "unknown";
}
