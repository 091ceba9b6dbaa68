#include "stream/StreamClient.h"

#include "platform/kernel/Kernel.h"

namespace {
constexpr DWORD kWorkerPauseMs = 100;
}

CStreamClient::CStreamClient(CStreamBuffer* buffer)
    : m_pBlock(buffer ? buffer->GetBlock() : nullptr), m_pBuffer(buffer)
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
    if (m_hWake) SetEvent(m_hWake);
    if (m_hThread) {
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
    }
    if (m_hWake) CloseHandle(m_hWake);
}

unsigned CStreamClient::WorkerMain(void* arg)
{
    auto* self = static_cast<CStreamClient*>(arg);
    while (self->Step() >= 0) WaitForSingleObject(self->m_hWake, kWorkerPauseMs);
    return 0;
}

int CStreamClient::Step()
{
    switch (GetState()) {
    case STREAM_SHUTTING_DOWN:
        return -1;
    default:
        return 0;
    }
}

int CStreamClient::SetPageUrl(const std::string& url)
{
    if (!m_pBlock) return -1;
    m_pBlock->pageUrl = url;
    return 0;
}

int CStreamClient::Prepare()
{
    // Opening a connection needs the page's address classified into host,
    // port and prefix; until that exists nothing can start.
    return -1;
}

const char* CStreamClient::GetHost() const { return m_pBlock ? m_pBlock->host : nullptr; }

LONG CStreamClient::GetPort() const { return m_pBlock ? m_pBlock->port : 0; }

void CStreamClient::Close()
{
    LONG expected = STREAM_STREAMING;
    m_nState.compare_exchange_strong(expected, STREAM_IDLE, std::memory_order_acq_rel);
}
