// The stream request on the raw socket: the Basic credentials, the request
// bytes, and the reading of the response head, byte by byte.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

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
    // lines of its own choosing, so such a request is not sent at all.
    const std::string host = m_pBlock->host ? m_pBlock->host : "";
    if (breaksLine(path) || breaksLine(host) || breaksLine(m_szCookie)) return std::string();

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

// One byte of the response head; false when the read fails or the camera
// has closed the connection, which leaves the last error at 0.
bool readByte(SOCKET s, char* c)
{
    const int n = recv(s, c, 1, 0);
    if (n == 0) WSASetLastError(0);
    return n > 0;
}

// Reads single bytes into buffer up to a space (replaced by a terminator)
// or until the buffer is full; false when a read fails.
bool readToken(SOCKET s, char* buffer, int size)
{
    int i = 0;
    while (i < size) {
        char c;
        if (!readByte(s, &c)) return false;
        if (c == ' ') {
            buffer[i] = '\0';
            return true;
        }
        buffer[i++] = c;
    }
    return true;
}

// One header line: bytes up to a line feed or a full buffer; the line feed
// and a carriage return right before it become terminators. Returns the
// number of bytes before the line feed, or -1 when a read fails.
int readLine(SOCKET s, char* buffer, int size)
{
    int i = 0;
    while (i < size) {
        char c;
        if (!readByte(s, &c)) return -1;
        if (c == '\n') {
            buffer[i] = '\0';
            if (i > 0 && buffer[i - 1] == '\r') buffer[i - 1] = '\0';
            return i;
        }
        buffer[i++] = c;
    }
    return i;
}

} // namespace

int CStreamClient::ReadResponseHead(SOCKET s)
{
    // One byte more than a token may take, so that the text always ends.
    char buffer[STREAM_LINE_SIZE + 1];
    int status = -1;
    std::memset(buffer, 0, sizeof buffer);
    if (readToken(s, buffer, STREAM_LINE_SIZE)) {
        std::memset(buffer, 0, sizeof buffer);
        if (readToken(s, buffer, STREAM_LINE_SIZE)) {
            bool ok = true;
            for (;;) {
                char c;
                if (!readByte(s, &c)) {
                    ok = false;
                    break;
                }
                if (c == '\n') break;
            }
            if (ok) {
                long value = 0;
                for (const char* p = buffer; *p >= '0' && *p <= '9' && value < 100000; ++p) value = value * 10 + (*p - '0');
                status = static_cast<int>(value);
            }
        }
    }
    if (status < 0) return -1;
    // A head cut off before its empty line was not read: whatever its
    // status line said, the stream does not start.
    for (;;) {
        std::memset(buffer, 0, sizeof buffer);
        const int n = readLine(s, buffer, STREAM_LINE_SIZE);
        if (n < 0) return -1;
        if (buffer[0] == '\0') break;
    }
    return status;
}
