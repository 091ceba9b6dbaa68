// The viewer window's keys, the same in both windows: the list shown over
// the picture (h, ?, F1), and which camera a digit shows alone.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The mouse and keys as the window lists them, a line each.
const std::vector<std::string>& ViewerKeyLines();

// The camera shown alone after the digit key `digit` ('0' ... '9'):
// '1' ... '9' that camera (its index) when the grid has it, '0' the whole
// grid (-1); any other key, or a camera the grid has not, keeps `current`.
int AloneAfterKey(char digit, std::size_t cameras, int current);
