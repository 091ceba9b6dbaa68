// CStreamClient: the control's connection object. A worker thread does
// everything that blocks while a connection is opened (the preflight with
// its password prompt, name resolution, connect, request and response
// head); the control's thread then reads the stream. The stream state,
// the error flags and the error code are the hand-over points.
#pragma once

#include <atomic>
#include <string>

#include "platform/win/WinTypes.h"
#include "platform/wininet/WinInet.h"
#include "platform/winsock/Winsock.h"
#include "stream/ChunkedDecoder.h"
#include "stream/MultipartReader.h"
#include "stream/StreamBuffer.h"

// States of the connection object.
enum class StreamState : LONG {
    STREAM_IDLE = 1,
    STREAM_PREFLIGHT = 2,
    STREAM_CONNECTING = 3,
    STREAM_STREAMING = 4,
    STREAM_FAILED = 5,
    STREAM_SHUTTING_DOWN = 6,
};
using enum StreamState;

// Error flags published for the status text, combined with | and & and
// shown to the user as their number (errorBits).
enum class StreamError : DWORD {
    ERR_NONE = 0,
    ERR_NO_HOST_PREFIX = 0x1,
    ERR_INTERNET_OPEN = 0x2,
    ERR_OPEN_URL = 0x4,
    ERR_SEND_REQUEST = 0x8,
    ERR_QUERY_STATUS = 0x10,
    ERR_DIALOG = 0x20,
    ERR_PROXY_AUTH = 0x40,
    ERR_SOCKET_INFO = 0x80,
    ERR_PROXY_ADDRESS = 0x100,
    ERR_USER_NAME = 0x200,
    ERR_PROXY_CONNECT = 0x800,
    ERR_RESOLVE = 0x1000,
    ERR_CONNECT = 0x2000,
    ERR_STATUS = 0x4000,
    ERR_PREFLIGHT_STATUS = 0x8000,
    ERR_NON_BLOCKING = 0x10000,
    // The answer was no multipart stream (only when any picture stream is
    // read): the status text names its media type instead of a code.
    ERR_NOT_PICTURE_STREAM = 0x20000,
};
using enum StreamError;
constexpr DWORD errorBits(StreamError flags) { return static_cast<DWORD>(flags); }
constexpr StreamError operator|(StreamError a, StreamError b) { return StreamError(errorBits(a) | errorBits(b)); }
constexpr StreamError operator&(StreamError a, StreamError b) { return StreamError(errorBits(a) & errorBits(b)); }
constexpr StreamError& operator|=(StreamError& a, StreamError b) { return a = a | b; }

// Results of the preflight.
enum : int {
    PREFLIGHT_DONE = 1,
    PREFLIGHT_FAILED = -1,
    PREFLIGHT_RETRY = -2,
};

constexpr int STREAM_COOKIE_SIZE = 75;
constexpr int STREAM_REQUEST_SIZE = 1024;
constexpr int STREAM_BASE64_SIZE = 512;
constexpr int STREAM_LINE_SIZE = 512;
// The response head must be complete within this time and this size, else
// the stream fails with the status failure and WSAETIMEDOUT or WSAEMSGSIZE.
constexpr DWORD STREAM_HEAD_DEADLINE_MS = 10000;
constexpr int STREAM_HEAD_LIMIT = 16 * 1024;
// The bytes looked at in one read of the head.
constexpr int STREAM_HEAD_BLOCK = 2048;
// The longest user name, colon and password text whose Base64 form and its
// terminator fit the encoding buffer: 381 bytes give 508 characters, while
// 382 and 383 bytes would already need 512 and the terminator a 513th byte.
constexpr int STREAM_MAX_CREDENTIALS = (STREAM_BASE64_SIZE - 1) / 4 * 3;
static_assert((STREAM_MAX_CREDENTIALS + 2) / 3 * 4 < STREAM_BASE64_SIZE, "the encoding and its terminator fit");

