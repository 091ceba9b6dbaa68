#include "host/win32/container/Container.h"

#include "host/win32/window/Canvas.h"

#include "host/core/Grid.h"
#include "host/core/page/ViewerPage.h"

#include <ocidl.h>
#include <olectl.h>
#include <windowsx.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>

#include "host/win32/container/ControlFactory.h"
#include "host/win32/container/DrawRecord.h"
#include "host/win32/container/DrawCalls.h"
#include "host/win32/container/PasswordCalls.h"
#include "host/core/EventSink.h"
#include "host/win32/container/ParamBag.h"
#include "host/win32/container/PropertyPages.h"

namespace {

// The space between two controls of the grid.
// The largest cell a page may ask for.
constexpr int kMaxSide = 4096;



// The control's size in pixels from its extent, when the page gives none.
SIZE naturalSize(IOleObject* object)
{
    SIZEL himetric{0, 0};
    if (FAILED(object->GetExtent(DVASPECT_CONTENT, &himetric)) || himetric.cx <= 0 || himetric.cy <= 0)
        return SIZE{320, 240};
    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return SIZE{MulDiv(himetric.cx, dpiX, 2540), MulDiv(himetric.cy, dpiY, 2540)};
}

// A key message given back to a control's window by the driving thread:
// kReturnedKey + (the key message - WM_KEYFIRST).
constexpr UINT kReturnedKey = WM_APP + 0x1B0;

// A button pressed, once or twice.
bool isPress(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDBLCLK: return true;
    default: return false;
    }
}

template <typename T>
void releaseInto(T*& p)
{
    if (p) p->Release();
    p = nullptr;
}

} // namespace

unsigned ThreadsOrOnePerCore(unsigned asked)
{
    return asked > 0 ? asked : std::max(1u, std::thread::hardware_concurrency());
}

Container::Container(ContainerSetup setup) : m_setup(std::move(setup))
{
    // The frame's status text (a control's SetStatusText) is not part of
    // the report: the picture's own status is what the viewer reports.
    m_frame = new InPlaceFrame(m_setup.window, nullptr);
    for (unsigned i = 0; m_setup.threads > 1 && i < m_setup.threads; ++i) {
        auto room = std::make_unique<Room>();
        Room* r = room.get();
        room->thread = std::make_unique<Apartment>([this, r] { paintRoom(*r); },
                                                   [this, r](MSG& msg) { return watchRoom(*r, msg); });
        if (!room->thread->ready()) {
            std::fprintf(stderr, "camview: a UI thread could not be started (error %lu); the controls run on one thread\n",
                         GetLastError());
            releaseRooms();
            break;
        }
        room->thread->run([this, r] { r->frame = new InPlaceFrame(m_setup.window, nullptr); });
        m_rooms.push_back(std::move(room));
    }
}

void Container::releaseRooms()
{
    // Each frame is released on its own apartment, which then ends.
    for (auto& room : m_rooms) room->thread->run([&room] { releaseInto(room->frame); });
    m_rooms.clear();
}

Container::~Container()
{
    release();
    releaseInto(m_frame);
}

void Container::onApartment(const Hosted& h, const std::function<void()>& task) const
{
    if (m_rooms.empty()) task();
    else m_rooms[h.apartment]->thread->run(task);
}

void Container::report(const Alive& alive, std::function<void()> call)
{
    if (m_rooms.empty()) {
        call();
        return;
    }
    if (alive && !alive->load(std::memory_order_acquire)) return;
    bool first = false;
    {
        std::lock_guard lock(m_reportsMutex);
        first = m_reports.empty();
        m_reports.emplace_back(alive, std::move(call));
    }
    // The driving thread's wait ends: what came is reported without delay.
    if (first && m_setup.window) PostMessageW(m_setup.window, WM_NULL, 0, 0);
}

