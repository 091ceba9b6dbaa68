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
    bool ok() const { return error.empty(); }
};

// Whether an answer's Content-Type is a picture stream's.
inline bool IsPictureStreamType(const std::string& contentType)
{
    static constexpr char kType[] = "multipart/x-mixed-replace";
    if (contentType.size() < sizeof kType - 1) return false;
    for (std::size_t i = 0; i + 1 < sizeof kType; ++i)
        if ((contentType[i] | 0x20) != kType[i] && contentType[i] != kType[i]) return false;
    return true;
}
