// The bodies of the service's endless answers: a multipart JPEG stream
// (the control's painted picture, or the camera's own JPEGs relayed
// untouched) and a Server-Sent Events stream of a camera's report lines.
// Each is read by its connection's thread; each waits a bounded time for
// what comes next, and sends something at least every few seconds so that
// an idle camera's watcher is not taken for a dead connection.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "host/core/serve/Feeds.h"

inline constexpr const char* kPartBoundary = "camviewframe";

// The parts of `feed` as multipart/x-mixed-replace with kPartBoundary,
// CRLF, and a Content-Length on each part; `wanted`, when given, is set
// while the stream waits for a picture (asking the viewer for one now).
class PartStream {
public:
    PartStream(FrameFeed& feed, std::function<void()> ask, std::chrono::milliseconds keepAlive = std::chrono::seconds(5))
        : m_feed(feed), m_ask(std::move(ask)), m_keepAlive(keepAlive)
    {
    }
    ~PartStream() { m_feed.removeWatcher(); }
    PartStream(const PartStream&) = delete;
    PartStream& operator=(const PartStream&) = delete;
    // As ServeReply::stream: the bytes written, or -1 when the feed closed.
    long read(char* out, std::size_t max);

private:
    FrameFeed& m_feed;
    std::function<void()> m_ask;
    std::chrono::milliseconds m_keepAlive;
    std::uint64_t m_seen = 0;
    std::string m_pending; // what is still to be sent of the current part
    std::size_t m_sent = 0;
};

class EventStream {
public:
    explicit EventStream(EventFeed& feed, std::chrono::milliseconds keepAlive = std::chrono::seconds(5))
        : m_feed(feed), m_keepAlive(keepAlive)
    {
    }
    ~EventStream() { m_feed.removeWatcher(); }
    EventStream(const EventStream&) = delete;
    EventStream& operator=(const EventStream&) = delete;
    long read(char* out, std::size_t max);

private:
    EventFeed& m_feed;
    std::chrono::milliseconds m_keepAlive;
    std::uint64_t m_seen = 0;
    std::string m_pending;
    std::size_t m_sent = 0;
};

// One part as PartStream sends it.
std::string MultipartPart(const std::string& jpeg);