void Container::deliverReports()
{
    if (m_rooms.empty()) return;
    std::vector<std::pair<Alive, std::function<void()>>> reports;
    {
        std::lock_guard lock(m_reportsMutex);
        reports.swap(m_reports);
    }
    for (auto& [alive, call] : reports)
        if (!alive || alive->load(std::memory_order_acquire)) call();
}

void Container::publishWindows()
{
    std::lock_guard lock(m_windowsMutex);
    m_windows.clear();
    for (const auto& h : m_controls) m_windows.push_back(h->hwnd);
}

int Container::controlOfWindowAnyThread(HWND hwnd) const
{
    std::lock_guard lock(m_windowsMutex);
    for (HWND w = hwnd; w; w = GetAncestor(w, GA_PARENT)) {
        for (std::size_t i = 0; i < m_windows.size(); ++i)
            if (m_windows[i] == w) return static_cast<int>(i);
        if (w == m_setup.window) break;
    }
    return -1;
}

void Container::dispatch(const MSG& msg)
{
    if (msg.hwnd && !m_rooms.empty() && GetWindowThreadProcessId(msg.hwnd, nullptr) != GetCurrentThreadId()) {
        PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

void Container::returnKey(const MSG& msg)
{
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST)
        PostMessageW(msg.hwnd, kReturnedKey + (msg.message - WM_KEYFIRST), msg.wParam, msg.lParam);
}

void Container::paintRoom(Room& room)
{
    bool drawn = false;
    for (Hosted* h : room.cells) {
        if (!h->view || !h->dirty.exchange(false, std::memory_order_acq_rel)) continue;
        // What it draws is read first. Where its calls were recorded it drew
        // the whole cell into the scratch bitmap, which becomes the cell's
        // picture; else it is drawn again, unchanged, into the picture.
        inspect(*h);
        const int width = std::max<LONG>(h->size.cx, 1), height = std::max<LONG>(h->size.cy, 1);
        std::lock_guard lock(h->pictureMutex);
        if (h->callsWatched && h->scratch && h->scratch->dc() && h->scratch->width() == width &&
            h->scratch->height() == height) {
            GdiFlush();
            std::swap(h->picture, h->scratch);
            h->fresh = drawn = true;
            continue;
        }
        if (!h->picture || h->picture->width() != width || h->picture->height() != height)
            h->picture = std::make_unique<Canvas>(width, height);
        if (!h->picture->dc()) continue;
        const RECTL bounds{0, 0, width, height};
        h->view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, h->picture->dc(), &bounds, nullptr, nullptr, 0);
        GdiFlush();
        h->fresh = drawn = true;
    }
    if (drawn && m_setup.onDrawn) report(nullptr, [this] { m_setup.onDrawn(); });
}

bool Container::watchRoom(Room& room, MSG& msg)
{
    if (m_setup.onControlKey && msg.message >= kReturnedKey && msg.message <= kReturnedKey + (WM_KEYLAST - WM_KEYFIRST)) {
        msg.message = WM_KEYFIRST + (msg.message - kReturnedKey);
        return false; // the viewer did not take it: the control's
    }
    if (m_setup.onControlKey && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST &&
        controlOfWindowAnyThread(msg.hwnd) >= 0) {
        report(nullptr, [this, msg] { m_setup.onControlKey(msg); });
        return true;
    }
    if (isPress(msg.message)) {
        // Made the active one by the driving thread, which holds the page.
        const int index = controlOfWindowAnyThread(msg.hwnd);
        if (index >= 0) report(nullptr, [this, index] { focus(static_cast<std::size_t>(index)); });
        return false;
    }
    switch (msg.message) {
    case WM_PAINT:
        for (Hosted* h : room.cells)
            if (h->hwnd && h->hwnd == msg.hwnd) h->dirty.store(true, std::memory_order_release);
        break;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
        // The wheel's point is on the screen; the control under it may
        // live on another apartment, which gets the message posted.
        const POINT screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        const int index = controlOfWindowAnyThread(WindowFromPoint(screen));
        HWND target = nullptr;
        {
            std::lock_guard lock(m_windowsMutex);
            if (index >= 0 && static_cast<std::size_t>(index) < m_windows.size()) target = m_windows[static_cast<std::size_t>(index)];
        }
        if (!target || target == msg.hwnd) break;
        if (GetWindowThreadProcessId(target, nullptr) == GetCurrentThreadId()) {
            msg.hwnd = target;
            break;
        }
        PostMessageW(target, msg.message, msg.wParam, msg.lParam);
        return true;
    }
    default:
        break;
    }
    return false;
}

