// Logical palettes of images.
#pragma once

#include "platform/framework/Dc.h"

// Creates a palette of count entries and attaches it to `palette`; 0 when
// the object already holds one or the record cannot be had.
int CreatePaletteFromRGB(CPalette* palette, int count, const unsigned char* red, const unsigned char* green,
                         const unsigned char* blue);
int NearestPaletteIndex(CPalette* palette, int red, int green, int blue);
int GetPaletteEntryRGB(CPalette* palette, int index, unsigned char* red, unsigned char* green, unsigned char* blue);
