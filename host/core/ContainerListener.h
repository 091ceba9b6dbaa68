// What a viewer's container reports, the same on every platform: the
// controls' events, navigations, the "Message" frame's text, status
// changes, frames drawn, notices, cursor changes and property pages.
#pragma once

#include <functional>
#include <string>

// What the container reports. Every callback may be left empty. onMessage
// comes from a background thread; the others from the thread that drives
// the container.
struct ContainerListener {
    // value is a JSON number, or "null" for an event without arguments.
    std::function<void(int control, const std::string& name, const std::string& value)> onEvent;
    std::function<void(int control, const std::string& url)> onNavigate;
    std::function<void(const std::string& text)> onMessage;
    std::function<void(int control, const std::string& text)> onStatus;
    std::function<void(int control, int width, int height)> onFrame;
    // What a control's tap tells of its stream that it shows nothing for
    // (a frame too large for its picture buffer), in words.
    std::function<void(int control, const std::string& text)> onNotice;
    std::function<void(const std::string& cursor)> onCursor;
    std::function<void(const std::string& title, const std::string& text)> onPropertyPage;
};