std::size_t Container::embed(const std::vector<EmbeddedObject>& objects)
{
    for (const auto& object : objects) {
        // A page names what it likes; only the classes the policy allows
        // are made, and only a control that declares itself safe with a
        // page's data is given the page's PARAMs.
        if (const std::string why = m_setup.policy.refusal(object.classId); !why.empty()) {
            std::fprintf(stderr, "camview: %s\n", why.c_str());
            continue;
        }
        const int index = static_cast<int>(m_controls.size());
        const std::size_t apartment = m_rooms.empty() ? 0 : m_controls.size() % m_rooms.size();
        std::unique_ptr<Hosted> h;
        if (m_rooms.empty()) h = host(object, index);
        else m_rooms[apartment]->thread->run([&] {
            h = host(object, index);
            if (h) h->apartment = apartment;
        });
        if (!h) continue;
        m_cursorNames.addModule(h->module);
        m_controls.push_back(std::move(h));
    }
    layout();
    for (auto& h : m_controls) onApartment(*h, [this, &h] { activate(*h); });
    publishWindows();
    deliverReports();
    return m_controls.size();
}

// Creates, sites and loads the control of one OBJECT as the control at
// `index` of the grid; null when it cannot be made or declines the page's
// data (said on standard error).
std::unique_ptr<Container::Hosted> Container::host(const EmbeddedObject& object, int index)
{
    IOleObject* control = nullptr;
    if (FAILED(CreateControl(object.classId, m_setup.modulePath, &control)) || !control) return nullptr;
    if (object.anyStream) ReadAnyPictureStream(control);
    TuneControl(control, m_setup.tuning);
    if (const std::string why = ControlPolicy::declined(control, object.classId); !why.empty()) {
        std::fprintf(stderr, "camview: %s\n", why.c_str());
        control->Release();
        return nullptr;
    }
    auto h = std::make_unique<Hosted>();
    Hosted* hosted = h.get();
    h->index = index;
    h->object = control;
    h->module = ModuleOfObject(control);
    const Alive alive = h->alive;

    MessageBrowser::Listener browsing;
    browsing.onNavigate = [this, index, alive](const std::string& url) {
        report(alive, [this, index, url] {
            if (m_setup.listener.onNavigate) m_setup.listener.onNavigate(index, url);
        });
    };
    browsing.onMessage = m_setup.listener.onMessage;
    // A wall's control lives in its own page's address.
    const std::string& pageUrl = object.pageUrl.empty() ? m_setup.pageUrl : object.pageUrl;
    h->browser = new MessageBrowser(pageUrl, m_setup.window, m_setup.getter, browsing);

    ControlSite::Listener siteListener;
    siteListener.onViewChange = [hosted] { hosted->dirty.store(true, std::memory_order_release); };
    siteListener.onPropertyFrame = [this, hosted, alive] {
        if (m_rooms.empty())
            return ShowPropertyPages(hosted->object, m_setup.window, m_showPropertyFrame, m_setup.listener.onPropertyPage);
        return ShowPropertyPages(hosted->object, m_setup.window, m_showPropertyFrame,
                                 [this, alive](const std::string& title, const std::string& text) {
                                     report(alive, [this, title, text] {
                                         if (m_setup.listener.onPropertyPage) m_setup.listener.onPropertyPage(title, text);
                                     });
                                 });
    };
    // A control on an apartment has its apartment's frame.
    InPlaceFrame* frame = m_frame;
    for (const auto& room : m_rooms)
        if (room->thread->isCurrent()) frame = room->frame;
    h->site = new ControlSite(parent(), frame, static_cast<IWebBrowser2*>(h->browser), siteListener);

    // Sited first (the control makes its window and learns its page),
    // then its events, then one load from the PARAMs.
    control->SetClientSite(static_cast<IOleClientSite*>(h->site));
    control->SetHostNames(L"camview", nullptr);
    AdviseEventSink(control, [this, index, alive](const std::string& name, const std::string& value) {
        report(alive, [this, index, name, value] {
            if (m_setup.listener.onEvent) m_setup.listener.onEvent(index, name, value);
        });
    }, &h->events, &h->cookie);
    h->callsWatched = WatchDrawCalls(h->module);
    AnswerPasswordCalls(h->module);
    ParamBag bag(object.params);
    IPersistPropertyBag* persist = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist))) && persist) {
        persist->Load(&bag, nullptr);
        persist->Release();
    }
    control->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&h->view));
    if (h->view) h->view->SetAdvise(DVASPECT_CONTENT, 0, static_cast<IAdviseSink*>(h->site));

    const SIZE natural = (object.width > 0 && object.height > 0) ? SIZE{0, 0} : naturalSize(control);
    const int width = std::clamp(object.width > 0 ? object.width : static_cast<int>(natural.cx), 1, kMaxSide);
    const int height = std::clamp(object.height > 0 ? object.height : static_cast<int>(natural.cy), 1, kMaxSide);
    h->rect = RECT{0, 0, width, height};
    h->size = SIZE{width, height};
    h->cameraHost = CameraHostOf(pageUrl, object.params);
    h->source = object;
    // Its apartment draws it from now on.
    for (const auto& room : m_rooms)
        if (room->thread->isCurrent()) room->cells.push_back(hosted);
    return h;
}

