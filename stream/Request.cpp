// The stream request on the raw socket: the Basic credentials, the request
// bytes, and the reading of the response head.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/kernel/Kernel.h"
#include "platform/trace/Trace.h"
#include "stream/ResponseHead.h"
#include "stream/StreamClient.h"

int CStreamClient::Base64Encode(const unsigned char* input, int count, char* output)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (count <= 0 || !input || !output) return 0;
    int n = 0;
    int i = 0;
    for (; i + 2 < count; i += 3) {
        const unsigned v = static_cast<unsigned>(input[i]) << 16 | static_cast<unsigned>(input[i + 1]) << 8 | input[i + 2];
        output[n++] = kAlphabet[(v >> 18) & 63];
        output[n++] = kAlphabet[(v >> 12) & 63];
        output[n++] = kAlphabet[(v >> 6) & 63];
        output[n++] = kAlphabet[v & 63];
    }
    if (count - i == 1) {
        const unsigned v = static_cast<unsigned>(input[i]) << 16;
        output[n++] = kAlphabet[(v >> 18) & 63];
        output[n++] = kAlphabet[(v >> 12) & 63];
        output[n++] = '=';
        output[n++] = '=';
    } else if (count - i == 2) {
        const unsigned v = static_cast<unsigned>(input[i]) << 16 | static_cast<unsigned>(input[i + 1]) << 8;
        output[n++] = kAlphabet[(v >> 18) & 63];
        output[n++] = kAlphabet[(v >> 12) & 63];
        output[n++] = kAlphabet[(v >> 6) & 63];
        output[n++] = '=';
    }
    return n;
}

void CStreamClient::BuildCredentials()
{
    m_bRequestTooLong = m_bCredentialsTooLong;
    if (m_bRequestTooLong || !m_pBlock || (m_pBlock->userName.empty() && m_pBlock->password.empty())) return;
    const std::string plain = m_pBlock->userName + ":" + m_pBlock->password;
    if (plain.size() > static_cast<size_t>(STREAM_MAX_CREDENTIALS)) {
        // They would not fit the encoding buffer: the request is refused.
        m_bRequestTooLong = true;
        return;
    }
    char encoded[STREAM_BASE64_SIZE];
    const int n = Base64Encode(reinterpret_cast<const unsigned char*>(plain.data()), static_cast<int>(plain.size()), encoded);
    encoded[n] = '\0';
    m_pBuffer->SetText(SB_CREDENTIALS, encoded);
}

namespace {

bool breaksLine(std::string_view text) { return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }
// A space or tab in the request target would end the target early and make
// the rest of it read as the protocol version.
bool breaksTarget(std::string_view text) { return breaksLine(text) || text.find_first_of(" \t") != std::string_view::npos; }

} // namespace

std::string CStreamClient::BuildRequest() const
{
    if (!m_pBlock || m_bRequestTooLong) return std::string();
    // The worker completes its own copy of the path; the block's path
    // belongs to the control's thread.
    std::string path = m_strRequestPath;
    if (path.compare(0, 7, "?Record") == 0)
        path = "http://" + m_pBlock->hostPrefix + "cgi-bin/nphReplayRecord" + path;
    else if (path.compare(0, 1, "?") == 0)
        path = "http://" + m_pBlock->hostPrefix + "cgi-bin/nphContinuousServerPush" + path;

    // Texts from the page and the camera go into lines of the request: one
    // holding a line break (or a NUL) would end its line early and add
    // lines of its own choosing, and a path holding a space or tab would
    // split the request line, so such a request is not sent at all.
    const std::string host = m_pBlock->host ? m_pBlock->host : "";
    if (breaksTarget(path) || breaksLine(host) || breaksLine(m_szCookie)) return std::string();

    std::string request = "GET " + path + " HTTP/1.0\r\n";
    request += "Host: " + host + ":" + std::to_string(m_pBlock->port) + "\r\n";
    if (m_pBlock->noCache) request += "Pragma: no-cache\r\n";
    if (!m_pBlock->credentials.empty()) request += m_pBlock->credentials + "\r\n";
    if (m_szCookie[0]) request += std::string("Cookie: ") + m_szCookie + "\r\n";
    request += "\r\n";
    if (request.size() > static_cast<size_t>(STREAM_REQUEST_SIZE - 1)) return std::string();
    return request;
}

