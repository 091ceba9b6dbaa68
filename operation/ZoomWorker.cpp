// A zoom worker: a thread that carries one command at a time to the
// camera's zoom program, polling its state word.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "operation/ZoomController.h"
#include "platform/kernel/Kernel.h"
#include "platform/trace/Trace.h"

namespace {
constexpr DWORD kPollMs = 20;
constexpr DWORD kBusyRetryMs = 100;
constexpr int kStopAttempts = 5;
constexpr char kBusy[] = "Return:-2";
constexpr int kStopMagnitude = 32768;
} // namespace

CZoomWorker::CZoomWorker()
{
    // Set once, by the destructor: every pause of the worker ends then.
    m_hWake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_hThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &CZoomWorker::ThreadMain, this, 0, nullptr));
}

CZoomWorker::~CZoomWorker()
{
    // A command in flight returns once its handles are closed; each handle
    // is closed once, here or by the worker. A worker never attached has no
    // owner to tell it to leave: it is told here.
    int unattached = ZOOM_WORKER_UNATTACHED;
    m_nState.compare_exchange_strong(unattached, ZOOM_WORKER_LEAVE, std::memory_order_acq_rel);
    CloseHandles();
    if (m_hWake) SetEvent(m_hWake);
    if (m_hThread) {
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
    }
    if (m_hWake) CloseHandle(m_hWake);
}

void CZoomWorker::Pause(DWORD ms)
{
    if (m_hWake)
        WaitForSingleObject(m_hWake, ms);
    else
        Sleep(ms);
}

void CZoomWorker::Attach(CZoomController* owner, int minSpeed)
{
    m_pOwner.store(owner, std::memory_order_release);
    m_nSpeed = minSpeed;
    m_nState.store(ZOOM_WORKER_IDLE, std::memory_order_release);
}

void CZoomWorker::Post(int speed, int direction, int stop)
{
    m_nSpeed = speed;
    m_nDirection = direction;
    m_nStop = stop;
    m_nState.store(ZOOM_WORKER_PENDING, std::memory_order_release);
}

void CZoomWorker::CloseHandles()
{
    if (HINTERNET request = m_hRequest.exchange(nullptr, std::memory_order_seq_cst)) InternetCloseHandle(request);
    if (HINTERNET internet = m_hInternet.exchange(nullptr, std::memory_order_seq_cst)) InternetCloseHandle(internet);
}

unsigned WINAPI CZoomWorker::ThreadMain(void* arg)
{
    auto* self = static_cast<CZoomWorker*>(arg);
    for (;;) {
        CZoomController* owner = self->m_pOwner.load(std::memory_order_acquire);
        switch (self->GetState()) {
        case ZOOM_WORKER_IDLE:
            if (owner && owner->IsClosing()) {
                self->m_nState.store(ZOOM_WORKER_LEAVE, std::memory_order_release);
                return 0;
            }
            self->Pause(kPollMs);
            break;
        case ZOOM_WORKER_PENDING:
            self->SendCommand();
            if (owner && owner->IsClosing()) {
                self->m_nState.store(ZOOM_WORKER_LEAVE, std::memory_order_release);
                return 0;
            }
            self->m_nState.store(ZOOM_WORKER_IDLE, std::memory_order_release);
            self->Pause(kPollMs);
            break;
        case ZOOM_WORKER_LEAVE:
            return 0;
        default:
            self->Pause(kPollMs); // not attached yet
            break;
        }
    }
}

std::string CZoomWorker::CommandUrl() const
{
    const CZoomController* owner = m_pOwner.load(std::memory_order_acquire);
    if (!owner) return {};
    char host[ZOOM_HOST_SIZE];
    int port = 0;
    owner->GetCamera(host, port);
    // Large enough for the longest host the controller keeps; a URL that
    // still does not fit is not sent at all rather than sent cut.
    char url[ZOOM_HOST_SIZE + 128];
    const char* colon = port != 80 ? ":" : "";
    char portText[8] = {};
    if (port != 80) std::snprintf(portText, sizeof portText, "%d", port);
    const int n = m_nStop ? std::snprintf(url, sizeof url, "http://%s%s%s/nphPtzf?Func=Set&ZoomMag=%d&ZoomSpeed=0&Sync=0",
                                          host, colon, portText, kStopMagnitude)
                          : std::snprintf(url, sizeof url, "http://%s%s%s/nphPtzf?Func=Set&ZoomMag=%d&ZoomSpeed=%d&Sync=0",
                                          host, colon, portText,
                                          m_nDirection == 1 ? owner->GetMinMag() : owner->GetMaxMag(), m_nSpeed);
    if (n < 0 || static_cast<size_t>(n) >= sizeof url) return {};
    return url;
}

void CZoomWorker::SendCommand()
{
    CZoomController* owner = m_pOwner.load(std::memory_order_acquire);
    if (!owner) return;
    char host[ZOOM_HOST_SIZE];
    int port = 0;
    owner->GetCamera(host, port);
    if (!host[0]) return;
    int attempts = m_nStop ? kStopAttempts : 1;
    const std::string url = CommandUrl();
    if (url.empty()) return;
    while (attempts > 0 && !owner->IsClosing()) {
        VE_TRACE_CALL(wininet, "InternetOpenA", "(\"Zoom Control\", PRECONFIG)");
        HINTERNET internet = InternetOpenA("Zoom Control", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
        if (!internet) return;
        // The destructor sets the closing flag and then closes the handles
        // it finds; a handle stored after that is seen by neither unless
        // the flag is looked at again after the store (both sides in one
        // order, so that one of them sees the other).
        m_hInternet.store(internet, std::memory_order_seq_cst);
        if (owner->IsClosing()) {
            CloseHandles();
            return;
        }
        VE_TRACE_CALL(wininet, "InternetOpenUrlA", "(%p, %s, flags 0x%08lx)", internet, traceText(url).c_str(),
                      static_cast<unsigned long>(INTERNET_FLAG_RELOAD));
        HINTERNET request = InternetOpenUrlA(internet, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
        if (!request) {
            CloseHandles();
            return;
        }
        m_hRequest.store(request, std::memory_order_seq_cst);
        if (owner->IsClosing()) {
            CloseHandles();
            return;
        }
        // The reply is read in pieces into a bounded buffer; when it fills,
        // its last bytes are kept, so a marker split across two pieces is
        // still found.
        char reply[ZOOM_REPLY_SIZE];
        size_t length = 0;
        bool busy = false;
        for (;;) {
            if (length >= sizeof reply - 1) {
                const size_t keep = sizeof kBusy - 2;
                std::memmove(reply, reply + length - keep, keep);
                length = keep;
            }
            DWORD read = 0;
            VE_TRACE_CALL(wininet, "InternetReadFile", "(%p, %lu)", request,
                          static_cast<unsigned long>(sizeof reply - 1 - length));
            if (!InternetReadFile(request, reply + length, static_cast<DWORD>(sizeof reply - 1 - length), &read)) {
                length = 0;
                busy = false;
                break;
            }
            if (read == 0) break;
            length += read;
            reply[length] = '\0';
            busy = busy || std::string_view(reply, length).find(kBusy) != std::string_view::npos;
        }
        CloseHandles();
        if (!busy) return;
        Pause(kBusyRetryMs);
        --attempts;
    }
}
