// The Windows viewer window's own parts under Wine: the address dialog as
// a person answers it (the recent addresses offered, the newest typed over,
// Ctrl+A, a pick, Cancel), snapshots written where and as named, and the
// folders the shell gives the viewer.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "host/win32/window/AddressPrompt.h"
#include "host/win32/window/Canvas.h"
#include "host/win32/window/Snapshots.h"
#include "host/win32/container/UserFolders.h"

namespace {

using namespace std::chrono_literals;

HWND waitForDialog()
{
    for (int i = 0; i < 500; ++i) {
        // Shown only once WM_INITDIALOG has filled it in.
        HWND dialog = FindWindowW(L"#32770", kAddressPromptTitle);
        if (dialog && IsWindowVisible(dialog)) return dialog;
        std::this_thread::sleep_for(10ms);
    }
    return nullptr;
}

HWND editOf(HWND dialog)
{
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return GetComboBoxInfo(GetDlgItem(dialog, kAddressBoxId), &info) ? info.hwndItem : nullptr;
}

void type(HWND edit, const char* text)
{
    for (; *text; ++text) SendMessageW(edit, WM_CHAR, static_cast<WPARAM>(*text), 0);
}

std::wstring textOf(HWND window)
{
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

// What the dialog showed when it came up.
struct Shown {
    int offered = -1;              // addresses in the list
    std::wstring field;            // the field's text
    DWORD selectionEnd = 0;        // the field's selection, from its start
    std::wstring notice;
};

// Asks in the dialog; `answer` acts in it from another thread, as a person.
std::string ask(const std::vector<std::string>& recent, const std::string& notice,
                const std::function<void(HWND dialog, HWND edit)>& answer, Shown& shown)
{
    std::thread person([&] {
        HWND dialog = waitForDialog();
        if (!dialog) return;
        HWND box = GetDlgItem(dialog, kAddressBoxId);
        shown.offered = static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0));
        shown.field = textOf(box);
        DWORD start = 0, end = 0;
        SendMessageW(editOf(dialog), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        shown.selectionEnd = start == 0 ? end : 0;
        shown.notice = textOf(GetDlgItem(dialog, kAddressNoticeId));
        answer(dialog, editOf(dialog));
    });
    const std::string address = AskAddress(nullptr, recent, notice);
    person.join();
    return address;
}

void press(HWND dialog, int button) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }

TEST(AddressPrompt, AnsweredAsAPersonAnswersIt)
{
    const std::vector<std::string> recent = {"http://a/ImageViewer", "http://b:8080/ImageViewer"};
    const struct {
        const char* what;
        std::vector<std::string> recent;
        std::function<void(HWND, HWND)> answer;
        const char* address;
    } cases[] = {
        {"the newest, as offered", recent, [](HWND d, HWND) { press(d, IDOK); }, "http://a/ImageViewer"},
        {"typed over the selected newest", recent,
         [](HWND d, HWND e) {
             type(e, "cam2:81");
             press(d, IDOK);
         },
         "http://cam2:81/ImageViewer"},
        {"Ctrl+A selects again", recent,
         [](HWND d, HWND e) {
             SendMessageW(e, EM_SETSEL, 100, 100); // the caret at the end: typing would add
             SendMessageW(e, WM_CHAR, 1, 0);
             type(e, "c3");
             press(d, IDOK);
         },
         "http://c3/ImageViewer"},
        {"picked from the list", recent,
         [](HWND d, HWND) {
             SendMessageW(GetDlgItem(d, kAddressBoxId), CB_SETCURSEL, 1, 0);
             press(d, IDOK);
         },
         "http://b:8080/ImageViewer"},
        {"cancelled", recent, [](HWND d, HWND) { press(d, IDCANCEL); }, ""},
        {"Open with nothing typed asks on", {},
         [](HWND d, HWND e) {
             SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
             type(e, " http://c/ImageViewer ");
             press(d, IDOK);
         },
         "http://c/ImageViewer"},
    };
    for (const auto& c : cases) {
        Shown shown;
        EXPECT_EQ(ask(c.recent, "", c.answer, shown), c.address) << c.what;
        EXPECT_EQ(shown.offered, static_cast<int>(c.recent.size())) << c.what;
        if (!c.recent.empty()) {
            EXPECT_EQ(shown.field, L"http://a/ImageViewer") << c.what;
            EXPECT_EQ(shown.selectionEnd, shown.field.size()) << c.what; // all of it selected
        }
    }
    // Asked again after a failure, the dialog says why.
    Shown shown;
    ask(recent, "cannot reach 127.0.0.1:1: connection refused (12029)", [](HWND d, HWND) { press(d, IDCANCEL); }, shown);
    EXPECT_EQ(shown.notice, L"cannot reach 127.0.0.1:1: connection refused (12029)");
}

TEST(Snapshots, WrittenIntoTheFolderNamedAfterTheCameraAndNumbered)
{
    const auto folder = std::filesystem::temp_directory_path() / ("ve-snapshots-" + std::to_string(GetTickCount()));
    Canvas picture(8, 6);
    ASSERT_NE(picture.dc(), nullptr);
    const RECT all{0, 0, 8, 6};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(picture.dc(), &all, red);
    DeleteObject(red);
    EXPECT_EQ(picture.rgb(3, 3), 0xFF0000u);
    const std::time_t when = 1796705000;
    const std::string first = WriteSnapshot(picture, folder.string(), "127.0.0.1:8080", when);
    const std::string second = WriteSnapshot(picture, folder.string(), "127.0.0.1:8080", when);
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(std::filesystem::path(first).parent_path(), folder);
    EXPECT_EQ(std::filesystem::path(first).filename().string().rfind("camview-127.0.0.1_8080-", 0), 0u) << first;
    EXPECT_EQ(second.substr(second.size() - 6), "-2.png");
    EXPECT_GT(std::filesystem::file_size(first), 50u);
    // Nothing half-written stays beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 2);
    EXPECT_TRUE(WriteSnapshot(picture, "", "cam", when).empty());
    std::filesystem::remove_all(folder);
}

TEST(UserFolders, PicturesAndTheRecentAddressesAreTheShellsFoldersForTheUser)
{
    const std::string pictures = PicturesFolder();
    ASSERT_FALSE(pictures.empty());
    EXPECT_TRUE(std::filesystem::is_directory(PathOf(pictures))) << pictures;
    const auto recent = RecentAddressesFile();
    EXPECT_EQ(recent.filename(), L"recent-addresses");
    EXPECT_EQ(recent.parent_path().filename(), L"camview");
}

} // namespace
