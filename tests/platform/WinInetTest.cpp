// The internet layer, one test per family: proxy bypass lists, cookie
// matching, the buffer-size and last-error contracts of the calls the
// system makes, closing a handle from another thread, and the receive
// timeout. The network ones talk to a small HTTP server on loopback.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/Kernel.h"
#include "platform/wininet/linux/InternetObjects.h"
#include "platform/wininet/linux/StandInWinInet.h"
#include "tests/support/Loopback.h"

namespace {

// Answers each connection in turn with the next scripted answer, after
// reading the request head; an empty answer leaves the request unanswered
// until the client gives up. Counts the requests it read.
class HttpServer {
public:
    explicit HttpServer(std::vector<std::string> answers) : m_answers(std::move(answers))
    {
        m_thread = std::thread([this] { run(); });
    }
    ~HttpServer()
    {
        m_stopping.store(true, std::memory_order_release);
        closesocket(m_listener.handle());
        m_thread.join();
    }
    int port() const { return m_listener.port(); }
    std::string url(const std::string& path = "/") const { return "http://127.0.0.1:" + std::to_string(port()) + path; }
    int requests() const { return m_requests.load(std::memory_order_acquire); }

private:
    void run()
    {
        for (const auto& answer : m_answers) {
            const SOCKET s = m_listener.acceptOne();
            if (s == INVALID_SOCKET) return;
            std::string head;
            char buffer[1024];
            while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
                const int n = recv(s, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                head.append(buffer, static_cast<size_t>(n));
            }
            m_requests.fetch_add(1, std::memory_order_acq_rel);
            if (!answer.empty()) {
                send(s, answer.data(), static_cast<int>(answer.size()), 0);
            } else {
                // Stalled: wait for the client to hang up.
                while (!m_stopping.load(std::memory_order_acquire) && recv(s, buffer, sizeof buffer, 0) > 0) {
                }
            }
            closesocket(s);
        }
    }

