#include "host/core/ViewerKeys.h"

const std::vector<std::string>& ViewerKeyLines()
{
    static const std::vector<std::string> lines = {
        "left click: centre the camera there (or pan the zoomed picture)",
        "hold the right button: zoom (near the top in, near the bottom out)",
        "wheel: zoom one step a notch",
        "f, F11 or a double click on the status line: full screen",
        "1 ... 9: that camera alone; 0: all of them",
        "s: a snapshot into the pictures folder",
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
