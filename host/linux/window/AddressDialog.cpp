#include "host/linux/window/AddressDialog.h"

#include "host/core/ViewerAddress.h"

#include <algorithm>

#include "host/linux/window/Widgets.h"

namespace {

constexpr int kWidth = 460;
constexpr int kRowHeight = 20;
constexpr std::size_t kFieldLimit = 2000;

} // namespace

AddressDialog::AddressDialog(std::vector<std::string> recent, std::string notice)
    : m_recent(std::move(recent)), m_notice(std::move(notice))
{
    if (!m_recent.empty()) {
        m_text = m_recent.front();
        m_picked = 0;
        m_selected = true;
    }
}

std::string AddressDialog::address() const
{
    return TypedAddress(m_text);
}

std::string AddressDialog::text() const { return TrimmedText(m_text); }

void AddressDialog::typeText(const std::string& text)
{
    if (m_state != State::Asking) return;
    m_focus = 0;
    if (m_selected && !text.empty()) m_text.clear();
    m_selected = false;
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x20 && m_text.size() < kFieldLimit) m_text += c;
    m_picked = -1;
}

void AddressDialog::key(Key key)
{
    if (m_state != State::Asking) return;
    const int count = static_cast<int>(m_recent.size());
    switch (key) {
    case Key::Enter:
        if (m_focus == 2) m_state = State::Cancelled;
        else if (!address().empty()) m_state = State::Accepted;
        break;
    case Key::Escape: m_state = State::Cancelled; break;
    case Key::Tab: m_focus = (m_focus + 1) % 3; break;
    case Key::Backspace:
        if (m_selected) m_text.clear();
        else widgets::eraseLastCharacter(m_text);
        m_selected = false;
        m_picked = -1;
        break;
    case Key::SelectAll:
        m_focus = 0;
        m_selected = !m_text.empty();
        break;
    case Key::Up:
    case Key::Down:
        if (count == 0) break;
        m_picked = key == Key::Down ? std::min(m_picked + 1, count - 1) : std::max(m_picked - 1, 0);
        m_text = m_recent[static_cast<std::size_t>(m_picked)];
        m_selected = false;
        break;
    }
}

RECT AddressDialog::box() const
{
    // The rows from 84, a gap, the buttons (26) and the margin below them.
    const int height = 126 + kRowHeight * static_cast<int>(std::max<std::size_t>(m_recent.size(), 1));
    const int left = std::max(0, static_cast<int>(m_area.cx - kWidth) / 2);
    const int top = std::max(0, static_cast<int>(m_area.cy - height) / 2);
    return RECT{left, top, left + kWidth, top + height};
}

RECT AddressDialog::recentRow(std::size_t index) const
{
    return widgets::inside(box(), 10, 84 + kRowHeight * static_cast<int>(index), kWidth - 20, kRowHeight);
}

void AddressDialog::click(int x, int y)
{
    if (m_state != State::Asking) return;
    const RECT b = box();
    if (widgets::contains(widgets::inside(b, 10, 32, kWidth - 20, 22), x, y)) m_focus = 0;
    for (std::size_t i = 0; i < m_recent.size(); ++i) {
        if (!widgets::contains(recentRow(i), x, y)) continue;
        m_picked = static_cast<int>(i);
        m_text = m_recent[i];
        m_focus = 0;
    }
    const int buttons = b.bottom - b.top - 34;
    if (widgets::contains(widgets::inside(b, kWidth - 180, buttons, 80, 26), x, y) && !address().empty()) m_state = State::Accepted;
    if (widgets::contains(widgets::inside(b, kWidth - 90, buttons, 80, 26), x, y)) m_state = State::Cancelled;
}

void AddressDialog::draw(const std::shared_ptr<Surface>& surface, SIZE area)
{
    m_area = area;
    const RECT b = box();
    widgets::fill(*surface, b, widgets::kPanel);
    widgets::frame(*surface, b, widgets::kBorder);
    widgets::fill(*surface, widgets::inside(b, 1, 1, kWidth - 2, 24), widgets::kFocus);
    widgets::text(surface, widgets::inside(b, 10, 5, kWidth - 20, 18), "Open a camera", 0xFFFFFF);
    widgets::field(surface, widgets::inside(b, 10, 32, kWidth - 20, 22), m_text, m_focus == 0);
    if (m_selected) {
        // The selected text, highlighted as fields highlight a selection.
        const RECT inner = widgets::inside(b, 12, 34, kWidth - 24, 18);
        widgets::fill(*surface, inner, 0xD6E4F8);
        widgets::text(surface, widgets::inside(b, 14, 35, kWidth - 28, 16), m_text, widgets::kText);
    }
    if (!m_notice.empty())
        widgets::text(surface, widgets::inside(b, 10, 62, kWidth - 20, 18), m_notice, 0xB00000);
    else
        widgets::text(surface, widgets::inside(b, 10, 62, kWidth - 20, 18),
                      m_recent.empty() ? "The camera's address, e.g. http://camera/ImageViewer" : "Recent:", 0x606060);
    for (std::size_t i = 0; i < m_recent.size(); ++i) {
        const RECT row = recentRow(i);
        if (static_cast<int>(i) == m_picked) widgets::fill(*surface, row, 0xD6E4F8);
        widgets::text(surface, widgets::inside(row, 4, 2, row.right - row.left - 8, kRowHeight - 2), m_recent[i], widgets::kText);
    }
    const int buttons = b.bottom - b.top - 34;
    widgets::button(surface, widgets::inside(b, kWidth - 180, buttons, 80, 26), "Open", m_focus == 1);
    widgets::button(surface, widgets::inside(b, kWidth - 90, buttons, 80, 26), "Cancel", m_focus == 2);
}
