// The site's browser object: the "Message" frame's navigations are fetched
// by one worker in turn, a newer request replacing one still waiting, and
// shutting the site down lets the fetches already asked for finish.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/linux/container/HostSite.h"
#include "platform/com/Variant.h"
#include "tests/support/Loopback.h"

namespace {

// A web server on loopback that answers each request with a page naming
// the path it was asked for; the first answer waits until released.
class HeldServer {
public:
    HeldServer()
    {
        m_thread = std::thread([this] {
            for (int i = 0; i < 2; ++i) {
                const SOCKET s = m_listener.acceptOne();
                if (s == INVALID_SOCKET) return;
                std::string request;
                char c;
                while (request.find("\r\n\r\n") == std::string::npos && recv(s, &c, 1, 0) == 1) request += c;
                const auto start = request.find(' ') + 1;
                const std::string path = request.substr(start, request.find(' ', start) - start);
                {
                    std::unique_lock lock(m_mutex);
                    m_paths.push_back(path);
                    m_changed.notify_all();
                    if (i == 0) m_changed.wait(lock, [this] { return m_released; });
                }
                const std::string answer = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<p>page " + path + "</p>";
                send(s, answer.data(), static_cast<int>(answer.size()), 0);
                shutdown(s, SD_BOTH);
                closesocket(s);
            }
        });
    }
    ~HeldServer()
    {
        release();
        m_thread.join();
    }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_listener.port()) + path; }
    void waitForRequests(std::size_t n)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_paths.size() >= n; });
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }
    std::vector<std::string> paths()
    {
        std::lock_guard lock(m_mutex);
        return m_paths;
    }

private:
    LoopbackListener m_listener;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_paths;
    bool m_released = false;
    std::thread m_thread;
};

void navigate(HostSite& site, const std::string& url)
{
    BSTR text = SysAllocStringFromUtf8(url);
    VARIANT frame = MakeVariantBstr("Message");
    EXPECT_EQ(site.Navigate(text, nullptr, &frame, nullptr, nullptr), S_OK);
    VariantClear(&frame);
    SysFreeString(text);
}

TEST(HostSiteNavigation, ANewerRequestReplacesAWaitingOneAndShutdownFinishesTheRest)
{
    HeldServer server;
    std::mutex mutex;
    std::vector<std::string> messages;
    std::vector<std::string> navigations;
    HostListener listener;
    listener.onNavigate = [&](const std::string& url) { navigations.push_back(url); };
    listener.onMessage = [&](const std::string& text) {
        std::lock_guard lock(mutex);
        messages.push_back(text);
    };
    auto* site = new HostSite("http://127.0.0.1/ImageViewer", nullptr, listener);

    navigate(*site, server.url("/first"));
    server.waitForRequests(1); // the first is in flight, held by the server
    navigate(*site, server.url("/second"));
    navigate(*site, server.url("/third"));
    server.release();
    site->Shutdown(); // returns once the first and the waiting third are shown

    EXPECT_EQ(navigations.size(), 3u); // every request is reported as asked for
    EXPECT_EQ(server.paths(), (std::vector<std::string>{"/first", "/third"}));
    EXPECT_EQ(messages, (std::vector<std::string>{"page /first", "page /third"}));

    navigate(*site, server.url("/late")); // after shutdown nothing is fetched
    site->Release();
    EXPECT_EQ(messages.size(), 2u);
}

} // namespace
