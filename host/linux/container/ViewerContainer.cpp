#include "host/linux/container/ViewerContainer.h"

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

ViewerContainer::ViewerContainer(std::string pageUrl, std::string modulePath, ContainerListener listener,
                                 unsigned threads)
    : m_pageUrl(std::move(pageUrl)), m_modulePath(std::move(modulePath)), m_listener(std::move(listener)),
      m_windowHandler(std::make_unique<ViewerWindow>())
{
    m_window = standin::CreateHandlerWindow(m_windowHandler.get(), 0);
    for (unsigned i = 0; threads > 1 && i < threads; ++i) {
        auto room = std::make_unique<Room>();
        room->thread = std::make_unique<Apartment>([this, i] { paintApartment(i); });
        m_apartments.push_back(std::move(room));
    }
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
        h.apartment = m_apartments.empty() ? 0 : m_controls.size() % m_apartments.size();
        bool made = false;
        const int index = static_cast<int>(m_controls.size());
        onApartment(h.apartment, [&] { made = host(object, index, h); });
        if (!made) continue;
        m_controls.push_back(std::move(h));
    }
    layout();
    applyShownSize();
    return m_controls.size();
}

// Creates, sites and loads the control of one OBJECT as the control at
// `index` of the grid; false when it cannot be made or declines the page's
// data (said on standard error).
bool ViewerContainer::host(const EmbeddedObject& object, int index, Hosted& h)
{
    if (FAILED(CreateControl(object.classId, m_modulePath, h.object.put()))) return false;
    if (object.anyStream) ReadAnyPictureStream(h.object.get());
    TuneControl(h.object.get(), m_tuning);
    auto cell = std::make_shared<Cell>();
    cell->index = index;
    if (const std::string why = ControlPolicy::declined(h.object.get(), object.classId); !why.empty()) {
        std::fprintf(stderr, "camview: %s\n", why.c_str());
        return false;
    }
    HostListener listener;
    listener.onNavigate = [this, index, cell](const std::string& url) {
        report(cell, [this, index, url] {
            if (m_listener.onNavigate) m_listener.onNavigate(index, url);
        });
    };
    listener.onMessage = m_listener.onMessage;
    listener.onPropertyPage = [this, cell](const std::string& title, const std::string& text) {
        report(cell, [this, title, text] {
            if (m_listener.onPropertyPage) m_listener.onPropertyPage(title, text);
        });
    };
    // The cell is held weakly: the site may outlive it by a moment.
    listener.onInvalidate = [weak = std::weak_ptr<Cell>(cell)] {
        if (auto c = weak.lock()) c->dirty.store(true, std::memory_order_release);
    };
    // A wall's control lives in its own page's address.
    const std::string& pageUrl = object.pageUrl.empty() ? m_pageUrl : object.pageUrl;
    h.site = ComPtr<HostSite>::adopt(new HostSite(pageUrl, m_window, listener));
    h.site->SetControl(h.object.get());
    // Sited first (the control makes its window and learns its page),
    // then one loading exchange from the PARAMs.
    h.object->SetClientSite(static_cast<IOleClientSite*>(h.site.get()));
    AdviseEventSink(h.object.get(), [this, index, cell](const std::string& name, const std::string& value) {
        report(cell, [this, index, name, value] {
            if (m_listener.onEvent) m_listener.onEvent(index, name, value);
        });
    }, h.events.put(), &h.cookie);
    TextPropertyBag bag(object.params);
    if (auto persist = h.object.query<IPersistPropertyBag>(IID_IPersistPropertyBag)) persist->Load(&bag, nullptr);
    h.view = h.object.query<IViewObject>(IID_IViewObject);
    if (auto window = h.object.query<IOleWindow>(IID_IOleWindow)) window->GetWindow(&h.hwnd);
    const int width = std::clamp(object.width > 0 ? object.width : h.site->size().cx, 1, 4096);
    const int height = std::clamp(object.height > 0 ? object.height : h.site->size().cy, 1, 4096);
    h.rect = RECT{0, 0, width, height};
    cell->bounds = h.rect;
    cell->view = h.view;
    if (!m_apartments.empty()) {
        cell->surface = std::make_shared<Surface>(width, height);
        m_apartments[h.apartment]->cells.push_back(cell);
    }
    h.cell = std::move(cell);
    h.cameraHost = CameraHostOf(pageUrl, object.params);
    h.source = object;
    return true;
}

bool ViewerContainer::reload(std::size_t index)
{
    if (index >= m_controls.size()) return false;
    // The fresh control is made before the old one goes: one that cannot
    // be made leaves the cell as it was.
    Hosted fresh;
    fresh.apartment = m_controls[index].apartment;
    bool made = false;
    onApartment(fresh.apartment, [&] {
        made = host(m_controls[index].source, static_cast<int>(index), fresh);
        if (made) unhost(m_controls[index]);
    });
    if (!made) return false;
    fresh.rect = m_controls[index].rect;
    m_controls[index] = std::move(fresh);
    showControl(m_controls[index]);
    return true;
}

