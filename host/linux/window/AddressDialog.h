// The address a viewer started without one asks for: a field for the
// camera's viewer page and the addresses opened lately to pick from, OK
// and Cancel, drawn in the window like the password prompt.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/linux/StandInGdi.h"

class AddressDialog {
public:
    enum class Key { Enter, Escape, Backspace, Up, Down, Tab, SelectAll };
    enum class State { Asking, Accepted, Cancelled };

    // notice: why the viewer asks again (the last address failed), shown
    // above the recent addresses.
    explicit AddressDialog(std::vector<std::string> recent, std::string notice = {});

    State state() const { return m_state; }
    // The address typed or picked, without surrounding blanks; a bare host
    // gets "http://" and "/ImageViewer".
    std::string address() const;
    // What was typed, as typed (without surrounding blanks).
    std::string text() const;

    void typeText(const std::string& text);
    void key(Key key);
    void click(int x, int y);
    void draw(const std::shared_ptr<Surface>& surface, SIZE area);

private:
    RECT box() const;
    RECT recentRow(std::size_t index) const;

    std::vector<std::string> m_recent;
    std::string m_notice;
    std::string m_text;
    // The field's text is selected: what is typed replaces it (the newest
    // address offered at the start is, and Ctrl+A selects it).
    bool m_selected = false;
    int m_picked = -1; // the recent address the arrows chose, or -1
    int m_focus = 0;   // 0 the field, 1 OK, 2 Cancel
    State m_state = State::Asking;
    SIZE m_area{640, 480};
};