    LoopbackListener m_listener;
    std::vector<std::string> m_answers;
    std::atomic<int> m_requests{0};
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

std::string answer(int status, const std::string& extraHeaders = "", const std::string& body = "ok")
{
    return "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

class WinInet : public testing::Test {
protected:
    void SetUp() override { standin::InternetResetSessionState(); }
    void TearDown() override { standin::InternetResetSessionState(); }
};

// --- proxy bypass lists ---------------------------------------------------

struct BypassCase {
    const char* list;
    const char* url;
    bool direct;
};

TEST(WinInetProxy, BypassListsNameHostsDomainsEverythingAndAddressLiterals)
{
    const BypassCase cases[] = {
        // Names: the host itself, in any case, whatever the URL's port.
        {"camera", "http://camera/", true},
        {"CAMERA", "http://Camera:8080/x", true},
        {"camera", "http://camera2/", false},
        {"camera", "http://my-camera/", false},
        // Suffixes: a domain covers its hosts, with or without a leading dot,
        // but not names that merely end in the same letters.
        {"example.com", "http://cam.example.com/", true},
        {".example.com", "http://cam.example.com/", true},
        {".example.com", "http://example.com/", true},
        {"example.com", "http://badexample.com/", false},
        {"example.com", "http://example.com.evil/", false},
        // Everything.
        {"*", "http://anything.at.all:81/", true},
        {"", "http://camera/", false},
        // Several entries, separated by commas, spaces or both.
        {"a.test, camera ,b.test", "http://camera/", true},
        {"a.test b.test", "http://b.test/", true},
        {"a.test,,b.test", "http://c.test/", false},
        // IPv4 literals match whole addresses only.
        {"127.0.0.1", "http://127.0.0.1:8080/", true},
        {"127.0.0.1", "http://127.0.0.10/", false},
        {"10.0.0.1", "http://110.0.0.1/", false},
        // IPv6 literals are written without brackets and match the URL's
        // bracketed host.
        {"::1", "http://[::1]:8080/", true},
        {"fe80::1", "http://[FE80::1]/", true},
        {"::1", "http://[::2]/", false},
        // User information in the URL is not the host.
        {"camera", "http://camera@elsewhere/", false},
        {"elsewhere", "http://user:pw@elsewhere/", true},
    };
    for (const auto& c : cases) {
        std::string host;
        inet::ServerOf(c.url, &host);
        EXPECT_EQ(inet::BypassesProxy(inet::ParseBypassList(c.list), host), c.direct)
            << "list \"" << c.list << "\", url " << c.url;
    }
}

TEST(WinInetProxy, ServerOfGivesHostAndPortForCachingCredentials)
{
    std::string host;
    EXPECT_EQ(inet::ServerOf("http://Camera/a?b#c", &host), "camera:80");
    EXPECT_EQ(host, "camera");
    EXPECT_EQ(inet::ServerOf("http://u:p@camera:8080/", &host), "camera:8080");
    EXPECT_EQ(host, "camera");
    EXPECT_EQ(inet::ServerOf("http://[::1]/", &host), "[::1]:80");
    EXPECT_EQ(host, "::1");
    EXPECT_EQ(inet::ServerOf("http://[::1]:81/", &host), "[::1]:81");
    EXPECT_EQ(host, "::1");
}

TEST_F(WinInet, RequestsGoThroughTheProxyUnlessTheBypassListNamesTheHost)
{
    HttpServer proxy({answer(200), answer(200)});
    HttpServer direct({answer(200)});
    const std::string proxyName = "127.0.0.1:" + std::to_string(proxy.port());
    const std::string bypass = "camera.invalid, 127.0.0.1";
    HINTERNET session = InternetOpenA("test", INTERNET_OPEN_TYPE_PROXY, proxyName.c_str(), bypass.c_str(), 0);
    ASSERT_NE(session, nullptr);

    auto flagsOf = [](HINTERNET request) {
        INTERNET_DIAGNOSTIC_SOCKET_INFO info{};
        DWORD length = sizeof info;
        EXPECT_TRUE(InternetQueryOptionA(request, INTERNET_OPTION_DIAGNOSTIC_SOCKET_INFO, &info, &length));
        // The socket stands for the connection: its peer is where the request went.
        sockaddr_in peer{};
        int peerLength = sizeof peer;
        EXPECT_EQ(getpeername(info.Socket, reinterpret_cast<sockaddr*>(&peer), &peerLength), 0);
        return std::make_pair(info.Flags, static_cast<int>(ntohs(peer.sin_port)));
    };

    // Not on the list: through the proxy, whose address the socket gives.
    HINTERNET viaProxy = InternetOpenUrlA(session, "http://elsewhere.invalid/", nullptr, 0, 0, 0);
    ASSERT_NE(viaProxy, nullptr) << GetLastError();
    EXPECT_EQ(flagsOf(viaProxy), std::make_pair(IDSI_FLAG_PROXY, proxy.port()));
    InternetCloseHandle(viaProxy);

    // On the list: direct.
    HINTERNET bypassed = InternetOpenUrlA(session, direct.url().c_str(), nullptr, 0, 0, 0);
    ASSERT_NE(bypassed, nullptr) << GetLastError();
    EXPECT_EQ(flagsOf(bypassed), std::make_pair(DWORD{0}, direct.port()));
    InternetCloseHandle(bypassed);
    EXPECT_EQ(proxy.requests(), 1);
    EXPECT_EQ(direct.requests(), 1);
    InternetCloseHandle(session);
}

// --- cookies ----------------------------------------------------------------

struct CookieCase {
    const char* line;
    const char* host;
    const char* path;
    bool sent;
};

TEST(WinInetCookies, StoreLinesMatchTheirHostDomainAndPath)
{
    const CookieCase cases[] = {
        // A host cookie goes to its host only.
        {"camera\tFALSE\t/\tFALSE\t0\tSESSIONID\tabc", "camera", "/", true},
        {"camera\tFALSE\t/\tFALSE\t0\tSESSIONID\tabc", "CAMERA", "/", false}, // hosts arrive lower-cased
        {"camera\tFALSE\t/\tFALSE\t0\tSESSIONID\tabc", "x.camera", "/", false},
        // A domain cookie goes to the domain and the hosts in it, not to
        // names that merely end in the same letters.
        {".example.com\tTRUE\t/\tFALSE\t0\tA\tB", "example.com", "/", true},
        {".example.com\tTRUE\t/\tFALSE\t0\tA\tB", "cam.example.com", "/", true},
        {".example.com\tTRUE\t/\tFALSE\t0\tA\tB", "badexample.com", "/", false},
        {"example.com\tTRUE\t/\tFALSE\t0\tA\tB", "badexample.com", "/", false},
        // Paths: the cookie's path is a prefix of the request's.
        {"camera\tFALSE\t/cgi-bin\tFALSE\t0\tA\tB", "camera", "/cgi-bin/x", true},
        {"camera\tFALSE\t/cgi-bin\tFALSE\t0\tA\tB", "camera", "/", false},
        // HttpOnly cookies are stored with a marker and still match.
        {"#HttpOnly_camera\tFALSE\t/\tFALSE\t0\tA\tB", "camera", "/", true},
        // Lines that are not cookies never match.
        {"# Netscape HTTP Cookie File", "camera", "/", false},
        {"camera\tFALSE\t/", "camera", "/", false},
    };
    for (const auto& c : cases) {
        std::string name;
        std::string value;
        EXPECT_EQ(inet::CookieLineMatches(c.line, c.host, c.path, &name, &value), c.sent)
            << "line \"" << c.line << "\", host " << c.host << ", path " << c.path;
    }
    std::string name;
    std::string value;
    ASSERT_TRUE(inet::CookieLineMatches("camera\tFALSE\t/\tFALSE\t0\tSESSIONID\ta=b", "camera", "/", &name, &value));
    EXPECT_EQ(name, "SESSIONID");
    EXPECT_EQ(value, "a=b");
}

TEST_F(WinInet, CookieBufferSizesAndErrors)
{
    HttpServer server({answer(200, "Set-Cookie: SESSIONID=0123456789; path=/\r\n")});
    HINTERNET session = InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET request = InternetOpenUrlA(session, server.url().c_str(), nullptr, 0, 0, 0);
    ASSERT_NE(request, nullptr) << GetLastError();
    const std::string expected = "SESSIONID=0123456789";
    const DWORD needed = static_cast<DWORD>(expected.size() + 1);

    // No buffer: success, with the bytes needed, terminator included.
    DWORD size = 0;
    EXPECT_TRUE(InternetGetCookieA(server.url().c_str(), nullptr, nullptr, &size));
    EXPECT_EQ(size, needed);

    // Too small a buffer: the bytes needed, and nothing written.
    char small[8];
    std::memset(small, 'x', sizeof small);
    size = sizeof small;
    SetLastError(0);
    EXPECT_FALSE(InternetGetCookieA(server.url().c_str(), nullptr, small, &size));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, needed);
    EXPECT_EQ(small[0], 'x');

    // Enough: the text with its terminator, and the size counts it.
    char buffer[64];
    size = sizeof buffer;
    ASSERT_TRUE(InternetGetCookieA(server.url().c_str(), nullptr, buffer, &size));
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(size, needed);

    // No size, or no URL: invalid parameter. No cookie: no more items.
    SetLastError(0);
    EXPECT_FALSE(InternetGetCookieA(server.url().c_str(), nullptr, buffer, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    size = sizeof buffer;
    SetLastError(0);
    EXPECT_FALSE(InternetGetCookieA(nullptr, nullptr, buffer, &size));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    size = sizeof buffer;
    SetLastError(0);
    EXPECT_FALSE(InternetGetCookieA("http://127.0.0.2/", nullptr, buffer, &size));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_ITEMS);

    InternetCloseHandle(request);
    InternetCloseHandle(session);
}

// As in WinInet: the cookie name asked for is not looked at (every cookie
// for the address comes, as one list), and HttpOnly cookies come only from
// InternetGetCookieExA with INTERNET_COOKIE_HTTPONLY.
TEST_F(WinInet, CookiesComeAsOneListWhateverTheNameWithHttpOnlyOnlyWhenAskedFor)
{
    HttpServer server({answer(200, "Set-Cookie: AAA=x; path=/\r\nSet-Cookie: SESSIONID=s1; path=/; HttpOnly\r\n"
                                   "Set-Cookie: BBB=y; path=/\r\n")});
    HINTERNET session = InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET request = InternetOpenUrlA(session, server.url().c_str(), nullptr, 0, 0, 0);
    ASSERT_NE(request, nullptr) << GetLastError();
    const std::string url = server.url();
    struct Case {
        const char* name;
        bool extended;
        DWORD flags;
        const char* cookies;
    } cases[] = {
        {"SESSIONID", false, 0, "AAA=x; BBB=y"},
        {"BBB", false, 0, "AAA=x; BBB=y"},
        {nullptr, false, 0, "AAA=x; BBB=y"},
        {"SESSIONID", true, 0, "AAA=x; BBB=y"},
        {"SESSIONID", true, INTERNET_COOKIE_HTTPONLY, "AAA=x; SESSIONID=s1; BBB=y"},
        {"AAA", true, INTERNET_COOKIE_HTTPONLY, "AAA=x; SESSIONID=s1; BBB=y"},
    };
    for (const auto& k : cases) {
        char buffer[128] = {};
        DWORD size = sizeof buffer;
        const BOOL read = k.extended ? InternetGetCookieExA(url.c_str(), k.name, buffer, &size, k.flags, nullptr)
                                     : InternetGetCookieA(url.c_str(), k.name, buffer, &size);
        ASSERT_TRUE(read) << (k.name ? k.name : "(none)") << " " << k.flags;
        EXPECT_STREQ(buffer, k.cookies) << (k.name ? k.name : "(none)") << " " << k.flags;
        EXPECT_EQ(size, std::strlen(k.cookies) + 1);
    }
    // The size asked for without a buffer is the size of that same list.
    DWORD size = 0;
    ASSERT_TRUE(InternetGetCookieExA(url.c_str(), nullptr, nullptr, &size, INTERNET_COOKIE_HTTPONLY, nullptr));
    EXPECT_EQ(size, std::strlen("AAA=x; SESSIONID=s1; BBB=y") + 1);
    InternetCloseHandle(request);
    InternetCloseHandle(session);
}

// HttpSendRequestA on a request InternetOpenUrlA opened sends it again, as
// WinInet does, even after a 200; the handle then answers with the second
// answer.
TEST_F(WinInet, SendingAnOpenedRequestSendsItAgain)
{
    HttpServer server({answer(200, "", "first"), answer(404, "", "second")});
    HINTERNET session = InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET request = InternetOpenUrlA(session, server.url().c_str(), nullptr, 0, 0, 0);
    ASSERT_NE(request, nullptr) << GetLastError();
    EXPECT_EQ(server.requests(), 1);
    ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0)) << GetLastError();
    EXPECT_EQ(server.requests(), 2);
    DWORD status = 0;
    DWORD length = sizeof status;
    ASSERT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr));
    EXPECT_EQ(status, 404u);
    char text[16];
    DWORD read = 0;
    ASSERT_TRUE(InternetReadFile(request, text, sizeof text, &read));
    EXPECT_EQ(std::string(text, read), "second");
    InternetCloseHandle(request);
    InternetCloseHandle(session);
}