void ViewerContainer::unhost(Hosted& h)
{
    if (!h.object) return;
    // From now on nothing the control said reaches the listener, and its
    // apartment no longer paints it.
    h.cell->alive.store(false, std::memory_order_release);
    if (!m_apartments.empty()) std::erase(m_apartments[h.apartment]->cells, h.cell);
    h.cell->view.reset();
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
    m_extent = LayOutGrid(cells, captioned() ? kCaptionHeight : 0);
    for (std::size_t i = 0; i < cells.size(); ++i) m_controls[i].rect = cells[i];
}

void ViewerContainer::showAt(SIZE limit)
{
    m_shownLimit = limit;
    applyShownSize();
}

SIZE ViewerContainer::shownExtent() const
{
    if (m_scale >= 1.0) return m_extent;
    const auto scaled = [this](LONG v) { return std::max<LONG>(1, static_cast<LONG>(std::lround(v * m_scale))); };
    return SIZE{scaled(m_extent.cx), scaled(m_extent.cy)};
}

void ViewerContainer::applyShownSize()
{
    m_scale = 1.0;
    if (m_shownLimit.cx > 0 && m_shownLimit.cy > 0 && m_extent.cx > 0 && m_extent.cy > 0)
        m_scale = std::min({1.0, static_cast<double>(m_shownLimit.cx) / m_extent.cx,
                            static_cast<double>(m_shownLimit.cy) / m_extent.cy});
    // One task on each apartment for all of its controls: an apartment
    // busy with many cameras takes a while to come to each task.
    const std::size_t rooms = std::max<std::size_t>(1, m_apartments.size());
    for (std::size_t room = 0; room < rooms; ++room)
        onApartment(room, [&] {
            for (auto& h : m_controls)
                if (h.apartment == room) showOnItsThread(h);
        });
}

void ViewerContainer::showControl(Hosted& h)
{
    onApartment(h.apartment, [&] { showOnItsThread(h); });
}

void ViewerContainer::showOnItsThread(Hosted& h)
{
    const auto at = [this](LONG v) { return static_cast<LONG>(std::lround(v * m_scale)); };
    h.shown = m_scale >= 1.0 ? h.rect : RECT{at(h.rect.left), at(h.rect.top), at(h.rect.right), at(h.rect.bottom)};
    const LONG width = std::max<LONG>(1, h.shown.right - h.shown.left);
    const LONG height = std::max<LONG>(1, h.shown.bottom - h.shown.top);
    if (!h.cell || !h.object) return;
    const bool smaller = m_scale < 1.0;
    {
        std::lock_guard lock(h.cell->mutex);
        // Unchanged, the cell keeps its picture.
        const bool resized = h.cell->bounds.right != width || h.cell->bounds.bottom != height;
        h.cell->bounds = RECT{0, 0, width, height};
        if (!m_apartments.empty() && (resized || !h.cell->surface)) h.cell->surface = std::make_shared<Surface>(width, height);
    }
    if (auto tuning = h.object.query<IViewTuning>(IID_IViewTuning))
        tuning->SetShownSize(smaller ? width : 0, smaller ? height : 0);
    h.cell->dirty.store(true, std::memory_order_release);
}

RECT ViewerContainer::cell(std::size_t index) const
{
    return index < m_controls.size() ? m_controls[index].rect : RECT{0, 0, 0, 0};
}

void ViewerContainer::pumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    deliverReports();
    if (m_listener.onNotice) m_oversized.poll(*this, m_listener.onNotice);
}

void ViewerContainer::onApartment(std::size_t apartment, const std::function<void()>& task)
{
    if (m_apartments.empty()) task();
    else m_apartments[apartment]->thread->run(task);
}

void ViewerContainer::report(const std::shared_ptr<Cell>& cell, std::function<void()> call)
{
    if (!cell->alive.load(std::memory_order_acquire)) return;
    if (m_apartments.empty()) {
        call();
        return;
    }
    bool first = false;
    {
        std::lock_guard lock(m_reportsMutex);
        first = m_reports.empty();
        m_reports.emplace_back(cell, std::move(call));
    }
    // The driving thread, waiting for its messages, comes for the reports.
    if (first && m_window) PostMessageA(m_window, WM_NULL, 0, 0);
}

void ViewerContainer::deliverReports()
{
    if (m_apartments.empty()) return;
    std::vector<std::pair<std::shared_ptr<Cell>, std::function<void()>>> reports;
    {
        std::lock_guard lock(m_reportsMutex);
        reports.swap(m_reports);
    }
    // A report of a control released meanwhile is dropped.
    for (auto& [cell, call] : reports)
        if (cell->alive.load(std::memory_order_acquire)) call();
}

void ViewerContainer::paintApartment(std::size_t apartment)
{
    for (const auto& cell : m_apartments[apartment]->cells) {
        if (!cell->view || !cell->dirty.exchange(false, std::memory_order_acq_rel)) continue;
        std::lock_guard lock(cell->mutex);
        draw(cell, cell->surface, POINT{0, 0}, cell->bounds);
        cell->fresh = true;
    }
}