// Places a control made by host() at its cell and, in a shown window,
// activates it in place there.
void Container::activate(Hosted& h)
{
    RECT position = h.rect;
    OffsetRect(&position, m_origin.x, m_origin.y);
    h.site->setPosition(position);
    if (m_setup.inPlace)
        h.object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(h.site), 0, parent(), &position);
    IOleWindow* window = nullptr;
    if (SUCCEEDED(h.object->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window))) && window) {
        window->GetWindow(&h.hwnd);
        window->Release();
    }
}

bool Container::reload(std::size_t index)
{
    if (index >= m_controls.size()) return false;
    // The fresh control is made before the old one goes: one that cannot
    // be made leaves the cell as it was.
    Hosted& old = *m_controls[index];
    std::unique_ptr<Hosted> fresh;
    onApartment(old, [&] {
        fresh = host(old.source, static_cast<int>(index));
        if (!fresh) return;
        fresh->apartment = old.apartment;
        fresh->rect = old.rect;
        unhost(old);
    });
    if (!fresh) return false;
    m_cursorNames.addModule(fresh->module);
    m_controls[index] = std::move(fresh);
    onApartment(*m_controls[index], [this, index] { activate(*m_controls[index]); });
    publishWindows();
    deliverReports();
    return true;
}

void Container::layout()
{
    std::vector<RECT> cells;
    for (const auto& h : m_controls) cells.push_back(h->rect);
    m_extent = LayOutGrid(cells, captioned() ? kCaptionHeight : 0);
    for (std::size_t i = 0; i < cells.size(); ++i) m_controls[i]->rect = cells[i];
}

RECT Container::cell(std::size_t index) const
{
    return index < m_controls.size() ? m_controls[index]->rect : RECT{0, 0, 0, 0};
}

