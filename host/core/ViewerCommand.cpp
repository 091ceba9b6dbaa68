#include "host/core/ViewerCommand.h"

#include <algorithm>

ViewerCommand CommandForKey(ViewerKey key, char digit, bool fullScreen)
{
    switch (key) {
    case ViewerKey::Digit: return digit == '0' ? ViewerCommand::All : ViewerCommand::Alone;
    case ViewerKey::H:
    case ViewerKey::Question:
    case ViewerKey::F1: return ViewerCommand::ShowKeys;
    case ViewerKey::F:
    case ViewerKey::F11: return ViewerCommand::FullScreen;
    case ViewerKey::S: return ViewerCommand::Snapshot;
    case ViewerKey::R: return ViewerCommand::Record;
    case ViewerKey::P: return ViewerCommand::Properties;
    case ViewerKey::Q: return ViewerCommand::Quit;
    case ViewerKey::Escape: return fullScreen ? ViewerCommand::FullScreen : ViewerCommand::Stop;
    case ViewerKey::F5:
    case ViewerKey::Enter: return ViewerCommand::Reload;
    case ViewerKey::Tab:
    case ViewerKey::Left:
    case ViewerKey::Right:
    case ViewerKey::Up:
    case ViewerKey::Down: return ViewerCommand::Select;
    case ViewerKey::A: return ViewerCommand::AddCamera;
    case ViewerKey::Delete: return ViewerCommand::RemoveCamera;
    case ViewerKey::F2: return ViewerCommand::RenameCamera;
    case ViewerKey::BracketLeft: return ViewerCommand::MoveEarlier;
    case ViewerKey::BracketRight: return ViewerCommand::MoveLater;
    case ViewerKey::Other: break;
    }
    return ViewerCommand::None;
}

const char* CommandName(ViewerCommand command)
{
    switch (command) {
    case ViewerCommand::ShowKeys: return "keys";
    case ViewerCommand::Alone: return "alone";
    case ViewerCommand::All: return "all";
    case ViewerCommand::Snapshot: return "snapshot";
    case ViewerCommand::Record: return "record";
    case ViewerCommand::Properties: return "properties";
    case ViewerCommand::Stop: return "stop";
    case ViewerCommand::Reload: return "reload";
    case ViewerCommand::FullScreen: return "fullscreen";
    case ViewerCommand::Quit: return "quit";
    case ViewerCommand::Select: return "select";
    case ViewerCommand::AddCamera: return "add";
    case ViewerCommand::RemoveCamera: return "remove";
    case ViewerCommand::RenameCamera: return "rename";
    case ViewerCommand::MoveEarlier: return "earlier";
    case ViewerCommand::MoveLater: return "later";
    case ViewerCommand::None: break;
    }
    return "none";
}

std::string KeyName(ViewerKey key, char digit)
{
    switch (key) {
    case ViewerKey::Digit: return std::string(1, digit);
    case ViewerKey::H: return "h";
    case ViewerKey::Question: return "?";
    case ViewerKey::F1: return "F1";
    case ViewerKey::F: return "f";
    case ViewerKey::F11: return "F11";
    case ViewerKey::S: return "s";
    case ViewerKey::R: return "r";
    case ViewerKey::P: return "p";
    case ViewerKey::Q: return "q";
    case ViewerKey::Escape: return "Escape";
    case ViewerKey::F5: return "F5";
    case ViewerKey::Enter: return "Return";
    case ViewerKey::Tab: return "Tab";
    case ViewerKey::Left: return "Left";
    case ViewerKey::Right: return "Right";
    case ViewerKey::Up: return "Up";
    case ViewerKey::Down: return "Down";
    case ViewerKey::A: return "a";
    case ViewerKey::Delete: return "Delete";
    case ViewerKey::F2: return "F2";
    case ViewerKey::BracketLeft: return "[";
    case ViewerKey::BracketRight: return "]";
    case ViewerKey::Other: break;
    }
    return "";
}

const std::vector<std::string>& ViewerKeyLines()
{
    static const std::vector<std::string> lines = {
        "left click: centre the camera there (or pan the zoomed picture)",
        "hold the right button: zoom (near the top in, near the bottom out)",
        "wheel: zoom one step a notch",
        "f, F11 or a double click on the status line: full screen",
        "1 ... 9: that camera alone; 0: all of them",
        "Tab or the arrows: select a camera; Enter: the selected camera alone",
        "a: add a camera to the wall; Delete, F2, [ and ]: remove, rename, move the selected one",
        "s: a snapshot of the camera shown alone or under the pointer (else of each)",
        "r: record the camera under the pointer (or every one); r again ends",
        "p: the control's property page",
        "Esc: stop the stream; F5 or Enter: reload it; q: quit",
        "h, ? or F1: these keys (any key closes them)",
    };
    return lines;
}

int AloneAfterKey(char digit, std::size_t cameras, int current)
{
    if (digit == '0') return -1;
    if (digit < '1' || digit > '9') return current;
    const int index = digit - '1';
    return static_cast<std::size_t>(index) < cameras ? index : current;
}

int SelectionAfterKey(ViewerKey key, int current, std::size_t cameras, std::size_t columns)
{
    if (cameras == 0) return -1;
    const int n = static_cast<int>(cameras), c = static_cast<int>(std::max<std::size_t>(columns, 1));
    if (current < 0 || current >= n) return 0;
    int next = current;
    switch (key) {
    case ViewerKey::Tab: return (current + 1) % n;
    case ViewerKey::Left: next = current % c > 0 ? current - 1 : current; break;
    case ViewerKey::Right: next = current % c < c - 1 ? current + 1 : current; break;
    case ViewerKey::Up: next = current - c; break;
    case ViewerKey::Down: next = current + c; break;
    default: break;
    }
    return next >= 0 && next < n ? next : current;
}