void ViewerContainer::draw(const std::shared_ptr<Cell>& self, const std::shared_ptr<Surface>& surface, POINT origin,
                           const RECT& rect)
{
    Cell& cell = *self;
    surface->clearRecord();
    HDC hdc = standin::CreateSurfaceDC(surface, origin.x, origin.y, &rect);
    cell.view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hdc, &cell.bounds, nullptr, nullptr, 0);
    DeleteDC(hdc);
    const int index = cell.index;
    for (const auto& p : surface->pictures()) {
        const int width = p.rect.right - p.rect.left, height = p.rect.bottom - p.rect.top;
        report(self, [this, index, width, height] {
            if (m_listener.onFrame) m_listener.onFrame(index, width, height);
        });
    }
    // With no picture, what the control wrote is its status.
    if (surface->pictures().empty() && !surface->texts().empty()) {
        std::vector<std::string> texts;
        for (const auto& t : surface->texts()) texts.push_back(t.text);
        const std::string status = StatusOfTexts(texts);
        if (status != cell.status) {
            cell.status = status;
            report(self, [this, index, status] {
                if (m_listener.onStatus) m_listener.onStatus(index, status);
            });
        }
    } else if (!surface->pictures().empty()) {
        cell.status.clear();
    }
    surface->clearRecord();
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
    for (auto& h : m_controls) {
        h.painted = false;
        if (!h.cell) continue;
        if (m_apartments.empty()) {
            if (!h.view || (!h.cell->dirty.exchange(false) && !all)) continue;
            h.painted = painted = true;
            draw(h.cell, surface, POINT{h.shown.left, h.shown.top}, h.shown);
            continue;
        }
        // The apartment drew the cell; it is copied into place.
        std::lock_guard lock(h.cell->mutex);
        if (!h.cell->fresh && !all) continue;
        h.cell->fresh = false;
        h.painted = painted = true;
        const Surface& from = *h.cell->surface;
        const int width = std::min<int>(from.width(), surface->width() - h.shown.left);
        for (int y = 0; y < from.height() && h.shown.top + y < surface->height() && width > 0; ++y)
            std::memcpy(surface->row(h.shown.top + y) + h.shown.left, from.row(y), static_cast<std::size_t>(width) * 4);
    }
    surface->clearRecord();
    deliverReports();
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
    // The capture is each thread's own: every apartment is asked.
    std::vector<HWND> captures;
    if (m_apartments.empty()) captures.push_back(GetCapture());
    for (const auto& room : m_apartments) room->thread->run([&captures] { captures.push_back(GetCapture()); });
    for (HWND capture : captures) {
        if (!capture) continue;
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
    const HWND hwnd = h.hwnd;
    onApartment(h.apartment, [&] {
        if (message != WM_MOUSEWHEEL && message != WM_LBUTTONUP && message != WM_RBUTTONUP) {
            const UINT mouseMessage = message == WM_LBUTTONDBLCLK ? WM_LBUTTONDOWN
                                      : message == WM_RBUTTONDBLCLK ? WM_RBUTTONDOWN
                                                                    : message;
            SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
                         static_cast<LPARAM>((static_cast<std::uint32_t>(mouseMessage) << 16) | HTCLIENT));
        }
        SendMessageA(hwnd, message, wParam, pointParam(local));
    });
    deliverReports();
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
    for (std::size_t i = 0; i < m_controls.size(); ++i) stopOne(i);
    deliverReports();
}

void ViewerContainer::stop(std::size_t index)
{
    stopOne(index);
    deliverReports();
}

void ViewerContainer::stopOne(std::size_t index)
{
    if (index >= m_controls.size() || !m_controls[index].object) return;
    Hosted& h = m_controls[index];
    onApartment(h.apartment, [&h] {
        if (auto target = h.object.query<IOleCommandTarget>(IID_IOleCommandTarget))
            target->Exec(nullptr, kStopCommand, 0, nullptr, nullptr);
        h.cell->dirty.store(true, std::memory_order_release);
    });
}

int ViewerContainer::cameraSource(std::size_t index) const
{
    return index < m_controls.size() ? m_controls[index].source.source : -1;
}

std::string ViewerContainer::cameraName(std::size_t index) const
{
    return index < m_controls.size() ? m_controls[index].source.name : std::string();
}

bool ViewerContainer::showProperties(std::size_t index)
{
    if (index >= m_controls.size() || !m_controls[index].object) return false;
    Hosted& h = m_controls[index];
    bool shown = false;
    onApartment(h.apartment, [&] {
        shown = SUCCEEDED(h.object->DoVerb(OLEIVERB_PROPERTIES, nullptr, static_cast<IOleClientSite*>(h.site.get()), 0,
                                           m_window, &h.rect));
    });
    deliverReports();
    return shown;
}

void ViewerContainer::release()
{
    for (auto& h : m_controls) onApartment(h.apartment, [this, &h] { unhost(h); });
    m_controls.clear();
    // The apartments end (their loops drained) before the reports still
    // queued are dropped: none comes from a released control.
    m_apartments.clear();
    {
        std::lock_guard lock(m_reportsMutex);
        m_reports.clear();
    }
    if (m_window) DestroyWindow(m_window);
    m_window = nullptr;
}
