#include "stream/StreamBuffer.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
// The boundary line, the one part header line and the empty line that ends
// the part header, all ended by bare line feeds.
constexpr char kPartPattern[] = "--myboundary\nContent-type: image/jpeg\n\n";
} // namespace

CStreamBuffer::CStreamBuffer() : m_pBlock(new (std::nothrow) StreamBufferBlock) {}

CStreamBuffer::~CStreamBuffer()
{
    if (!m_pBlock) return;
    delete[] m_pBlock->frameBytes;
    std::free(m_pBlock->host);
    delete m_pBlock;
}

void CStreamBuffer::InitBuffer()
{
    if (!m_pBlock) return;
    std::memset(m_pBlock->pattern, 0, sizeof m_pBlock->pattern);
    std::memcpy(m_pBlock->pattern, kPartPattern, sizeof kPartPattern - 1);
    m_pBlock->patternLength = sizeof kPartPattern - 1;
    m_pBlock->noCache = 0;
    m_pBlock->held = 0;
    m_pBlock->parseMode = 0;
}

int CStreamBuffer::Reset()
{
    if (!m_pBlock) return -1;
    m_pBlock->held = 0;
    m_pBlock->parseMode = 0;
    m_pBlock->frameLength = 0;
    return 0;
}

BYTE* CStreamBuffer::GetData(StreamBufferCode code)
{
    if (!m_pBlock || code != SB_FRAME_BYTES) return nullptr;
    return m_pBlock->frameBytes;
}

LONG CStreamBuffer::GetNumber(StreamBufferCode code)
{
    if (!m_pBlock) return -1;
    switch (code) {
    case SB_FRAME_LENGTH:
        return static_cast<LONG>(m_pBlock->frameLength);
    case SB_PORT:
        return m_pBlock->port;
    default:
        return -1;
    }
}

BYTE CStreamBuffer::GetFlag(StreamBufferCode code)
{
    if (!m_pBlock) return 0;
    switch (code) {
    case SB_FRAME_READY:
        return m_pBlock->frameReady;
    case SB_NO_CACHE:
        return m_pBlock->noCache;
    default:
        return 0;
    }
}

void CStreamBuffer::SetFlag(StreamBufferCode code, BYTE value)
{
    if (m_pBlock && code == SB_FRAME_READY) m_pBlock->frameReady = value;
}

void CStreamBuffer::SetText(StreamBufferCode code, const std::string& text)
{
    if (!m_pBlock) return;
    switch (code) {
    case SB_PATH:
        m_pBlock->path = text;
        break;
    case SB_CREDENTIALS:
        if (!text.empty()) m_pBlock->credentials = "Authorization: Basic " + text;
        break;
    case SB_PROXY_CREDENTIALS:
        if (!text.empty()) m_pBlock->credentials += "\r\nProxy-Authorization: Basic " + text;
        break;
    case SB_SPARE_TEXT:
        m_pBlock->spareText = text;
        break;
    case SB_CREDENTIALS_OR_CLEAR:
        m_pBlock->credentials = text.empty() ? std::string() : "Authorization: Basic " + text;
        break;
    default:
        break;
    }
}

void CStreamBuffer::Consume(LONG consumed)
{
    if (!m_pBlock || consumed <= 0) return;
    StreamBufferBlock* b = m_pBlock;
    const DWORD used = static_cast<DWORD>(consumed) > b->held ? b->held : static_cast<DWORD>(consumed);
    b->held -= used;
    std::memcpy(b->scratch, b->receive + used, b->held);
    std::memcpy(b->receive, b->scratch, b->held);
}
