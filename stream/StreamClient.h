// CStreamClient: the control's connection object. A worker thread does what
// blocks while a connection is opened; the control's thread polls the
// published stream state, error flags and error code.
#pragma once

#include <atomic>
#include <string>

#include "platform/win/WinTypes.h"
#include "stream/StreamBuffer.h"

enum : LONG {
    STREAM_IDLE = 1,
    STREAM_PREFLIGHT = 2,
    STREAM_CONNECTING = 3,
    STREAM_STREAMING = 4,
    STREAM_FAILED = 5,
    STREAM_SHUTTING_DOWN = 6,
};

class CStreamClient {
public:
    explicit CStreamClient(CStreamBuffer* buffer);
    virtual ~CStreamClient();
    CStreamClient(const CStreamClient&) = delete;
    CStreamClient& operator=(const CStreamClient&) = delete;

    void SetBrowserWindow(HWND hwnd) { m_hBrowserWnd = hwnd; }
    HWND GetBrowserWindow() const { return m_hBrowserWnd; }
    int SetPageUrl(const std::string& url);

    // Starts opening a connection: 0 and state 2, or -1 when it cannot start.
    int Prepare();

    // The three published values, read on the control's thread.
    LONG GetState() const { return m_nState.load(std::memory_order_acquire); }
    DWORD GetErrorFlags() const { return m_dwErrorFlags.load(std::memory_order_acquire); }
    DWORD GetErrorCode() const { return m_dwErrorCode.load(std::memory_order_acquire); }

    const char* GetHost() const;
    LONG GetPort() const;

    // Ends the stream connection and returns to idle.
    void Close();

    // Publishing, for the worker (and for tests that play its part). The
    // error code is stored before the flags, so a reader that sees new flags
    // also sees their code.
    void PublishState(LONG state) { m_nState.store(state, std::memory_order_release); }
    void PublishError(DWORD flags, DWORD code)
    {
        m_dwErrorCode.store(code, std::memory_order_release);
        m_dwErrorFlags.store(flags, std::memory_order_release);
    }

private:
    static unsigned WorkerMain(void* arg);
    // One round of the worker: negative when the worker is to end.
    int Step();

    std::atomic<DWORD> m_dwErrorCode{0};
    std::atomic<DWORD> m_dwErrorFlags{0};
    StreamBufferBlock* m_pBlock;
    CStreamBuffer* m_pBuffer;
    HWND m_hBrowserWnd = nullptr;
    HANDLE m_hThread = nullptr;
    // Wakes the worker's pause between rounds early when a stop is requested.
    HANDLE m_hWake = nullptr;
    std::atomic<LONG> m_nStopRequest{0};
    std::atomic<LONG> m_nState{STREAM_IDLE};
};