class CStreamClient {
public:
    explicit CStreamClient(CStreamBuffer* buffer);
    virtual ~CStreamClient();
    CStreamClient(const CStreamClient&) = delete;
    CStreamClient& operator=(const CStreamClient&) = delete;

    void SetBrowserWindow(HWND hwnd) { m_hBrowserWnd = hwnd; }
    HWND GetBrowserWindow() const { return m_hBrowserWnd; }
    int SetPageUrl(const std::string& url);

    // Reading any multipart/x-mixed-replace stream at an address given
    // directly, rather than a camera's: no preflight, the boundary from the
    // answer's Content-Type. Set on the control's thread while idle.
    void SetAnyPictureStream(bool on) { m_bAnyStream.store(on, std::memory_order_release); }
    bool IsAnyPictureStream() const { return m_bAnyStream.load(std::memory_order_acquire); }
    // The worker, with nothing to do (idle, streaming, failed), waits a
    // second between looks at its state rather than 100 ms, and Prepare
    // wakes it. Off by default.
    void SetRestingWorker(bool on) { m_bRestingWorker.store(on, std::memory_order_release); }
    // The reader of such a stream: set up by the worker before it publishes
    // streaming, used by the control's thread from then on.
    CMultipartReader& GetReader() { return m_reader; }
    // The chunk framing of the stream's body, when its head gave one.
    bool IsChunked() const { return m_bChunked; }
    CChunkedDecoder& GetDecoder() { return m_decoder; }
    // The body turned out to be no picture stream (its first line named no
    // boundary): closes it with the status of an answer that was none.
    void RejectStream();
    // The media type of an answer that was no picture stream; valid once
    // ERR_NOT_PICTURE_STREAM is published.
    const std::string& GetNotPictureType() const { return m_strNotPictureType; }
    // The Content-Type value of the last answer head read.
    const std::string& GetContentType() const { return m_strContentType; }
    // Parses an address "http://[user:password@]host[:port]/..." into the
    // block (host, host prefix, user name and password); false when it has
    // no host.
    bool ParseStreamUrl(const std::string& url);

    // Works out host, port and host prefix and starts opening a connection:
    // 0 and state 2, or -1 (state 1) when no host prefix can be found.
    int Prepare();
    // The part of Prepare that reads the addresses: host, port, host prefix
    // and the worker's copy of the stream path; false when no host prefix
    // can be found. The control's thread, state 1.
    bool Locate();

    StreamState GetState() const { return m_nState.load(std::memory_order_acquire); }
    StreamError GetErrorFlags() const { return StreamError(m_dwErrorFlags.load(std::memory_order_acquire)); }
    DWORD GetErrorCode() const { return m_dwErrorCode.load(std::memory_order_acquire); }
    const char* GetHost() const;
    LONG GetPort() const;

    // The control's side of a streaming connection (its thread only).
    int Receive();
    int GetReceiveError() const { return m_nReceiveError; }
    int CutLastFrame();
    void Close();
    // Ends a stream that broke off before its first picture as a failed
    // connection: the socket closed, the status failure flag with `code`
    // published, state 5.
    void FailStream(DWORD code);

    // Publishing, for the worker and for tests that play its part. The code
    // is stored before the flags, so a reader that sees new flags also sees
    // their code.
    void PublishState(StreamState state) { m_nState.store(state, std::memory_order_release); }
    void PublishError(StreamError flags, DWORD code)
    {
        m_dwErrorCode.store(code, std::memory_order_release);
        m_dwErrorFlags.store(errorBits(flags), std::memory_order_release);
    }

