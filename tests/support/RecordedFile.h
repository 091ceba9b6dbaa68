// A recording read back through libavformat, as a player reads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RecordedFile {
    bool opened = false;
    unsigned streams = 0;
    bool mjpeg = false; // the first stream's codec
    int width = 0;
    int height = 0;
    std::int64_t durationMs = -1; // the length the file's end gives, -1 when it was not finished
    std::vector<std::vector<std::uint8_t>> packets;
    std::vector<std::int64_t> ms; // each packet's time, in milliseconds
};

RecordedFile ReadRecordedFile(const std::string& path);
