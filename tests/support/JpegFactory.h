// JPEG frames made at test time, with TurboJPEG.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct Rgb {
    std::uint8_t r, g, b;
};

enum class Sampling { S444, S422, S420, Grey };

// Encodes a width x height picture whose pixel (x, y), y from the top, is
// pixel(x, y).
std::vector<std::uint8_t> MakeJpeg(int width, int height, const std::function<Rgb(int, int)>& pixel,
                                   Sampling sampling = Sampling::S444, int quality = 95);
std::vector<std::uint8_t> MakeSolidJpeg(int width, int height, Rgb colour);
// A CMYK picture (stored as Adobe YCCK with inverted inks), and the CMYK
// bytes a decoder gives back for it.
std::vector<std::uint8_t> MakeCmykJpeg(int width, int height, std::vector<std::uint8_t>* decodedCmyk);
// Inserts a comment segment after the start-of-image marker.
std::vector<std::uint8_t> WithComment(const std::vector<std::uint8_t>& jpeg, const std::vector<std::uint8_t>& payload);