// --- options and queries ------------------------------------------------------

TEST_F(WinInet, OptionAndQueryBufferSizesAndErrors)
{
    HttpServer server({answer(200)});
    HINTERNET session = InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    ASSERT_NE(session, nullptr);
    HINTERNET request = InternetOpenUrlA(session, server.url().c_str(), nullptr, 0, 0, 0);
    ASSERT_NE(request, nullptr) << GetLastError();

    // Setting: the timeout takes exactly a DWORD; an unknown option, a null
    // buffer and a closed handle each have their own error.
    DWORD timeout = 5000;
    EXPECT_TRUE(InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout));
    SetLastError(0);
    EXPECT_FALSE(InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, 2));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_BAD_OPTION_LENGTH);
    SetLastError(0);
    EXPECT_FALSE(InternetSetOptionA(session, 9999, &timeout, sizeof timeout));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INVALID_OPTION);
    SetLastError(0);
    EXPECT_FALSE(InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, nullptr, sizeof timeout));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    SetLastError(0);
    EXPECT_FALSE(InternetSetOptionA(session, INTERNET_OPTION_USERNAME, const_cast<char*>("u"), 1));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);

    // Strings: too small a buffer or none gives the bytes needed with the
    // terminator; success gives the characters without it.
    const char user[] = "operator";
    ASSERT_TRUE(InternetSetOptionA(request, INTERNET_OPTION_USERNAME, const_cast<char*>(user), sizeof user - 1));
    DWORD length = 0;
    SetLastError(0);
    EXPECT_FALSE(InternetQueryOptionA(request, INTERNET_OPTION_USERNAME, nullptr, &length));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, sizeof user);
    char small[4];
    length = sizeof small;
    SetLastError(0);
    EXPECT_FALSE(InternetQueryOptionA(request, INTERNET_OPTION_USERNAME, small, &length));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, sizeof user);
    char text[32];
    length = sizeof text;
    ASSERT_TRUE(InternetQueryOptionA(request, INTERNET_OPTION_USERNAME, text, &length));
    EXPECT_STREQ(text, user);
    EXPECT_EQ(length, sizeof user - 1);
    SetLastError(0);
    EXPECT_FALSE(InternetQueryOptionA(request, INTERNET_OPTION_USERNAME, text, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    // Fixed-size answers: too small a buffer gives the size needed.
    INTERNET_DIAGNOSTIC_SOCKET_INFO info{};
    length = sizeof info - 1;
    SetLastError(0);
    EXPECT_FALSE(InternetQueryOptionA(request, INTERNET_OPTION_DIAGNOSTIC_SOCKET_INFO, &info, &length));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, sizeof info);
    SetLastError(0);
    length = sizeof text;
    EXPECT_FALSE(InternetQueryOptionA(request, 9999, text, &length));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INVALID_OPTION);
    SetLastError(0);
    length = sizeof text;
    EXPECT_FALSE(InternetQueryOptionA(session, INTERNET_OPTION_USERNAME, text, &length));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_TYPE);

    // The status, as a number and as text.
    DWORD status = 0;
    length = 2;
    SetLastError(0);
    EXPECT_FALSE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, sizeof(DWORD));
    ASSERT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr));
    EXPECT_EQ(status, 200u);
    EXPECT_EQ(length, sizeof(DWORD));
    length = 2;
    SetLastError(0);
    EXPECT_FALSE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE, text, &length, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(length, 4u);
    length = sizeof text;
    ASSERT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE, text, &length, nullptr));
    EXPECT_STREQ(text, "200");
    EXPECT_EQ(length, 3u);
    length = sizeof text;
    SetLastError(0);
    EXPECT_FALSE(HttpQueryInfoA(request, 1 /* a header the stand-in does not keep */, text, &length, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_HTTP_HEADER_NOT_FOUND);

    // The body, then the end of it.
    DWORD read = 0;
    ASSERT_TRUE(InternetReadFile(request, text, sizeof text, &read));
    EXPECT_EQ(std::string(text, read), "ok");
    ASSERT_TRUE(InternetReadFile(request, text, sizeof text, &read));
    EXPECT_EQ(read, 0u);

    // Closed handles are gone for every call.
    EXPECT_TRUE(InternetCloseHandle(request));
    SetLastError(0);
    EXPECT_FALSE(InternetCloseHandle(request));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    length = sizeof text;
    SetLastError(0);
    EXPECT_FALSE(HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE, text, &length, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_TRUE(InternetCloseHandle(session));
}

// --- closing from another thread, and the receive timeout -------------------

TEST_F(WinInet, ClosingARequestFromAnotherThreadEndsAStalledTransfer)
{
    // The first answer asks for credentials; the resend with them stalls.
    HttpServer server({answer(401, "WWW-Authenticate: Basic realm=\"cam\"\r\n"), ""});
    HINTERNET session = InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    HINTERNET request = InternetOpenUrlA(session, server.url().c_str(), nullptr, 0, 0, 0);
    ASSERT_NE(request, nullptr) << GetLastError();
    const char user[] = "u";
    ASSERT_TRUE(InternetSetOptionA(request, INTERNET_OPTION_USERNAME, const_cast<char*>(user), 1));

    std::atomic<BOOL> sent{TRUE};
    std::atomic<DWORD> error{0};
    std::thread sender([&] {
        sent.store(HttpSendRequestA(request, nullptr, 0, nullptr, 0), std::memory_order_release);
        error.store(GetLastError(), std::memory_order_release);
    });
    while (server.requests() < 2) Sleep(1);
    EXPECT_TRUE(InternetCloseHandle(request));
    sender.join();
    EXPECT_FALSE(sent.load(std::memory_order_acquire));
    EXPECT_EQ(error.load(std::memory_order_acquire), ERROR_INTERNET_OPERATION_CANCELLED);
    InternetCloseHandle(session);
}

TEST_F(WinInet, ClosingTheSessionEndsARequestStillBeingOpened)
{
    HttpServer server({""});
    HINTERNET session = InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    std::atomic<bool> opened{true};
    std::atomic<DWORD> error{0};
    std::thread opener([&] {
        HINTERNET request = InternetOpenUrlA(session, server.url().c_str(), nullptr, 0, 0, 0);
        opened.store(request != nullptr, std::memory_order_release);
        error.store(GetLastError(), std::memory_order_release);
    });
    while (server.requests() < 1) Sleep(1);
    EXPECT_TRUE(InternetCloseHandle(session));
    opener.join();
    EXPECT_FALSE(opened.load(std::memory_order_acquire));
    EXPECT_EQ(error.load(std::memory_order_acquire), ERROR_INTERNET_OPERATION_CANCELLED);
}

TEST_F(WinInet, ARequestWithNoAnswerWithinTheReceiveTimeoutFails)
{
    HttpServer server({""});
    HINTERNET session = InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    DWORD timeout = 300;
    ASSERT_TRUE(InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout));
    SetLastError(0);
    EXPECT_EQ(InternetOpenUrlA(session, server.url().c_str(), nullptr, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_TIMEOUT);
    EXPECT_EQ(server.requests(), 1);
    InternetCloseHandle(session);
}

TEST_F(WinInet, OpeningNeedsASessionAndAnHttpUrl)
{
    SetLastError(0);
    EXPECT_EQ(InternetOpenUrlA(reinterpret_cast<HINTERNET>(0x1234), "http://camera/", nullptr, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    HINTERNET session = InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    SetLastError(0);
    EXPECT_EQ(InternetOpenUrlA(session, "ftp://camera/", nullptr, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_INVALID_URL);
    InternetCloseHandle(session);
}

} // namespace