void CStreamClient::SendRequest()
{
    if (!m_pBlock) return;
    const std::string request = BuildRequest();
    // A request that does not fit its buffer is not sent at all: the socket
    // is closed as after a failed send, and the response read then fails.
    if (request.empty()) {
        CloseSocketOnce();
        return;
    }
    size_t sent = 0;
    while (sent < request.size()) {
        VE_TRACE_CALL(winsock, "send", "(0x%lx, %s, %lu)", static_cast<unsigned long>(GetSocket()),
                      traceText(request.data() + sent, request.size() - sent).c_str(),
                      static_cast<unsigned long>(request.size() - sent));
        const int n = send(GetSocket(), request.data() + sent, static_cast<int>(request.size() - sent), 0);
        if (n <= 0) {
            const int error = WSAGetLastError();
            CloseSocketOnce();
            WSASetLastError(error);
            return;
        }
        sent += static_cast<size_t>(n);
    }
}

namespace {

// Bounds the next blocking recv on `s` to the time left until `deadline`
// (a tick count); false, with WSAETIMEDOUT, when none is left.
bool boundReceive(SOCKET s, DWORD deadline)
{
    const LONG left = static_cast<LONG>(deadline - GetTickCount());
    if (left <= 0) {
        WSASetLastError(WSAETIMEDOUT);
        return false;
    }
    const DWORD ms = static_cast<DWORD>(left);
    return setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms) == 0;
}

} // namespace

int CStreamClient::ReadResponseHead(SOCKET s)
{
    // The head is read in blocks: each block is looked at where it waits
    // (MSG_PEEK), the parser takes what belongs to the head, and exactly
    // that many bytes are then read off the socket, so the body stays there
    // for the receive step. A head that takes longer than the deadline, or
    // is longer than the limit, ends the stream as a status failure.
    const DWORD deadline = GetTickCount() + m_dwHeadDeadlineMs;
    m_nHeadReads = 0;
    ResponseHeadParser parser;
    std::size_t total = 0;
    char block[STREAM_HEAD_BLOCK];
    bool ok = true;
    while (ok && !parser.Done()) {
        if (total >= static_cast<std::size_t>(STREAM_HEAD_LIMIT)) {
            WSASetLastError(WSAEMSGSIZE);
            ok = false;
            break;
        }
        const int room = static_cast<int>(std::min<std::size_t>(sizeof block, STREAM_HEAD_LIMIT - total));
        if (!boundReceive(s, deadline)) {
            ok = false;
            break;
        }
        VE_TRACE_CALL(winsock, "recv", "(0x%lx, %d, MSG_PEEK)", static_cast<unsigned long>(s), room);
        const int n = recv(s, block, room, MSG_PEEK);
        ++m_nHeadReads;
        if (n <= 0) {
            if (n == 0) WSASetLastError(0); // the camera closed the connection
            ok = false;
            break;
        }
        std::size_t used = parser.Feed(block, static_cast<std::size_t>(n));
        total += used;
        while (used > 0) {
            VE_TRACE_CALL(winsock, "recv", "(0x%lx, %lu, 0)", static_cast<unsigned long>(s),
                          static_cast<unsigned long>(used));
            const int taken = recv(s, block, static_cast<int>(used), 0);
            ++m_nHeadReads;
            if (taken <= 0) {
                if (taken == 0) WSASetLastError(0);
                ok = false;
                break;
            }
            used -= static_cast<std::size_t>(taken);
        }
    }
    if (ok) {
        // The socket reads without a bound again (it becomes non-blocking
        // for the receive step anyway); the last error stays as it was.
        const int error = WSAGetLastError();
        const DWORD none = 0;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&none), sizeof none);
        WSASetLastError(error);
    }
    // A head cut off before its empty line was not read: whatever its
    // status line said, the stream does not start.
    m_strContentType = parser.ContentType();
    m_bChunked = parser.Chunked();
    return ok && parser.Done() ? parser.Status() : -1;
}
