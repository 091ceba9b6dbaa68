// The viewer window's commands, the same in every face: each face turns
// its native keys into a ViewerKey, and the shell maps that to a command
// once (CommandForKey), applies the targeting rule and reports it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The keys the viewer acts on, whatever the platform calls them. A digit
// on the main keys or the keypad is a Digit with its character.
enum class ViewerKey {
    Other, Digit, H, Question, F1, F, F11, S, R, P, Q, Escape, F5, Enter, Tab, Left, Right, Up, Down,
    A, Delete, F2, BracketLeft, BracketRight,
};

enum class ViewerCommand {
    None,
    ShowKeys,   // the list of keys over the picture
    Alone,      // one camera alone
    All,        // every camera again
    Snapshot,   // a PNG of the target camera, or of each
    Record,     // record the target camera (or every one); again ends
    Properties, // the target camera's property page
    Stop,       // the browser's Stop, to every camera
    Reload,     // the target camera (or every one) made again
    FullScreen, // full screen, or back
    Quit,
    Select,     // Tab or an arrow: the selection moves to another cell
    // The wall, saved as it changes: a camera added (the address dialog),
    // the target camera's address removed, renamed, moved earlier or later.
    AddCamera,
    RemoveCamera,
    RenameCamera,
    MoveEarlier,
    MoveLater,
};

// The cell the selection moves to from `current` (-1: none yet) on Tab or
// an arrow, in a grid of `cameras` cells in rows of `columns`; an arrow
// that would leave the grid keeps it.
int SelectionAfterKey(ViewerKey key, int current, std::size_t cameras, std::size_t columns);

// What the key means with nothing else open: Esc leaves full screen before
// it is Stop; Enter is Reload (the shell first lets it answer a password
// that was cancelled).
ViewerCommand CommandForKey(ViewerKey key, char digit, bool fullScreen);

// The command's name in the --events report and the key's.
const char* CommandName(ViewerCommand command);
std::string KeyName(ViewerKey key, char digit);

// The mouse and keys as the window lists them, a line each.
const std::vector<std::string>& ViewerKeyLines();

// The camera shown alone after the digit key `digit` ('0' ... '9'):
// '1' ... '9' that camera (its index) when the grid has it, '0' the whole
// grid (-1); any other key, or a camera the grid has not, keeps `current`.
int AloneAfterKey(char digit, std::size_t cameras, int current);
