// The viewer page fetched through WinInet: every failure in the words the
// Linux viewer uses, and a camera's password answered by --user or by the
// viewer's own dialog, after which WinInet keeps the credentials for the
// process, where a control's own session finds them. The password cases
// run against camsim started with --user admin:secret (VE_PASSWORD_CAMERA,
// "http://127.0.0.1:PORT").
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "host/win32/container/PageFetch.h"
#include "tests/support/Loopback.h"

namespace {

TEST(PageFetch, EachFailedFetchSaysWhatTheLinuxViewerSays)
{
    RefusingPort closed;
    const std::string refused = "127.0.0.1:" + std::to_string(closed.port());
    const struct {
        std::string url;
        std::string says;
    } cases[] = {
        {"notaurl", "notaurl is not an http:// address (12005)"},
        {"ftp://127.0.0.1/ImageViewer", "ftp://127.0.0.1/ImageViewer is not an http:// address (12005)"},
        {"http://" + refused + "/ImageViewer", "cannot reach " + refused + ": connection refused (12029)"},
        {"http://camera.invalid/ImageViewer", "camera.invalid: unknown host (12007)"},
        {"https://camera.invalid/ImageViewer",
         "https:// pages are not supported by this control: its picture stream is plain HTTP; try "
         "http://camera.invalid/ImageViewer"},
    };
    for (const auto& c : cases) {
        const FetchedPage page = FetchViewerPage(c.url, "", nullptr, false);
        EXPECT_FALSE(page.ok()) << c.url;
        EXPECT_EQ(page.error, c.says) << c.url;
    }
}

// The status a fresh WinInet session of this process gets for `url` with
// no credentials of its own, as a control's preflight asks.
DWORD statusOfANewSession(const std::string& url)
{
    HINTERNET internet = InternetOpenA("preflight", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET request = InternetOpenUrlA(internet, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    DWORD status = 0;
    DWORD length = sizeof status;
    if (request) HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr);
    if (request) InternetCloseHandle(request);
    InternetCloseHandle(internet);
    return status;
}

// Answers the viewer's password dialogs from another thread as a user
// would, one offer after the other: types the user name and the password
// into the two fields and presses OK, or, for an empty password, Cancel.
// Offers beyond those it was given are cancelled (and counted), so that a
// fetch that asks too often fails instead of waiting for ever.
class DialogAnswers {
public:
    explicit DialogAnswers(std::vector<std::string> passwords)
        : m_thread([this, passwords] {
              while (!m_done.load(std::memory_order_acquire)) {
                  // Shown: its fields are filled in by then.
                  HWND dialog = FindWindowA(nullptr, "camview: password");
                  if (!dialog || !IsWindowVisible(dialog) || !IsWindowEnabled(dialog)) {
                      Sleep(10);
                      continue;
                  }
                  const std::string password = m_answered < passwords.size() ? passwords[m_answered] : "";
                  HWND userField = FindWindowExA(dialog, nullptr, "Edit", nullptr);
                  HWND passwordField = FindWindowExA(dialog, userField, "Edit", nullptr);
                  SetWindowTextA(userField, "admin");
                  SetWindowTextA(passwordField, password.c_str());
                  EnableWindow(dialog, FALSE); // this offer is answered
                  PostMessageA(dialog, WM_COMMAND, password.empty() ? IDCANCEL : IDOK, 0);
                  ++m_answered;
              }
          })
    {
    }
    ~DialogAnswers() { finish(); }
    DialogAnswers(const DialogAnswers&) = delete;
    DialogAnswers& operator=(const DialogAnswers&) = delete;
    // Stops answering; how many offers were answered.
    size_t finish()
    {
        m_done.store(true, std::memory_order_release);
        if (m_thread.joinable()) m_thread.join();
        return m_answered;
    }

private:
    std::atomic<bool> m_done{false};
    size_t m_answered = 0; // the answering thread's until it is joined
    std::thread m_thread;
};

// One test, in this order: the credentials WinInet keeps for the process
// once they were accepted would let every later request through.
TEST(PageFetch, APasswordIsAnsweredByTheUserOrTheDialogAndStaysForTheProcess)
{
    const char* camera = std::getenv("VE_PASSWORD_CAMERA");
    if (!camera) GTEST_SKIP() << "VE_PASSWORD_CAMERA names no camsim --user admin:secret";
    const std::string page = std::string(camera) + "/";
    const std::string refused = page + " answered with status 401";

    // Headless without a user, and with a wrong one: the 401 stands.
    EXPECT_EQ(FetchViewerPage(page, "", nullptr, false).error, refused);
    EXPECT_EQ(FetchViewerPage(page, "admin:wrong", nullptr, false).error, refused);
    {
        DialogAnswers cancel({""});
        EXPECT_EQ(FetchViewerPage(page, "", nullptr, true).error, refused);
        EXPECT_EQ(cancel.finish(), 1u);
    }
    EXPECT_EQ(statusOfANewSession(page), 401u);

    const FetchedPage withUser = FetchViewerPage(page, "admin:secret", nullptr, false);
    EXPECT_TRUE(withUser.ok()) << withUser.error;
    EXPECT_NE(withUser.body.find("Camera simulator"), std::string::npos) << withUser.body;
    // A control's preflight, in a session of its own, finds them.
    EXPECT_EQ(statusOfANewSession(page), 200u);

    // The same camera under another host name is another server to WinInet:
    // asked again, now answered in the dialog (wrong first, then right).
    std::string other = page;
    other.replace(other.find("127.0.0.1"), 9, "localhost");
    EXPECT_EQ(statusOfANewSession(other), 401u);
    DialogAnswers answers({"wrong", "secret"});
    const FetchedPage withDialog = FetchViewerPage(other, "", nullptr, true);
    EXPECT_EQ(answers.finish(), 2u);
    EXPECT_TRUE(withDialog.ok()) << withDialog.error;
    EXPECT_EQ(statusOfANewSession(other), 200u);
}

} // namespace
