// The cursors the controls set, as PNG pictures for the browsers: each
// one seen is kept under its name ("hand", "icon 130"), its picture made
// on the viewer's thread; the connections read them under a lock.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/win/WinTypes.h"

class CursorPictures {
public:
    // The cursor shown now, as the container names it.
    void note(HCURSOR cursor, const std::string& name);
    // `name` as the page asks for it (blanks as "-"); false when not seen
    // or not a picture (system cursors: the browser has its own).
    bool find(const std::string& name, std::string& png, int& hotX, int& hotY) const;

private:
    struct Picture {
        std::string png;
        int hotX = 0, hotY = 0;
    };
    mutable std::mutex m_mutex;
    std::map<std::string, Picture> m_pictures;
    HCURSOR m_last = nullptr;
};

// 0xAARRGGBB pixels, top row first, as a PNG with alpha (empty on failure).
std::string EncodeArgbPng(const std::uint32_t* argb, int width, int height);
