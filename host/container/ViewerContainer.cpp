#include "host/container/ViewerContainer.h"

#include "host/core/ControlFactory.h"
#include "host/core/EventSink.h"
#include "host/core/Grid.h"
#include "host/core/StatusLine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cctype>

#include "platform/com/OleCommandTarget.h"
#include "platform/framework/linux/TextPropertyBag.h"
#include "platform/window/linux/StandInWindow.h"
#include "platform/window/Cursor.h"
#include "platform/window/InputState.h"
#include "platform/gdi/linux/StandInGdi.h"

namespace {

// The space between two controls of the grid.
// The browser's Stop command.
constexpr DWORD kStopCommand = 23;

// The viewer's own window: the controls' browser window. It handles nothing
// itself.
struct ViewerWindow final : WindowHandler {
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
};

LPARAM pointParam(POINT pt)
{
    return static_cast<LPARAM>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(pt.y)) << 16) |
                               static_cast<std::uint16_t>(pt.x));
}

} // namespace

ViewerContainer::ViewerContainer(std::string pageUrl, std::string modulePath, ContainerListener listener)
    : m_pageUrl(std::move(pageUrl)), m_modulePath(std::move(modulePath)), m_listener(std::move(listener)),
      m_windowHandler(std::make_unique<ViewerWindow>())
{
    m_window = standin::CreateHandlerWindow(m_windowHandler.get(), 0);
}

ViewerContainer::~ViewerContainer() { release(); }

std::size_t ViewerContainer::embed(const std::vector<EmbeddedObject>& objects)
{
    for (const auto& object : objects) {
        // A page names what it likes; only the classes the policy allows
        // are made, and only a control that declares itself safe with a
        // page's data is given the page's PARAMs.
        if (const std::string why = m_policy.refusal(object.classId); !why.empty()) {
            std::fprintf(stderr, "camview: %s\n", why.c_str());
            continue;
        }
        Hosted h;
        if (!host(object, static_cast<int>(m_controls.size()), h)) continue;
        m_controls.push_back(std::move(h));
    }
    layout();
    return m_controls.size();
}

// Creates, sites and loads the control of one OBJECT as the control at
// `index` of the grid; false when it cannot be made or declines the page's
// data (said on standard error).
bool ViewerContainer::host(const EmbeddedObject& object, int index, Hosted& h)
{
    if (FAILED(CreateControl(object.classId, m_modulePath, h.object.put()))) return false;
    if (const std::string why = ControlPolicy::declined(h.object.get(), object.classId); !why.empty()) {
        std::fprintf(stderr, "camview: %s\n", why.c_str());
        return false;
    }
    HostListener listener;
    listener.onNavigate = [this, index](const std::string& url) {
        if (m_listener.onNavigate) m_listener.onNavigate(index, url);
    };
    listener.onMessage = m_listener.onMessage;
    listener.onPropertyPage = m_listener.onPropertyPage;
    listener.onInvalidate = [this, index] {
        if (static_cast<std::size_t>(index) < m_controls.size()) m_controls[index].dirty = true;
    };
    h.site = ComPtr<HostSite>::adopt(new HostSite(m_pageUrl, m_window, listener));
    h.site->SetControl(h.object.get());
    // Sited first (the control makes its window and learns its page),
    // then one loading exchange from the PARAMs.
    h.object->SetClientSite(static_cast<IOleClientSite*>(h.site.get()));
    AdviseEventSink(h.object.get(), [this, index](const std::string& name, const std::string& value) {
        if (m_listener.onEvent) m_listener.onEvent(index, name, value);
    }, h.events.put(), &h.cookie);
    TextPropertyBag bag(object.params);
    if (auto persist = h.object.query<IPersistPropertyBag>(IID_IPersistPropertyBag)) persist->Load(&bag, nullptr);
    h.view = h.object.query<IViewObject>(IID_IViewObject);
    if (auto window = h.object.query<IOleWindow>(IID_IOleWindow)) window->GetWindow(&h.hwnd);
    const int width = std::clamp(object.width > 0 ? object.width : h.site->size().cx, 1, 4096);
    const int height = std::clamp(object.height > 0 ? object.height : h.site->size().cy, 1, 4096);
    h.rect = RECT{0, 0, width, height};
    h.cameraHost = CameraHostOf(m_pageUrl, object.params);
    h.source = object;
    return true;
}

