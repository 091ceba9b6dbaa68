// CZoomController: the camera's optical zoom limits and address, and three
// CZoomWorker threads that each carry one zoom command at a time to the
// camera. A request goes to the first idle worker or is dropped.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "platform/wininet/WinInet.h"
#include "platform/win/WinTypes.h"

class CZoomController;

enum : int {
    ZOOM_WORKER_IDLE = 0,
    ZOOM_WORKER_PENDING = 1,
    ZOOM_WORKER_LEAVE = 2,
    ZOOM_WORKER_UNATTACHED = 3,
};

// Room for any DNS name (253 characters) and its terminator.
constexpr int ZOOM_HOST_SIZE = 256;
constexpr int ZOOM_REPLY_SIZE = 1000;

class CZoomWorker {
public:
    CZoomWorker();
    virtual ~CZoomWorker();
    CZoomWorker(const CZoomWorker&) = delete;
    CZoomWorker& operator=(const CZoomWorker&) = delete;

    void Attach(CZoomController* owner, int minSpeed);
    int GetState() const { return m_nState.load(std::memory_order_acquire); }
    // Hands a command over; the state word is written last.
    void Post(int speed, int direction, int stop);
    // Sends the command now, on the caller's thread (the worker's own use).
    void SendCommand();

    // Text of the command URL for the current fields, for the worker and tests.
    std::string CommandUrl() const;

private:
    static unsigned WINAPI ThreadMain(void* arg);
    void CloseHandles();
    // Waits ms, or less once the destructor has begun: the state word is
    // still polled at the same period, but a destruction does not wait out
    // a pause.
    void Pause(DWORD ms);

    int m_nSpeed = 0;
    int m_nDirection = 0;
    int m_nStop = 0;
    std::atomic<int> m_nState{ZOOM_WORKER_UNATTACHED};
    HANDLE m_hThread = nullptr;
    HANDLE m_hWake = nullptr;
    std::atomic<HINTERNET> m_hInternet{nullptr};
    std::atomic<HINTERNET> m_hRequest{nullptr};
    std::atomic<CZoomController*> m_pOwner{nullptr};
};

class CZoomController {
public:
    CZoomController(SHORT maxSpeed, SHORT minSpeed, SHORT maxMag, SHORT minMag);
    virtual ~CZoomController();
    CZoomController(const CZoomController&) = delete;
    CZoomController& operator=(const CZoomController&) = delete;

    // The camera's address. A host that does not fit the buffer is not
    // kept in part: the host is then empty and no command is sent.
    int SetCamera(const char* host, int length, int port);
    // Returns -1 without a camera host, else 0 (also when dropped). A move
    // that finds no idle worker is dropped; a stop is kept instead (one at
    // most: a newer stop replaces it) until SendPendingStop finds a worker.
    // A stop or a move handed to a worker settles a kept stop: the camera
    // then follows that newer command.
    int Request(int magnitude, int speed, int stop);
    // Hands a kept stop to an idle worker if there is one; true while a
    // stop is still kept. Called once per tick.
    bool SendPendingStop();
    bool HasPendingStop() const { return m_bStopPending; }

    int GetMaxSpeed() const { return m_nMaxSpeed; }
    int GetMinSpeed() const { return m_nMinSpeed; }
    int GetMaxMag() const { return m_nMaxMag; }
    int GetMinMag() const { return m_nMinMag; }
    // Sequentially consistent: a worker stores a handle and then looks at
    // the flag, the destructor sets the flag and then closes the handles.
    bool IsClosing() const { return m_nClosing.load(std::memory_order_seq_cst) != 0; }
    // A copy of the camera's address, as a command uses it.
    void GetCamera(char (&host)[ZOOM_HOST_SIZE], int& port) const;
    int GetWorkerState(int index) const { return m_workers[index]->GetState(); }

private:
    USHORT m_nMaxSpeed;
    USHORT m_nMinSpeed;
    USHORT m_nMaxMag;
    USHORT m_nMinMag;
    // The address is set on the window thread and read by workers during
    // a command; a small lock keeps a reader from seeing half of a change.
    mutable std::mutex m_addressMutex;
    char m_szHost[ZOOM_HOST_SIZE] = {};
    USHORT m_nPort = 0;
    std::atomic<int> m_nClosing{0};
    bool m_bStopPending = false; // window thread only
    CZoomWorker* m_workers[3] = {};
};
