// A Matroska file of JPEG frames, kept byte for byte as the camera sent
// them (codec MJPEG, one video stream, no re-encoding), each at its time in
// milliseconds from the first, written through libavformat so that any
// player opens it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct AVFormatContext;
struct AvFormatCalls;

class MatroskaWriter {
public:
    MatroskaWriter() = default;
    ~MatroskaWriter(); // finishes the file when still open
    MatroskaWriter(const MatroskaWriter&) = delete;
    MatroskaWriter& operator=(const MatroskaWriter&) = delete;

    // Creates the file. Empty when it could, otherwise why not, in words
    // for the person who asked for it.
    std::string open(const std::string& path);
    // Adds a frame at `ms`; the first frame gives the picture's size. A
    // time not after the last frame's is moved just after it (two frames
    // cut within one millisecond), so that the times always increase.
    std::string write(const std::uint8_t* bytes, std::size_t length, std::int64_t ms);
    // Writes the index and the length and closes the file. A file that
    // got no frame is removed (there is nothing to play). Empty or why not.
    std::string finish();

    bool isOpen() const { return m_context != nullptr; }
    long frames() const { return m_frames; }
    // The time of the last frame written, in milliseconds.
    std::int64_t lastMs() const { return m_lastMs; }

private:
    struct ContextDeleter {
        void operator()(AVFormatContext* context) const;
    };
    std::string failure(const char* what, int error) const;

    const AvFormatCalls* m_av = nullptr; // found at the first open
    std::unique_ptr<AVFormatContext, ContextDeleter> m_context;
    std::string m_path;
    bool m_headerWritten = false;
    long m_frames = 0;
    std::int64_t m_lastMs = -1;
};

// The width and height a JPEG's frame header gives, or 0 x 0 when the bytes
// hold none (read with every length checked: the bytes come from the
// network).
struct JpegSize {
    int width = 0;
    int height = 0;
};
JpegSize ReadJpegSize(const std::uint8_t* bytes, std::size_t length);
