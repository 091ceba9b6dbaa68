// The connection object: construction, the worker loop and its steps, the
// connection, and the shutdown.
#include "stream/StreamClient.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/kernel/Kernel.h"
#include "platform/trace/Trace.h"

namespace {
constexpr DWORD kWorkerPauseMs = 100;
constexpr DWORD kRestingWorkerMs = 1000;
constexpr int kPreflightTries = 3;
} // namespace

CStreamClient::CStreamClient(CStreamBuffer* buffer) : m_pBlock(buffer ? buffer->GetBlock() : nullptr), m_pBuffer(buffer)
{
    if (m_pBuffer) m_pBuffer->InitBuffer();
    m_nState.store(STREAM_IDLE, std::memory_order_release);
    m_hWake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    m_hThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &CStreamClient::WorkerMain, this, 0, nullptr));
}

CStreamClient::~CStreamClient()
{
    m_nStopRequest.store(1, std::memory_order_release);
    m_nState.store(STREAM_SHUTTING_DOWN, std::memory_order_release);
    // Closing what the worker may be blocked on ends its call.
    CloseSocketOnce();
    CloseInternetHandles();
    if (m_hWake) SetEvent(m_hWake);
    if (m_hThread) {
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
    }
    if (m_hWake) CloseHandle(m_hWake);
    delete[] m_pProxyAddress;
}

unsigned WINAPI CStreamClient::WorkerMain(void* arg)
{
    auto* self = static_cast<CStreamClient*>(arg);
    while (self->Step() >= 0) {
        const StreamState state = self->GetState();
        const bool nothingToDo = state == STREAM_IDLE || state == STREAM_STREAMING || state == STREAM_FAILED;
        WaitForSingleObject(self->m_hWake,
                            nothingToDo && self->m_bRestingWorker.load(std::memory_order_acquire) ? kRestingWorkerMs
                                                                                                  : kWorkerPauseMs);
    }
    return 0;
}

void CStreamClient::AddErrorFlags(StreamError flags, DWORD code)
{
    VE_TRACE(stream, "error flags 0x%lx, code %lu", static_cast<unsigned long>(errorBits(flags)),
             static_cast<unsigned long>(code));
    m_dwErrorCode.store(code, std::memory_order_release);
    m_dwErrorFlags.fetch_or(errorBits(flags), std::memory_order_acq_rel);
}

int CStreamClient::Advance(int result)
{
    StreamState state = GetState();
    StreamState next = state;
    switch (state) {
    case STREAM_IDLE:
        next = STREAM_PREFLIGHT;
        break;
    case STREAM_PREFLIGHT:
        next = result == 1 ? STREAM_CONNECTING : STREAM_FAILED;
        break;
    case STREAM_CONNECTING:
        next = result == 0 ? STREAM_STREAMING : STREAM_FAILED;
        break;
    case STREAM_SHUTTING_DOWN:
        return -1;
    case STREAM_STREAMING:
    case STREAM_FAILED:
        return 0;
    }
    VE_TRACE(stream, "state %ld -> %ld", static_cast<long>(state), static_cast<long>(next));
    // Shutting down, set by the destructor meanwhile, always stays.
    return m_nState.compare_exchange_strong(state, next, std::memory_order_acq_rel) ? 0 : -1;
}

void CStreamClient::Fail()
{
    VE_TRACE(stream, "connection failed: flags 0x%lx, code %lu", static_cast<unsigned long>(errorBits(GetErrorFlags())),
             static_cast<unsigned long>(GetErrorCode()));
    // A connection that failed keeps no socket open at the camera.
    CloseSocketOnce();
    StreamState state = GetState();
    while (state != STREAM_SHUTTING_DOWN &&
           !m_nState.compare_exchange_weak(state, STREAM_FAILED, std::memory_order_acq_rel)) {
    }
}

