// Timed input for the headless viewer: a text file of mouse, wheel and key
// actions, one per line, each at a time in milliseconds from the start.
//
//   # comment
//   500  move  160 120          pointer moves to (160, 120)
//   600  down  left 160 120     a button goes down (left or right)
//   700  up    left 160 120
//   800  click right 10 10      down and up at once
//   900  wheel 160 120 -2       notches: positive away from the user
//   1000 key   Escape           Escape, p or q
//
// Points are in the viewer's coordinates (the grid of controls).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

struct InputAction {
    enum class Kind { Move, Down, Up, Click, Wheel, Key };
    std::uint64_t atMs = 0;
    Kind kind = Kind::Move;
    bool right = false; // the button, for Down, Up and Click
    POINT pt{};
    int notches = 0;
    std::string key;
};

struct InputScript {
    std::vector<InputAction> actions; // in time order
    std::string error;                // "line N: ..." when the text is not a script
};

InputScript ParseInputScript(const std::string& text);

// The script in the file at `path`; its error is "cannot read PATH" or
// "PATH: line N: ..." when it cannot be used.
InputScript ReadInputScript(const std::string& path);
