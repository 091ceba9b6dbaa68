// Names of cursors for the viewer's report, the same names on every
// platform: "arrow", "hand", "wait", "system N" for another shared
// cursor, "icon N" for a control module's own pointer (its resource
// number), "unknown" otherwise, "none" for no cursor.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CursorNames {
public:
    // A module whose pointer resources may be set as cursors.
    void addModule(HMODULE module);
    std::string nameOf(HCURSOR cursor) const;

private:
    std::vector<HMODULE> m_modules;
};