int CStreamClient::Step()
{
    switch (GetState()) {
    case STREAM_PREFLIGHT: {
        // A stream at an address of its own has no camera page to open first.
        if (m_bDirectAddress) {
            Advance(1);
            return 0;
        }
        VE_TRACE(stream, "preflight");
        int result = PREFLIGHT_RETRY;
        for (int attempt = 0; attempt < kPreflightTries; ++attempt) {
            result = RunPreflight();
            if (result != PREFLIGHT_RETRY || StopRequested()) break;
            if (attempt + 1 < kPreflightTries) Sleep(kWorkerPauseMs);
        }
        if (result == PREFLIGHT_DONE) {
            Advance(1);
            return 0;
        }
        if (m_nPreflightFlags != ERR_NONE)
            PublishError(m_nPreflightFlags, GetErrorCode() | static_cast<DWORD>(m_nPreflightError));
        Advance(result);
        return 0;
    }
    case STREAM_CONNECTING: {
        VE_TRACE(stream, "connecting to %s port %ld", traceText(GetHost()).c_str(), static_cast<long>(GetPort()));
        if (Connect() != 0) {
            Fail();
            return 0;
        }
        BuildCredentials();
        SendRequest();
        const int status = ReadResponseHead(GetSocket());
        VE_TRACE(stream, "head read: status %d after %d reads", status, m_nHeadReads);
        if (status != 200) {
            AddErrorFlags(ERR_STATUS, static_cast<DWORD>(WSAGetLastError()));
            Fail();
            return 0;
        }
        if (IsAnyPictureStream() && !StartAnyStream()) {
            Fail();
            return 0;
        }
        ULONG on = 1;
        VE_TRACE_CALL(winsock, "ioctlsocket", "(0x%lx, FIONBIO, 1)", static_cast<unsigned long>(GetSocket()));
        if (ioctlsocket(GetSocket(), FIONBIO, &on) != 0) {
            AddErrorFlags(ERR_NON_BLOCKING, static_cast<DWORD>(WSAGetLastError()));
            Fail();
            return 0;
        }
        StreamState expected = STREAM_CONNECTING;
        if (m_nState.compare_exchange_strong(expected, STREAM_STREAMING, std::memory_order_acq_rel))
            VE_TRACE(stream, "streaming");
        return 0;
    }
    case STREAM_SHUTTING_DOWN:
        return -1;
    case STREAM_IDLE:
    case STREAM_STREAMING:
    case STREAM_FAILED:
        return 0;
    }
    return 0;
}

int CStreamClient::Connect()
{
    if (!m_pBlock) return -1;
    char port[16];
    std::snprintf(port, sizeof port, "%ld", static_cast<long>(m_pBlock->port));

    if (m_pProxyAddress) {
        sockaddr family{};
        std::memcpy(&family, m_pProxyAddress, sizeof family.sa_family);
        VE_TRACE_CALL(winsock, "socket", "(%d, %d, 0)", static_cast<int>(family.sa_family), SOCK_STREAM);
        const SOCKET s = socket(family.sa_family, SOCK_STREAM, 0);
        if (s == INVALID_SOCKET) {
            AddErrorFlags(ERR_PROXY_CONNECT, static_cast<DWORD>(WSAGetLastError()));
            return -1;
        }
        m_socket.store(s, std::memory_order_release);
        if (StopRequested()) {
            CloseSocketOnce();
            return -1;
        }
        VE_TRACE_CALL(winsock, "connect", "(0x%lx, proxy, %d)", static_cast<unsigned long>(s), m_nProxyAddressLength);
        if (connect(s, reinterpret_cast<const sockaddr*>(m_pProxyAddress), m_nProxyAddressLength) == 0) return 0;
        AddErrorFlags(ERR_PROXY_CONNECT, static_cast<DWORD>(WSAGetLastError()));
        CloseSocketOnce();
        return -1;
    }

    ADDRINFOA hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    PADDRINFOA list = nullptr;
    VE_TRACE_CALL(winsock, "getaddrinfo", "(%s, %s)", traceText(m_pBlock->host).c_str(), traceText(port).c_str());
    if (getaddrinfo(m_pBlock->host ? m_pBlock->host : "", port, &hints, &list) != 0) {
        AddErrorFlags(ERR_RESOLVE, static_cast<DWORD>(WSAGetLastError()));
        return -1;
    }
    for (PADDRINFOA a = list; a && !StopRequested(); a = a->ai_next) {
        VE_TRACE_CALL(winsock, "socket", "(%d, %d, %d)", a->ai_family, a->ai_socktype, a->ai_protocol);
        const SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) continue;
        m_socket.store(s, std::memory_order_release);
        if (StopRequested()) break;
        VE_TRACE_CALL(winsock, "connect", "(0x%lx, %p, %d)", static_cast<unsigned long>(s), traceHandle(a->ai_addr),
                      static_cast<int>(a->ai_addrlen));
        if (connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0) {
            freeaddrinfo(list);
            return 0;
        }
        const int error = WSAGetLastError();
        CloseSocketOnce();
        WSASetLastError(error);
    }
    AddErrorFlags(ERR_CONNECT, static_cast<DWORD>(WSAGetLastError()));
    CloseSocketOnce();
    freeaddrinfo(list);
    return -1;
}

void CStreamClient::CloseSocketOnce()
{
    const SOCKET s = m_socket.exchange(0, std::memory_order_acq_rel);
    if (!s) return;
    const int error = WSAGetLastError();
    VE_TRACE_CALL(winsock, "closesocket", "(0x%lx)", static_cast<unsigned long>(s));
    shutdown(s, SD_BOTH);
    closesocket(s);
    WSASetLastError(error);
}