    // Steps of the worker, open to tests.
    // The preflight's result: PREFLIGHT_DONE, PREFLIGHT_FAILED, or
    // PREFLIGHT_RETRY for a failure worth another try.
    int RunPreflight();
    int Connect();
    void BuildCredentials();
    void SendRequest();
    // The request text for the worker's copy of the stream path; empty when
    // it or its credentials do not fit their buffers (nothing is sent then).
    std::string BuildRequest() const;
    // Takes the worker's copy of the stream path, with any user name and
    // password removed from its address (the control's thread, state 1).
    void TakeRequestPath();
    const std::string& GetRequestPath() const { return m_strRequestPath; }
    int ReadResponseHead(SOCKET s);
    // The head's deadline (tests shorten it) and the reads (recv calls) the
    // last head took.
    void SetHeadDeadline(DWORD ms) { m_dwHeadDeadlineMs = ms; }
    int GetHeadReads() const { return m_nHeadReads; }
    const char* GetCookieText() const { return m_szCookie; }
    // The "SESSIONID=value" item of a cookie list ("a=1; SESSIONID=x; b=2"),
    // wherever it stands; empty when the list has none.
    static std::string FindSessionCookie(const std::string& cookies);
    SOCKET GetSocket() const { return m_socket.load(std::memory_order_acquire); }

    static int Base64Encode(const unsigned char* input, int count, char* output);
    // Both parse the stream path or page URL into the block; true on success.
    bool ParseImageUrl();
    bool ParsePageUrl();
    static int ParsePort(char* host);

private:
    static unsigned WINAPI WorkerMain(void* arg);
    int Step();
    int Advance(int result);
    void Fail();
    void AddErrorFlags(StreamError flags, DWORD code);
    void CloseInternetHandles();
    void CloseSocketOnce();
    // Takes the named mutex, polling while another holds it; false when a
    // stop is requested meanwhile (then *mutex is null).
    bool WaitForNamedMutex(const char* name, HANDLE* mutex) const;
    bool StopRequested() const { return m_nStopRequest.load(std::memory_order_acquire) != 0; }
    void SetHost(const char* text, size_t length);

    std::atomic<bool> m_bRestingWorker{false};
    std::atomic<DWORD> m_dwErrorCode{0};
    int m_nReceiveError = 0;
    std::atomic<DWORD> m_dwErrorFlags{0};
    std::atomic<SOCKET> m_socket{0};
    StreamBufferBlock* m_pBlock;
    CStreamBuffer* m_pBuffer;
    int m_nPreflightError = 0;
    StreamError m_nPreflightFlags = ERR_NONE;
    HWND m_hBrowserWnd = nullptr;
    HANDLE m_hPreflightMutex = nullptr;
    HANDLE m_hThread = nullptr;
    std::atomic<LONG> m_nStopRequest{0};
    std::atomic<HINTERNET> m_hInternet{nullptr};
    std::atomic<HINTERNET> m_hRequest{nullptr};
    // The proxy's address as a preflight saw it (IPv4 or IPv6 layout).
    unsigned char* m_pProxyAddress = nullptr;
    int m_nProxyAddressLength = 0;
    std::atomic<StreamState> m_nState{STREAM_IDLE};
    char m_szCookie[STREAM_COOKIE_SIZE] = {};
    // Set when the request or its credentials do not fit their buffers:
    // nothing is sent and the connection fails as a status failure.
    bool m_bRequestTooLong = false;
    // Set by a preflight whose user name or password was too long to read
    // back: the stream request is refused rather than sent without them.
    bool m_bCredentialsTooLong = false;
    // The stream path as the worker sends it: copied from the block when a
    // connection is prepared, so that a parameter exchange may set the
    // block's path while the worker opens the connection.
    std::string m_strRequestPath;
    DWORD m_dwHeadDeadlineMs = STREAM_HEAD_DEADLINE_MS;
    int m_nHeadReads = 0;
    // Checks the answer's type and sets the reader up; false (with the
    // error published) when it is no picture stream.
    bool StartAnyStream();

    std::atomic<bool> m_bAnyStream{false};
    // Locate took the stream's own address (set on the control's thread
    // before the worker is started on the connection).
    bool m_bDirectAddress = false;
    CMultipartReader m_reader;
    CChunkedDecoder m_decoder;
    bool m_bChunked = false;
    std::string m_strMediaType; // of the stream being read
    std::string m_strContentType;
    std::string m_strNotPictureType;
    // Wakes the worker's pause between rounds early when a stop is requested.
    HANDLE m_hWake = nullptr;
};