void Container::setOrigin(POINT origin)
{
    m_origin = origin;
    for (auto& h : m_controls) {
        RECT position = h->rect;
        OffsetRect(&position, origin.x, origin.y);
        onApartment(*h, [this, &h, position] {
            h->site->setPosition(position);
            IOleInPlaceObject* inPlace = nullptr;
            if (m_setup.inPlace &&
                SUCCEEDED(h->object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))) && inPlace) {
                inPlace->SetObjectRects(&position, &position);
                inPlace->Release();
            }
        });
    }
}

int Container::controlOfWindow(HWND hwnd) const
{
    for (std::size_t i = 0; i < m_controls.size(); ++i)
        if (hwnd && m_controls[i]->hwnd == hwnd) return static_cast<int>(i);
    return -1;
}

namespace {

// What the control draws into a scratch bitmap of its size, as its calls
// to Windows are recorded: the pictures it transfers and the texts it
// writes.
DrawRecord recordCalls(IViewObject* view, const RECT& bounds, std::unique_ptr<Canvas>& scratch)
{
    DrawRecord record;
    // The scratch bitmap is kept between frames: inspecting runs for every
    // picture drawn.
    const int width = std::max<LONG>(bounds.right, 1), height = std::max<LONG>(bounds.bottom, 1);
    if (!scratch || scratch->width() != width || scratch->height() != height) scratch = std::make_unique<Canvas>(width, height);
    if (!scratch->dc()) return record;
    DrawCallRecording calls;
    const RECTL drawBounds{bounds.left, bounds.top, bounds.right, bounds.bottom};
    view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, scratch->dc(), &drawBounds, nullptr, nullptr, 0);
    for (const SIZE& p : calls.pictures()) record.pictures.push_back(RECT{0, 0, p.cx, p.cy});
    record.texts = calls.texts();
    return record;
}

} // namespace

void Container::inspect(std::size_t index)
{
    if (index >= m_controls.size()) return;
    Hosted& h = *m_controls[index];
    onApartment(h, [this, &h] { inspect(h); });
    deliverReports();
}

void Container::inspect(Hosted& h)
{
    if (!h.view) return;
    const RECT bounds{0, 0, h.size.cx, h.size.cy};
    // The control's own calls where they are recorded (the texts exactly as
    // written); else its drawing read back from a metafile.
    const DrawRecord drawn = h.callsWatched ? recordCalls(h.view, bounds, h.scratch) : RecordDraw(h.view, bounds, nullptr);
    const int i = h.index;
    for (const RECT& p : drawn.pictures) {
        const int width = p.right - p.left, height = p.bottom - p.top;
        report(h.alive, [this, i, width, height] {
            if (m_setup.listener.onFrame) m_setup.listener.onFrame(i, width, height);
        });
    }
    // With no picture, what the control wrote is its status.
    if (drawn.pictures.empty() && !drawn.texts.empty()) {
        const std::string status = StatusOf(drawn);
        if (status != h.status) {
            h.status = status;
            report(h.alive, [this, i, status] {
                if (m_setup.listener.onStatus) m_setup.listener.onStatus(i, status);
            });
        }
    } else if (!drawn.pictures.empty()) {
        h.status.clear();
    }
}

bool Container::refresh(HDC target, bool all)
{
    bool drawn = false;
    if (!m_rooms.empty()) {
        // The apartments drew the cells; each is copied into place.
        for (const auto& hosted : m_controls) {
            Hosted& h = *hosted;
            std::lock_guard lock(h.pictureMutex);
            if (!h.picture || !h.picture->bits() || (!h.fresh && !all)) continue;
            h.fresh = false;
            drawn = true;
            if (!target) continue;
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = h.picture->width();
            info.bmiHeader.biHeight = -h.picture->height(); // top-down
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            info.bmiHeader.biCompression = BI_RGB;
            SetDIBitsToDevice(target, h.rect.left, h.rect.top, static_cast<DWORD>(h.picture->width()),
                              static_cast<DWORD>(h.picture->height()), 0, 0, 0, static_cast<UINT>(h.picture->height()),
                              h.picture->bits(), &info, DIB_RGB_COLORS);
        }
        deliverReports();
        return drawn;
    }
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        Hosted& h = *m_controls[i];
        if (!h.view || (!h.dirty && !all)) continue;
        const bool changed = h.dirty;
        h.dirty = false;
        // What it draws is read first: the frame it takes up is then drawn
        // again, unchanged, into the picture.
        if (changed) inspect(h);
        if (target) {
            const RECTL bounds{h.rect.left, h.rect.top, h.rect.right, h.rect.bottom};
            h.view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, target, &bounds, nullptr, nullptr, 0);
        }
        drawn = true;
    }
    return drawn;
}