int CStreamClient::SetPageUrl(const std::string& url)
{
    if (!m_pBlock) return -1;
    m_pBlock->pageUrl = url;
    return 0;
}

const char* CStreamClient::GetHost() const { return m_pBlock ? m_pBlock->host : nullptr; }

LONG CStreamClient::GetPort() const { return m_pBlock ? m_pBlock->port : 0; }

int CStreamClient::Receive()
{
    StreamBufferBlock* b = m_pBlock;
    VE_TRACE_CALL(winsock, "recv", "(0x%lx, %lu)", static_cast<unsigned long>(GetSocket()),
                  static_cast<unsigned long>(STREAM_RECEIVE_SIZE - b->held));
    const int n = recv(GetSocket(), reinterpret_cast<char*>(b->receive + b->held),
                       static_cast<int>(STREAM_RECEIVE_SIZE - b->held), 0);
    m_nReceiveError = WSAGetLastError();
    return n;
}

int CStreamClient::CutLastFrame()
{
    StreamBufferBlock* b = m_pBlock;
    if (!b || b->held == 0) return 0;
    LONG start, consumed, length;
    const BYTE type = b->parseMode == 0 ? 2 : 3;
    b->parseMode = m_pBuffer->CutFinal(b->receive, b->held, type, &start, &consumed, &length);
    if (start < 0 || length <= 0 || b->frameReady) return 0;
    if (!m_pBuffer->StoreFrame(b->receive + start, static_cast<DWORD>(length))) return 0;
    b->frameReady = 1;
    VE_TRACE(stream, "part cut: %ld bytes at %ld", static_cast<long>(length), static_cast<long>(start));
    return 1;
}

bool CStreamClient::StartAnyStream()
{
    // No Content-Type at all: the camera's own stream.
    const MultipartType type =
        CMultipartReader::ParseContentType(m_strContentType.empty() ? "multipart/x-mixed-replace" : m_strContentType);
    m_strMediaType = type.mediaType;
    m_decoder = CChunkedDecoder();
    if (m_reader.Begin(type, STREAM_RECEIVE_SIZE)) return true;
    VE_TRACE(stream, "not a picture stream: %s", traceText(type.mediaType).c_str());
    if (m_strNotPictureType.empty()) m_strNotPictureType = type.mediaType;
    AddErrorFlags(ERR_NOT_PICTURE_STREAM, 0);
    return false;
}

void CStreamClient::RejectStream()
{
    VE_TRACE(stream, "not a picture stream: %s", traceText(m_strMediaType).c_str());
    if (m_strNotPictureType.empty()) m_strNotPictureType = m_strMediaType;
    CloseSocketOnce();
    AddErrorFlags(ERR_NOT_PICTURE_STREAM, 0);
    StreamState expected = STREAM_STREAMING;
    m_nState.compare_exchange_strong(expected, STREAM_FAILED, std::memory_order_acq_rel);
}

void CStreamClient::FailStream(DWORD code)
{
    VE_TRACE(stream, "ended before a picture: code %lu", static_cast<unsigned long>(code));
    CloseSocketOnce();
    AddErrorFlags(ERR_STATUS, code);
    StreamState expected = STREAM_STREAMING;
    m_nState.compare_exchange_strong(expected, STREAM_FAILED, std::memory_order_acq_rel);
}

void CStreamClient::Close()
{
    VE_TRACE(stream, "ended");
    CloseSocketOnce();
    StreamState expected = STREAM_STREAMING;
    m_nState.compare_exchange_strong(expected, STREAM_IDLE, std::memory_order_acq_rel);
}

void CStreamClient::CloseInternetHandles()
{
    if (HINTERNET request = m_hRequest.exchange(nullptr, std::memory_order_acq_rel)) {
        VE_TRACE_CALL(wininet, "InternetCloseHandle", "(%p)", request);
        InternetCloseHandle(request);
    }
    if (HINTERNET internet = m_hInternet.exchange(nullptr, std::memory_order_acq_rel)) {
        VE_TRACE_CALL(wininet, "InternetCloseHandle", "(%p)", internet);
        InternetCloseHandle(internet);
    }
}

void CStreamClient::SetHost(const char* text, size_t length)
{
    std::free(m_pBlock->host);
    m_pBlock->host = static_cast<char*>(std::malloc(length + 1));
    if (!m_pBlock->host) return;
    std::memcpy(m_pBlock->host, text, length);
    m_pBlock->host[length] = '\0';
}