bool ViewerContainer::reload(std::size_t index)
{
    if (index >= m_controls.size()) return false;
    // The fresh control is made before the old one goes: one that cannot
    // be made leaves the cell as it was.
    Hosted fresh;
    if (!host(m_controls[index].source, static_cast<int>(index), fresh)) return false;
    fresh.rect = m_controls[index].rect;
    unhost(m_controls[index]);
    m_controls[index] = std::move(fresh);
    return true;
}

void ViewerContainer::unhost(Hosted& h)
{
    if (!h.object) return;
    // The control lets go of its site before it goes; the site's
    // navigations end before its last reference does.
    if (h.events) h.events->Unadvise(h.cookie);
    h.events.reset();
    h.object->SetClientSite(nullptr);
    h.view.reset();
    h.site->SetControl(nullptr);
    h.object.reset();
    h.site->Shutdown();
    h.site.reset();
    h.hwnd = nullptr;
}

void ViewerContainer::layout()
{
    std::vector<RECT> cells;
    for (const auto& h : m_controls) cells.push_back(h.rect);
    m_extent = LayOutGrid(cells);
    for (std::size_t i = 0; i < cells.size(); ++i) m_controls[i].rect = cells[i];
}

RECT ViewerContainer::cell(std::size_t index) const
{
    return index < m_controls.size() ? m_controls[index].rect : RECT{0, 0, 0, 0};
}

void ViewerContainer::pumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

std::uint64_t ViewerContainer::idleMs(std::uint64_t cap) const
{
    const auto due = standin::NextTimerDueMs();
    if (!due) return cap;
    const std::uint64_t now = standin::GetProcessClock()->nowMs();
    return *due <= now ? 0 : std::min(cap, *due - now);
}

bool ViewerContainer::paint(const std::shared_ptr<Surface>& surface, bool all)
{
    bool painted = false;
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        Hosted& h = m_controls[i];
        h.painted = false;
        if (!h.view || (!h.dirty && !all)) continue;
        h.dirty = false;
        h.painted = painted = true;
        surface->clearRecord();
        HDC hdc = standin::CreateSurfaceDC(surface, h.rect.left, h.rect.top, &h.rect);
        const RECT bounds{0, 0, h.rect.right - h.rect.left, h.rect.bottom - h.rect.top};
        h.view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hdc, &bounds, nullptr, nullptr, 0);
        DeleteDC(hdc);
        for (const auto& p : surface->pictures())
            if (m_listener.onFrame)
                m_listener.onFrame(static_cast<int>(i), p.rect.right - p.rect.left, p.rect.bottom - p.rect.top);
        // With no picture, what the control wrote is its status.
        if (surface->pictures().empty() && !surface->texts().empty()) {
            std::vector<std::string> texts;
            for (const auto& t : surface->texts()) texts.push_back(t.text);
            const std::string status = StatusOfTexts(texts);
            if (status != h.status) {
                h.status = status;
                if (m_listener.onStatus) m_listener.onStatus(static_cast<int>(i), status);
            }
        } else if (!surface->pictures().empty()) {
            h.status.clear();
        }
    }
    surface->clearRecord();
    return painted;
}

std::string ViewerContainer::NameOfCursor(HCURSOR cursor)
{
    WORD id = 0;
    if (!cursor) return "none";
    if (standin::GetSystemCursorId(cursor, &id)) {
        switch (id) {
        case IDC_ARROW_ID: return "arrow";
        case IDC_HAND_ID: return "hand";
        case IDC_WAIT_ID: return "wait";
        default: return "system " + std::to_string(id);
        }
    }
    if (standin::GetIconResourceId(cursor, &id)) return "icon " + std::to_string(id);
    return "unknown";
}

void ViewerContainer::pollCursor()
{
    const std::string name = NameOfCursor(GetCursor());
    if (name == m_cursorName) return;
    m_cursorName = name;
    if (m_listener.onCursor) m_listener.onCursor(name);
}

int ViewerContainer::controlAt(POINT pt) const
{
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        const RECT& r = m_controls[i].rect;
        if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom) return static_cast<int>(i);
    }
    return -1;
}

std::string ViewerContainer::cameraHost(std::size_t index) const
{
    return index < m_controls.size() ? m_controls[index].cameraHost : std::string();
}

