// The viewer page fetched through the internet layer, as a browser fetches
// it: its cookie store and password prompt, so that a control's preflight
// later finds the same session.
#include "host/linux/container/PageFetch.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "host/core/page/NetworkErrors.h"
#include "host/core/page/ProxyInUse.h"
#include "host/core/page/ViewerPage.h"
#include "platform/kernel/Kernel.h"
#include "platform/wininet/WinInet.h"

namespace {

// One deadline for the whole fetch (connection, head and body): the
// internet layer's own timeout only bounds the gap between two bytes, so a
// page that trickles a byte a second would hold the viewer for minutes.
// When the time is over, or the fetch is cancelled, the session's handle is
// closed, which ends the call blocked on it. The time a password dialog is
// open does not count: the person may take it.
class FetchDeadline {
public:
    FetchDeadline(HINTERNET internet, DWORD timeoutMs, const std::atomic<bool>* cancel)
        : m_internet(internet), m_left(std::chrono::milliseconds(timeoutMs)), m_cancel(cancel)
    {
        if (timeoutMs > 0 || cancel) m_watch = std::thread([this] { watch(); });
    }
    ~FetchDeadline()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        if (m_watch.joinable()) m_watch.join();
        closeSession();
    }
    FetchDeadline(const FetchDeadline&) = delete;
    FetchDeadline& operator=(const FetchDeadline&) = delete;

    // Around a password dialog: its time is not counted.
    void pause()
    {
        std::lock_guard lock(m_mutex);
        m_left -= std::chrono::steady_clock::now() - m_since;
        m_paused = true;
    }
    void resume()
    {
        std::lock_guard lock(m_mutex);
        m_since = std::chrono::steady_clock::now();
        m_paused = false;
        m_wake.notify_all();
    }
    // Why the fetch was ended early, as the internet layer's error; 0 when
    // it was not.
    DWORD ended() const { return m_ended.load(std::memory_order_acquire); }

private:
    void watch()
    {
        const bool bounded = m_left.count() > 0;
        std::unique_lock lock(m_mutex);
        while (!m_done) {
            if (m_cancel && m_cancel->load(std::memory_order_acquire)) {
                end(ERROR_INTERNET_OPERATION_CANCELLED);
                return;
            }
            if (bounded && !m_paused && std::chrono::steady_clock::now() - m_since >= m_left) {
                end(ERROR_INTERNET_TIMEOUT);
                return;
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
    void end(DWORD why)
    {
        m_ended.store(why, std::memory_order_release);
        closeSession();
    }
    void closeSession()
    {
        if (HINTERNET h = m_internet.exchange(nullptr)) InternetCloseHandle(h);
    }

    std::atomic<HINTERNET> m_internet;
    std::chrono::steady_clock::duration m_left;
    std::chrono::steady_clock::time_point m_since = std::chrono::steady_clock::now();
    const std::atomic<bool>* m_cancel;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_paused = false;
    bool m_done = false;
    std::atomic<DWORD> m_ended{0};
    std::thread m_watch;
};

} // namespace

FetchedPage FetchViewerPage(const std::string& url, DWORD timeoutMs, const std::atomic<bool>* cancel)
{
    FetchedPage page;
    page.error = UnsupportedPageAddress(url);
    if (!page.error.empty()) return page;
    HINTERNET internet = InternetOpenA("camview", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!internet) {
        page.error = "cannot open the internet layer";
        return page;
    }
    if (timeoutMs > 0) InternetSetOptionA(internet, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeoutMs, sizeof timeoutMs);
    // Owns the session handle from here: closes it at the end, or early.
    FetchDeadline deadline(internet, timeoutMs, cancel);
    const auto failed = [&](DWORD error) {
        const DWORD why = deadline.ended();
        page.error = why == ERROR_INTERNET_OPERATION_CANCELLED ? "loading " + UrlAuthority(url) + " was cancelled"
                                                                : PageFetchError(url, why ? why : error, ProxyInUse(url));
        return page;
    };
    HINTERNET request = InternetOpenUrlA(internet, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
    if (!request) return failed(GetLastError());
    for (;;) {
        DWORD status = 0;
        DWORD length = sizeof status;
        HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr);
        page.status = status;
        if (status != 401) break;
        deadline.pause();
        const DWORD answer = InternetErrorDlg(nullptr, request, ERROR_INTERNET_INCORRECT_PASSWORD, 0, nullptr);
        deadline.resume();
        if (answer != ERROR_INTERNET_FORCE_RETRY || !HttpSendRequestA(request, nullptr, 0, nullptr, 0)) break;
    }
    char type[256] = {};
    DWORD typeLength = sizeof type;
    if (page.status != 200 || !HttpQueryInfoA(request, HTTP_QUERY_CONTENT_TYPE, type, &typeLength, nullptr)) type[0] = '\0';
    char buffer[4096];
    DWORD read = 0;
    while (InternetReadFile(request, buffer, sizeof buffer, &read) && read > 0) {
        page.body.append(buffer, read);
        // A picture stream's address: shown by one image control, not read here.
        if (page.body.size() == read && IsPictureStream(type, page.body)) {
            page.stream = true;
            page.body.clear();
            break;
        }
    }
    InternetCloseHandle(request);
    page.contentType = type;
    if (deadline.ended()) {
        page.body.clear();
        return failed(0);
    }
    if (page.status != 200) page.error = url + " answered with status " + std::to_string(page.status);
    return page;
}
