// PNG files written through the Windows Imaging Component.
#pragma once

#include <windows.h>

#include <string>

// Writes the 32-bit top-down pixels (blue, green, red, unused) of a picture
// width x height as a 24-bit PNG; false when the file could not be written.
bool WritePng(const std::string& path, const void* pixels, int width, int height);