bool Container::draw(std::size_t index, HDC target, const RECT& bounds) const
{
    if (index >= m_controls.size() || !m_controls[index]->view || !target) return false;
    const RECTL at{bounds.left, bounds.top, bounds.right, bounds.bottom};
    // A memory device the caller does not use meanwhile: the apartment may.
    const Hosted& h = *m_controls[index];
    bool done = false;
    onApartment(h, [&] {
        done = SUCCEEDED(h.view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, target, &at, nullptr, nullptr, 0));
    });
    return done;
}

bool Container::changed(std::size_t index) const
{
    if (index >= m_controls.size()) return false;
    Hosted& h = *m_controls[index];
    if (m_rooms.empty()) return h.dirty.load(std::memory_order_acquire);
    std::lock_guard lock(h.pictureMutex);
    return h.fresh;
}

HWND Container::controlWindow(std::size_t index) const
{
    return index < m_controls.size() ? m_controls[index]->hwnd : nullptr;
}

void Container::pollCursor()
{
    const std::string name = m_cursorNames.nameOf(GetCursor());
    if (name == m_cursorName) return;
    m_cursorName = name;
    if (m_setup.listener.onCursor) m_setup.listener.onCursor(name);
}

void Container::pollNotices()
{
    deliverReports();
    if (m_setup.listener.onNotice) m_oversized.poll(*this, m_setup.listener.onNotice);
}

int Container::controlAt(POINT pt) const
{
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        const RECT& r = m_controls[i]->rect;
        if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom) return static_cast<int>(i);
    }
    return -1;
}

std::string Container::cameraHost(std::size_t index) const
{
    return index < m_controls.size() ? m_controls[index]->cameraHost : std::string();
}

int Container::controlHolding(HWND hwnd) const
{
    for (HWND w = hwnd; w; w = GetAncestor(w, GA_PARENT)) {
        const int index = controlOfWindow(w);
        if (index >= 0) return index;
        if (w == m_setup.window) break;
    }
    return -1;
}

void Container::markChanged(std::size_t index)
{
    if (index >= m_controls.size()) return;
    m_controls[index]->dirty.store(true, std::memory_order_release);
    // Its apartment draws it when its loop turns.
    if (!m_rooms.empty()) m_rooms[m_controls[index]->apartment]->thread->wake();
}

void Container::focus(std::size_t index)
{
    if (index >= m_controls.size()) return;
    Hosted& h = *m_controls[index];
    if (m_setup.inPlace) {
        // One control of the page is active at a time: the one that was
        // gives up its activation first.
        for (std::size_t i = 0; i < m_controls.size(); ++i) {
            if (i == index) continue;
            Hosted& other = *m_controls[i];
            onApartment(other, [&other] {
                IOleInPlaceObject* inPlace = nullptr;
                if (SUCCEEDED(other.object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))) &&
                    inPlace) {
                    inPlace->UIDeactivate();
                    inPlace->Release();
                }
            });
        }
        onApartment(h, [this, &h] {
            RECT position = h.site->position();
            h.object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, static_cast<IOleClientSite*>(h.site), 0, parent(), &position);
        });
    }
    // A control already active keeps its activation when the focus went
    // elsewhere meanwhile: the focus is given here in any case (by the
    // thread its window is of).
    if (h.hwnd && controlHolding(GetFocus()) != static_cast<int>(index)) onApartment(h, [&h] { SetFocus(h.hwnd); });
    deliverReports();
}

