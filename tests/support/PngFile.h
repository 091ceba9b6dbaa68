// Reads a PNG back as 8-bit RGB rows, for comparing what the viewer wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // rows from the top, 3 bytes a pixel
    const std::uint8_t* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

// An empty picture when the file cannot be read as PNG.
RgbPicture ReadPng(const std::string& path);
// Decodes JPEG bytes with TurboJPEG.
RgbPicture DecodeJpeg(const std::vector<std::uint8_t>& jpeg);
