#include "host/linux/window/PasswordDialog.h"

#include <algorithm>
#include <chrono>

#include "host/linux/window/Widgets.h"

namespace {
constexpr int kWidth = 380;
constexpr int kHeight = 176;
// Fields hold at most this many bytes; longer input is ignored.
constexpr std::size_t kFieldLimit = 255;

} // namespace

PasswordDialog::PasswordDialog(std::thread::id windowThread, std::function<void()> runOnce)
    : m_windowThread(windowThread), m_runOnce(std::move(runOnce))
{
}

bool PasswordDialog::ask(const std::string& url, std::string& user, std::string& password,
                         const std::atomic<bool>& cancelled, const std::string& notice, bool* remember)
{
    const bool onWindowThread = std::this_thread::get_id() == m_windowThread;
    std::unique_lock lock(m_mutex);
    // Waits with the lock released: the window's thread turns its loop (the
    // person answers there), another thread sleeps until something changes.
    auto waitWhile = [&](const auto& condition) {
        while (condition() && !m_closed && !cancelled.load(std::memory_order_acquire)) {
            if (onWindowThread) {
                lock.unlock();
                m_runOnce();
                lock.lock();
            } else {
                m_changed.wait_for(lock, std::chrono::milliseconds(50));
            }
        }
    };
    // One prompt at a time; others wait their turn.
    waitWhile([&] { return m_pending; });
    if (m_closed || cancelled.load(std::memory_order_acquire)) return false;
    m_pending = true;
    m_answered = false;
    m_ok = false;
    m_url = url;
    m_notice = notice;
    m_user = user;
    m_password.clear();
    m_offerRemember = remember != nullptr;
    m_remember = false;
    m_focus = m_user.empty() ? 0 : 1;
    waitWhile([&] { return !m_answered; });
    const bool ok = m_answered && m_ok;
    if (ok) {
        user = m_user;
        password = m_password;
        if (remember) *remember = m_remember;
    }
    m_password.clear();
    m_pending = false;
    m_changed.notify_all();
    return ok;
}

void PasswordDialog::closeAll()
{
    std::lock_guard lock(m_mutex);
    m_closed = true;
    m_changed.notify_all();
}

bool PasswordDialog::active() const
{
    std::lock_guard lock(m_mutex);
    return m_pending && !m_answered && !m_closed;
}

void PasswordDialog::answer(bool ok)
{
    m_answered = true;
    m_ok = ok;
    m_changed.notify_all();
}

void PasswordDialog::typeText(const std::string& text)
{
    std::lock_guard lock(m_mutex);
    if (!m_pending || m_answered) return;
    std::string& target = m_focus == 1 ? m_password : m_user;
    if (m_focus > 1) return;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && target.size() < kFieldLimit) target += c;
}

void PasswordDialog::key(Key key)
{
    std::lock_guard lock(m_mutex);
    if (!m_pending || m_answered) return;
    switch (key) {
    case Key::Tab: m_focus = (m_focus + 1) % (m_offerRemember ? 5 : 4); break;
    case Key::Escape: answer(false); break;
    case Key::Enter: answer(m_focus != 3); break;
    case Key::Space: // in the fields a blank comes as text
        if (m_focus == 4) m_remember = !m_remember;
        break;
    case Key::Backspace: {
        if (m_focus <= 1) widgets::eraseLastCharacter(m_focus == 1 ? m_password : m_user);
        break;
    }
    }
}

RECT PasswordDialog::rememberBox(const RECT& dialog) { return widgets::inside(dialog, 10, 136, 180, 26); }

RECT PasswordDialog::box() const
{
    const int left = std::max(0, static_cast<int>(m_area.cx - kWidth) / 2);
    const int top = std::max(0, static_cast<int>(m_area.cy - kHeight) / 2);
    return RECT{left, top, left + kWidth, top + kHeight};
}

bool PasswordDialog::click(int x, int y)
{
    std::lock_guard lock(m_mutex);
    if (!m_pending || m_answered) return false;
    const RECT b = box();
    if (!widgets::contains(b, x, y)) return true; // modal: the controls get nothing
    if (widgets::contains(widgets::inside(b, 110, 62, 256, 22), x, y)) m_focus = 0;
    else if (widgets::contains(widgets::inside(b, 110, 94, 256, 22), x, y)) m_focus = 1;
    else if (widgets::contains(widgets::inside(b, 196, 136, 80, 26), x, y)) answer(true);
    else if (widgets::contains(widgets::inside(b, 286, 136, 80, 26), x, y)) answer(false);
    else if (m_offerRemember && widgets::contains(rememberBox(b), x, y)) m_remember = !m_remember, m_focus = 4;
    return true;
}

void PasswordDialog::draw(const std::shared_ptr<Surface>& surface, SIZE area)
{
    std::lock_guard lock(m_mutex);
    m_area = area;
    if (!m_pending || m_answered) return;
    const RECT b = box();
    widgets::fill(*surface, b, widgets::kPanel);
    widgets::frame(*surface, b, widgets::kBorder);
    widgets::fill(*surface, widgets::inside(b, 1, 1, kWidth - 2, 24), widgets::kFocus);
    widgets::text(surface, widgets::inside(b, 10, 5, kWidth - 20, 18), "Password required", 0xFFFFFF);
    // Why it asks again, where the address would stand: the address is the
    // one the person just answered for.
    if (m_notice.empty())
        widgets::text(surface, widgets::inside(b, 10, 32, kWidth - 20, 20), m_url, widgets::kText);
    else
        widgets::text(surface, widgets::inside(b, 10, 32, kWidth - 20, 20), m_notice, 0xB00000);
    widgets::text(surface, widgets::inside(b, 10, 66, 100, 20), "User name:", widgets::kText);
    widgets::field(surface, widgets::inside(b, 110, 62, 256, 22), m_user, m_focus == 0);
    widgets::text(surface, widgets::inside(b, 10, 98, 100, 20), "Password:", widgets::kText);
    widgets::field(surface, widgets::inside(b, 110, 94, 256, 22), std::string(m_password.size(), '*'), m_focus == 1);
    widgets::button(surface, widgets::inside(b, 196, 136, 80, 26), "OK", m_focus == 2);
    widgets::button(surface, widgets::inside(b, 286, 136, 80, 26), "Cancel", m_focus == 3);
    if (m_offerRemember) {
        const RECT box = rememberBox(b);
        widgets::field(surface, RECT{box.left, box.top + 4, box.left + 18, box.top + 22}, m_remember ? "x" : "", m_focus == 4);
        widgets::text(surface, RECT{box.left + 24, box.top + 4, box.right, box.bottom}, "Remember this password",
                      widgets::kText);
    }
}