void Container::routeInput(MSG& msg)
{
    if (isPress(msg.message)) {
        const int index = controlHolding(msg.hwnd);
        if (index >= 0) focus(static_cast<std::size_t>(index));
        return;
    }
    switch (msg.message) {
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
        // The wheel's point is on the screen.
        const POINT screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
        const int index = controlHolding(WindowFromPoint(screen));
        if (index >= 0 && m_controls[static_cast<std::size_t>(index)]->hwnd) msg.hwnd = m_controls[static_cast<std::size_t>(index)]->hwnd;
        break;
    }
    default:
        break;
    }
}

void Container::stop()
{
    for (auto& h : m_controls) onApartment(*h, [this, &h] { stopOne(*h); });
    deliverReports();
}

void Container::stop(std::size_t index)
{
    if (index >= m_controls.size()) return;
    Hosted& h = *m_controls[index];
    onApartment(h, [this, &h] { stopOne(h); });
    deliverReports();
}

void Container::stopOne(Hosted& h)
{
    IOleCommandTarget* target = nullptr;
    if (SUCCEEDED(h.object->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(&target))) && target) {
        target->Exec(nullptr, OLECMDID_STOP, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
        target->Release();
    }
    h.dirty.store(true, std::memory_order_release);
}

int Container::cameraSource(std::size_t index) const
{
    return index < m_controls.size() ? m_controls[index]->source.source : -1;
}

std::string Container::cameraName(std::size_t index) const
{
    return index < m_controls.size() ? m_controls[index]->source.name : std::string();
}

bool Container::showProperties(std::size_t index, bool show)
{
    if (index >= m_controls.size()) return false;
    Hosted& h = *m_controls[index];
    m_showPropertyFrame = show;
    HRESULT hr = E_FAIL;
    onApartment(h, [this, &h, &hr] {
        RECT position = h.site->position();
        hr = h.object->DoVerb(OLEIVERB_PROPERTIES, nullptr, static_cast<IOleClientSite*>(h.site), 0, m_setup.window, &position);
    });
    m_showPropertyFrame = false;
    deliverReports();
    return SUCCEEDED(hr);
}

void Container::unhost(Hosted& h)
{
    // From now on nothing it said reaches the listener, and its apartment
    // draws it no more.
    h.alive->store(false, std::memory_order_release);
    for (const auto& room : m_rooms)
        if (room->thread->isCurrent()) std::erase(room->cells, &h);
    if (h.events) {
        h.events->Unadvise(h.cookie);
        releaseInto(h.events);
    }
    if (h.view) {
        h.view->SetAdvise(DVASPECT_CONTENT, 0, nullptr);
        releaseInto(h.view);
    }
    IOleInPlaceObject* inPlace = nullptr;
    if (SUCCEEDED(h.object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))) && inPlace) {
        inPlace->InPlaceDeactivate();
        inPlace->Release();
    }
    // The control lets go of its site before it goes; the frame's
    // navigation ends (or is let go) before the browser does.
    h.object->Close(OLECLOSE_NOSAVE);
    h.object->SetClientSite(nullptr);
    releaseInto(h.object);
    h.browser->Shutdown();
    releaseInto(h.browser);
    h.site->Detach();
    releaseInto(h.site);
}

void Container::release()
{
    for (auto& h : m_controls) onApartment(*h, [this, &h] { unhost(*h); });
    m_controls.clear();
    publishWindows();
    // The apartments end before the reports still queued are dropped: none
    // comes from a released control.
    releaseRooms();
    std::lock_guard lock(m_reportsMutex);
    m_reports.clear();
}
