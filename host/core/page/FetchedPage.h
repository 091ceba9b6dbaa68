// A viewer page as a viewer fetched it: the Linux viewer over the stand-in's
// internet layer (host/linux/container/PageFetch.h), the Windows viewer through WinInet
// with its password dialog (host/win32/container/PageFetch.h).
#pragma once

#include <string>

struct FetchedPage {
    long status = 0;   // the HTTP status, when the page answered
    std::string body;  // the page's body when fetched
    std::string error; // the sentence the viewer prints when it could not be fetched
    bool stream = false; // the address answered with a picture stream (multipart/x-mixed-replace), not read
    std::string contentType; // as the answer gave it
    bool ok() const { return error.empty(); }
};

// Whether an answer is a picture stream rather than a page, from its
// Content-Type and its first bytes: multipart/x-mixed-replace, or (as
// ffmpeg's mpjpeg server answers) application/octet-stream whose body
// starts with a boundary line.
inline bool IsPictureStream(const std::string& contentType, const std::string& firstBytes)
{
    const auto startsWith = [&](const char* type) {
        std::size_t i = 0;
        for (; type[i]; ++i)
            if (i >= contentType.size() || (contentType[i] | 0x20) != (type[i] | 0x20)) return false;
        return true;
    };
    if (startsWith("multipart/x-mixed-replace")) return true;
    return startsWith("application/octet-stream") && firstBytes.compare(0, 2, "--") == 0;
}
