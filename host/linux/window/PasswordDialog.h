// The viewer's password prompt, asked inside its window: user name and
// password fields, OK and Cancel. A prompt may come from any thread (the
// page load on the window's thread, a control's preflight on its worker);
// the window's thread shows it and takes the person's answer. On the
// window's own thread the prompt runs the window's loop until answered, as
// a modal dialog does.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/gdi/linux/StandInGdi.h"

class PasswordDialog {
public:
    enum class Key { Tab, Enter, Escape, Backspace, Space };

    // `runOnce` runs one turn of the window's loop; the dialog is answered
    // by the thread that calls it.
    PasswordDialog(std::thread::id windowThread, std::function<void()> runOnce);

    // Asks for a user name and password for `url`. Answers false when the
    // person cancels, the caller's request is cancelled, or the viewer
    // closes.
    // `notice` says why the person is asked again (a refused answer).
    // With `remember`, the dialog offers "Remember this password" and
    // sets it to the person's choice.
    bool ask(const std::string& url, std::string& user, std::string& password, const std::atomic<bool>& cancelled,
             const std::string& notice = "", bool* remember = nullptr);
    // Ends every prompt, now and later (the viewer is closing).
    void closeAll();

    // On the window's thread.
    bool active() const;
    void typeText(const std::string& text);
    void key(Key key);
    // A press at a point of the window; true when it landed on the dialog.
    bool click(int x, int y);
    void draw(const std::shared_ptr<Surface>& surface, SIZE area);

private:
    RECT box() const;
    static RECT rememberBox(const RECT& dialog);
    void answer(bool ok); // with the lock held

    std::thread::id m_windowThread;
    std::function<void()> m_runOnce;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_pending = false;
    bool m_answered = false;
    bool m_ok = false;
    bool m_closed = false;
    std::string m_url;
    std::string m_notice;
    std::string m_user;
    std::string m_password;
    bool m_offerRemember = false;
    bool m_remember = false;
    int m_focus = 0; // 0 user name, 1 password, 2 OK, 3 Cancel, 4 Remember
    SIZE m_area{640, 480};
};