int ViewerContainer::targetOf(POINT pt) const
{
    if (HWND capture = GetCapture()) {
        for (std::size_t i = 0; i < m_controls.size(); ++i)
            if (m_controls[i].hwnd == capture) return static_cast<int>(i);
    }
    return controlAt(pt);
}

// Sends a mouse message to a control in its own coordinates, with the
// cursor question before it, as the window system does for moves and
// presses.
void ViewerContainer::deliver(int index, UINT message, WPARAM wParam, POINT pt)
{
    const Hosted& h = m_controls[static_cast<std::size_t>(index)];
    if (!h.hwnd) return;
    const POINT local{pt.x - h.rect.left, pt.y - h.rect.top};
    if (message != WM_MOUSEWHEEL && message != WM_LBUTTONUP && message != WM_RBUTTONUP) {
        const UINT mouseMessage = message == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN
                                  : message == WM_RBUTTONDBLCLK ? WM_RBUTTONDOWN
                                                                : message;
        SendMessageA(h.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(h.hwnd),
                     static_cast<LPARAM>((static_cast<std::uint32_t>(mouseMessage) << 16) | HTCLIENT));
    }
    SendMessageA(h.hwnd, message, wParam, pointParam(local));
    pollCursor();
}

void ViewerContainer::mouseMove(POINT pt, WPARAM keys)
{
    const int index = targetOf(pt);
    if (index < 0) {
        // Over the viewer's own background: its cursor is the arrow.
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        pollCursor();
        return;
    }
    deliver(index, WM_MOUSEMOVE, keys, pt);
}

void ViewerContainer::mouseButton(MouseButton button, bool down, POINT pt, WPARAM keys)
{
    if (button == MouseButton::Middle) return; // the controls handle no middle button
    const int index = targetOf(pt);
    if (index < 0) return;
    const bool left = button == MouseButton::Left;
    UINT message = left ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP) : (down ? WM_RBUTTONDOWN : WM_RBUTTONUP);
    if (down) {
        // A second press of the same button on the same control, soon and
        // near enough, is a double click when the window asks for them.
        const std::uint64_t now = standin::GetProcessClock()->nowMs();
        const int dx = std::abs(static_cast<int>(pt.x - m_lastPress.pt.x));
        const int dy = std::abs(static_cast<int>(pt.y - m_lastPress.pt.y));
        const bool isDouble = m_lastPress.message == message && m_lastPress.control == index &&
                              now - m_lastPress.timeMs <= GetDoubleClickTime() &&
                              dx <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 && dy <= GetSystemMetrics(SM_CYDOUBLECLK) / 2 &&
                              (GetClassLongA(m_controls[static_cast<std::size_t>(index)].hwnd, GCL_STYLE) & CS_DBLCLKS);
        if (isDouble) {
            m_lastPress = Press{};
            message = left ? WM_LBUTTONDBLCLK : WM_RBUTTONDBLCLK;
        } else {
            m_lastPress = Press{message, index, pt, now};
        }
    }
    deliver(index, message, keys, pt);
}

void ViewerContainer::mouseWheel(POINT pt, int notches, WPARAM keys)
{
    const int index = targetOf(pt);
    if (index < 0 || notches == 0) return;
    const int delta = std::clamp(notches, -270, 270) * WHEEL_DELTA;
    const WPARAM wParam = (static_cast<WPARAM>(static_cast<std::uint16_t>(static_cast<std::int16_t>(delta))) << 16) |
                          (keys & 0xFFFF);
    deliver(index, WM_MOUSEWHEEL, wParam, pt);
}

void ViewerContainer::stop()
{
    for (auto& h : m_controls) {
        if (!h.object) continue;
        if (auto target = h.object.query<IOleCommandTarget>(IID_IOleCommandTarget))
            target->Exec(nullptr, kStopCommand, 0, nullptr, nullptr);
        h.dirty = true;
    }
}

bool ViewerContainer::showProperties(std::size_t index)
{
    if (index >= m_controls.size() || !m_controls[index].object) return false;
    Hosted& h = m_controls[index];
    return SUCCEEDED(h.object->DoVerb(OLEIVERB_PROPERTIES, nullptr, static_cast<IOleClientSite*>(h.site.get()), 0,
                                      m_window, &h.rect));
}

void ViewerContainer::release()
{
    for (auto& h : m_controls) unhost(h);
    m_controls.clear();
    if (m_window) DestroyWindow(m_window);
    m_window = nullptr;
}
