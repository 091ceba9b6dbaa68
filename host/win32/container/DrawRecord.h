// What a control drew, read back from an enhanced metafile it was asked to
// draw into: the pictures (bitmap transfers with bits, where they landed)
// and the texts, in drawing order. The viewer tells a new picture from a
// status text by these, whatever the control's window shows.
#pragma once

#include <ole2.h>

#include <string>
#include <vector>

struct DrawRecord {
    std::vector<RECT> pictures;     // each bitmap drawn with its bits, in device pixels
    std::vector<std::string> texts; // each text output; the lines one wrapping output made, joined by blanks
};

// Reads a metafile's records. Records whose sizes or offsets do not fit
// in the record are skipped.
DrawRecord ReadMetafile(HENHMETAFILE metafile);

// Asks `view` to draw itself into `bounds` of a metafile made for the
// device `reference` (null: the screen) and reads what it drew.
DrawRecord RecordDraw(IViewObject* view, const RECT& bounds, HDC reference);

// The status text of a paint without a picture: the texts joined by
// blanks; empty when a picture was drawn or nothing was written.
std::string StatusOf(const DrawRecord& record);
