#include "operation/ZoomController.h"

#include <cstring>
#include <new>

CZoomController::CZoomController(SHORT maxSpeed, SHORT minSpeed, SHORT maxMag, SHORT minMag)
    : m_nMaxSpeed(static_cast<USHORT>(maxSpeed)), m_nMinSpeed(static_cast<USHORT>(minSpeed)),
      m_nMaxMag(static_cast<USHORT>(maxMag)), m_nMinMag(static_cast<USHORT>(minMag))
{
    for (auto& worker : m_workers) worker = new CZoomWorker;
    for (auto* worker : m_workers) worker->Attach(this, m_nMinSpeed);
}

CZoomController::~CZoomController()
{
    m_nClosing.store(1, std::memory_order_seq_cst);
    for (int i = 2; i >= 0; --i) {
        delete m_workers[i];
        m_workers[i] = nullptr;
    }
}

int CZoomController::SetCamera(const char* host, int length, int port)
{
    std::lock_guard lock(m_addressMutex);
    m_nPort = static_cast<USHORT>(port);
    // A shortened name could be another host: keep the whole name or none.
    const bool fits = host && length >= 0 && length < ZOOM_HOST_SIZE;
    const int n = fits ? length : 0;
    if (n > 0) std::memcpy(m_szHost, host, static_cast<size_t>(n));
    m_szHost[n] = '\0';
    return 0;
}

void CZoomController::GetCamera(char (&host)[ZOOM_HOST_SIZE], int& port) const
{
    std::lock_guard lock(m_addressMutex);
    std::memcpy(host, m_szHost, sizeof host);
    port = m_nPort;
}

int CZoomController::Request(int magnitude, int speed, int stop)
{
    {
        std::lock_guard lock(m_addressMutex);
        if (!m_szHost[0]) return -1;
    }
    CZoomWorker* idle = nullptr;
    for (auto* worker : m_workers) {
        if (worker->GetState() == ZOOM_WORKER_IDLE) {
            idle = worker;
            break;
        }
    }
    if (!idle) {
        // A lost stop would leave the camera zooming to its limit.
        if (stop) m_bStopPending = true;
        return 0;
    }
    if (magnitude > m_nMaxSpeed)
        magnitude = m_nMaxSpeed;
    else if (magnitude < m_nMinSpeed)
        magnitude = m_nMinSpeed;
    if (!IsClosing()) {
        idle->Post(magnitude, speed < 0 ? 1 : 0, stop);
        m_bStopPending = false;
    }
    return 0;
}

bool CZoomController::SendPendingStop()
{
    if (m_bStopPending) Request(0, 0, 1);
    return m_bStopPending;
}
