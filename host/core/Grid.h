// What both viewers' containers share about the controls they show: the
// grid they are laid out in, the camera each one shows, and an event's
// value as the report writes it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/com/Variant.h"
#include "platform/win/WinTypes.h"

// Places the cells, each the size its rectangle has, in rows of
// ceil(sqrt(n)) columns: each column as wide as its widest cell, each row
// as high as its highest, 4 pixels between them. Returns the grid's size.
// The grid's columns for `cells` cells: ceil(sqrt(cells)).
std::size_t GridColumns(std::size_t cells);

// `caption` pixels above each row are left for the cells' captions (a
// wall's camera names), which never cover a picture.
SIZE LayOutGrid(std::vector<RECT>& cells, int caption = 0);

// The height of a wall's caption strip above each cell.
constexpr int kCaptionHeight = 16;

// The caption strip above a cell laid out with captions.
inline RECT CaptionOf(const RECT& cell) { return RECT{cell.left, cell.top - kCaptionHeight, cell.right, cell.top}; }

// The camera a control shows: the host of an absolute ImagePath, else the
// page's.
std::string CameraHostOf(const std::string& pageUrl, const std::vector<std::pair<std::string, std::string>>& params);

// An event's value as the report writes it: a number, or null.
std::string EventValueText(const VARIANT& value);
