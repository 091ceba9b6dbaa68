#include "host/core/serve/CameraService.h"

CameraService::CameraService(std::string token) : m_token(std::move(token)) {}

void CameraService::setCameras(std::vector<ServedCamera> cameras)
{
    std::lock_guard lock(m_mutex);
    while (m_feeds.size() < cameras.size()) {
        m_feeds.push_back(std::make_unique<CameraFeeds>());
        if (closed()) {
            m_feeds.back()->painted.close();
            m_feeds.back()->own.close();
            m_feeds.back()->events.close();
        }
    }
    m_cameras = std::move(cameras);
}

CameraFeeds* CameraService::feeds(std::size_t camera)
{
    std::lock_guard lock(m_mutex);
    return camera < m_feeds.size() ? m_feeds[camera].get() : nullptr;
}

std::vector<ServedCamera> CameraService::cameras() const
{
    std::lock_guard lock(m_mutex);
    return m_cameras;
}

bool CameraService::queue(ServeOperation operation)
{
    std::lock_guard lock(m_mutex);
    if (m_operations.size() >= kMostOperations) return false;
    m_operations.push_back(std::move(operation));
    return true;
}

std::vector<ServeOperation> CameraService::takeOperations()
{
    std::lock_guard lock(m_mutex);
    std::vector<ServeOperation> taken(m_operations.begin(), m_operations.end());
    m_operations.clear();
    return taken;
}

void CameraService::close()
{
    std::lock_guard lock(m_mutex);
    m_closed.store(true, std::memory_order_release);
    for (const auto& feeds : m_feeds) {
        feeds->painted.close();
        feeds->own.close();
        feeds->events.close();
    }
}
