// What the service's connections share with the viewer's own thread: each
// camera's feeds (its painted picture, its own JPEGs, its report lines),
// what /cameras tells of it, and the operations browsers asked for, which
// the viewer's thread carries out in order.
#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/core/serve/Feeds.h"

struct ServedCamera {
    std::string name;
    int width = 0; // the control's client size: the painted picture's
    int height = 0;
    std::string status;
    double fps = 0;
    bool recording = false;
};

enum class ServePointer { Move, Down, Up, Wheel };
enum class ServeButton { Left, Right, Middle };

// An operation a browser asked for, for one camera.
struct ServeOperation {
    std::size_t camera = 0;
    bool pointer = true; // else a command
    ServePointer kind = ServePointer::Move;
    ServeButton button = ServeButton::Left;
    int x = 0, y = 0, width = 1, height = 1; // the point in the picture as shown, and its size there
    int notches = 0;
    std::string command; // stop, reload, record, snapshot
};

struct CameraFeeds {
    FrameFeed painted;
    FrameFeed own;
    EventFeed events;
    // A watcher asks for a picture now (the control may draw none for a while).
    std::atomic<bool> wanted{false};
};

class CameraService {
public:
    static constexpr unsigned kWatchersPerCamera = 16;
    static constexpr std::size_t kMostOperations = 256;

    explicit CameraService(std::string token);

    // From the viewer's thread.
    void setCameras(std::vector<ServedCamera> cameras);
    // The camera's feeds; they stay for the service's life (null past the
    // cameras there are, or were).
    CameraFeeds* feeds(std::size_t camera);
    std::vector<ServeOperation> takeOperations();
    // Every feed ends, and every watcher's wait with it.
    void close();
    bool closed() const { return m_closed.load(std::memory_order_acquire); }

    // From the connections.
    std::vector<ServedCamera> cameras() const;
    // False when too many are waiting (the viewer's thread is behind).
    bool queue(ServeOperation operation);
    // The operations' token when no login is needed (this run's own).
    const std::string& token() const { return m_token; }

private:
    mutable std::mutex m_mutex;
    std::vector<ServedCamera> m_cameras;
    std::vector<std::unique_ptr<CameraFeeds>> m_feeds;
    std::deque<ServeOperation> m_operations;
    std::string m_token;
    std::atomic<bool> m_closed{false};
};
