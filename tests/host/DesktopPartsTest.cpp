// The desktop viewer's own parts that need no window: the physical buttons
// behind a pointer mapping, and the password dialog's hand-over between a
// worker that asks and the window's thread that answers.
#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <thread>

#include "host/linux/window/PasswordDialog.h"
#include "host/linux/window/PhysicalButtons.h"

namespace {

TEST(PhysicalButtons, MapsLogicalButtonsBackToThePhysicalOnes)
{
    PointerMapping rightHanded;
    PointerMapping leftHanded;
    leftHanded.logicalOf = {3, 2, 1};
    // The physical left button pressed: X reports logical 1, or 3 when swapped.
    EXPECT_TRUE(PhysicalButtons::PhysicalDown(SDL_BUTTON_LMASK, rightHanded, 1));
    EXPECT_FALSE(PhysicalButtons::PhysicalDown(SDL_BUTTON_LMASK, rightHanded, 3));
    EXPECT_TRUE(PhysicalButtons::PhysicalDown(SDL_BUTTON_RMASK, leftHanded, 1));
    EXPECT_FALSE(PhysicalButtons::PhysicalDown(SDL_BUTTON_RMASK, leftHanded, 3));
    EXPECT_TRUE(PhysicalButtons::PhysicalDown(SDL_BUTTON_LMASK, leftHanded, 3));
    EXPECT_FALSE(rightHanded.swapped());
    EXPECT_TRUE(leftHanded.swapped());
    // A button switched off in the mapping (logical 0) is never down.
    PointerMapping off;
    off.logicalOf = {0, 2, 3};
    EXPECT_FALSE(PhysicalButtons::PhysicalDown(0xFFFFFFFFu, off, 1));
    EXPECT_FALSE(PhysicalButtons::PhysicalDown(0xFFFFFFFFu, rightHanded, 4));
}

struct Asked {
    std::atomic<bool> done{false};
    bool ok = false;
    std::string user = "preset";
    std::string password;
};

// The window's thread: turns the loop until the worker's prompt shows.
void waitActive(PasswordDialog& d)
{
    while (!d.active()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TEST(PasswordDialog, AWorkersPromptIsAnsweredOnTheWindowsThread)
{
    PasswordDialog dialog(std::this_thread::get_id(), [] {});
    Asked a;
    std::atomic<bool> cancelled{false};
    std::thread worker([&] {
        a.ok = dialog.ask("http://cam/", a.user, a.password, cancelled);
        a.done = true;
    });
    waitActive(dialog);
    // A known user name puts the focus on the password.
    dialog.typeText("s\xC3\xA9" "cret");
    dialog.key(PasswordDialog::Key::Backspace);
    dialog.typeText("t\x01");
    dialog.key(PasswordDialog::Key::Enter);
    worker.join();
    EXPECT_TRUE(a.ok);
    EXPECT_EQ(a.user, "preset");
    EXPECT_EQ(a.password, "s\xC3\xA9" "cret");
    EXPECT_FALSE(dialog.active());
}

TEST(PasswordDialog, CancelEscapeAndAClosedRequestAllAnswerNo)
{
    PasswordDialog dialog(std::this_thread::get_id(), [] {});
    for (int way = 0; way < 3; ++way) {
        Asked a;
        a.user.clear();
        std::atomic<bool> cancelled{false};
        std::thread worker([&] {
            a.ok = dialog.ask("http://cam/", a.user, a.password, cancelled);
            a.done = true;
        });
        waitActive(dialog);
        dialog.typeText("admin");
        if (way == 0) {
            for (int i = 0; i < 3; ++i) dialog.key(PasswordDialog::Key::Tab); // to Cancel
            dialog.key(PasswordDialog::Key::Enter);
        } else if (way == 1) {
            dialog.key(PasswordDialog::Key::Escape);
        } else {
            cancelled = true; // the request was closed meanwhile
        }
        worker.join();
        EXPECT_FALSE(a.ok) << way;
        EXPECT_TRUE(a.user.empty()) << way; // nothing handed back
    }
}

TEST(PasswordDialog, ClosingTheViewerEndsEveryPrompt)
{
    PasswordDialog dialog(std::this_thread::get_id(), [] {});
    Asked first, second;
    std::atomic<bool> cancelled{false};
    std::thread one([&] { first.ok = dialog.ask("http://a/", first.user, first.password, cancelled); });
    waitActive(dialog);
    std::thread two([&] { second.ok = dialog.ask("http://b/", second.user, second.password, cancelled); });
    dialog.closeAll();
    one.join();
    two.join();
    EXPECT_FALSE(first.ok);
    EXPECT_FALSE(second.ok);
    std::string user, password;
    EXPECT_FALSE(dialog.ask("http://c/", user, password, cancelled));
}

TEST(PasswordDialog, OnTheWindowsThreadThePromptRunsTheLoopUntilAnswered)
{
    PasswordDialog* self = nullptr;
    int turns = 0;
    PasswordDialog dialog(std::this_thread::get_id(), [&] {
        // One turn of the window's loop: the person clicks OK on the third.
        if (++turns == 3) {
            self->typeText("ann");
            self->key(PasswordDialog::Key::Tab);
            self->typeText("pw");
            self->click(320 - 190 + 196 + 5, 240 - 88 + 136 + 5); // OK in a 640 x 480 window
        }
    });
    self = &dialog;
    std::atomic<bool> cancelled{false};
    std::string user, password;
    EXPECT_TRUE(dialog.ask("http://cam/", user, password, cancelled));
    EXPECT_EQ(turns, 3);
    EXPECT_EQ(user, "ann");
    EXPECT_EQ(password, "pw");
}

} // namespace
