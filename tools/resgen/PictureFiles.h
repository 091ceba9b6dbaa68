// The module's pictures as the files a resource compiler reads: icons and
// cursors (.ico, .cur: one 32-bit image with alpha and its mask) and
// bitmaps (.bmp: 24-bit). Byte for byte the same for the same picture, so
// the checked-in files can be compared with what the drawing gives today.
#pragma once

#include <cstdint>
#include <vector>

#include "resources/Pictures.h"

std::vector<std::uint8_t> EncodeIconFile(const ResourcePicture& picture);
// A cursor carries the picture's hot spot.
std::vector<std::uint8_t> EncodeCursorFile(const ResourcePicture& picture);
// Alpha is dropped: bitmaps are opaque.
std::vector<std::uint8_t> EncodeBitmapFile(const ResourcePicture& picture);

// The files of resources/ and the pictures they hold, for the generator
// and its test.
struct PictureFile {
    const char* name;
    std::vector<std::uint8_t> bytes;
};
std::vector<PictureFile> ModulePictureFiles();
