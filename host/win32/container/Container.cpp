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

template <typename T>
void releaseInto(T*& p)
{
    if (p) p->Release();
    p = nullptr;
}

} // namespace

Container::Container(ContainerSetup setup) : m_setup(std::move(setup))
{
    // The frame's status text (a control's SetStatusText) is not part of
    // the report: the picture's own status is what the viewer reports.
    m_frame = new InPlaceFrame(m_setup.window, nullptr);
}

Container::~Container()
{
    release();
    releaseInto(m_frame);
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
        auto h = host(object, static_cast<int>(m_controls.size()));
        if (h) m_controls.push_back(std::move(h));
    }
    layout();
    for (auto& h : m_controls) activate(*h);
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
    h->object = control;
    m_cursorNames.addModule(ModuleOfObject(control));

    MessageBrowser::Listener browsing;
    browsing.onNavigate = [this, index](const std::string& url) {
        if (m_setup.listener.onNavigate) m_setup.listener.onNavigate(index, url);
    };
    browsing.onMessage = m_setup.listener.onMessage;
    // A wall's control lives in its own page's address.
    const std::string& pageUrl = object.pageUrl.empty() ? m_setup.pageUrl : object.pageUrl;
    h->browser = new MessageBrowser(pageUrl, m_setup.window, m_setup.getter, browsing);

    ControlSite::Listener siteListener;
    siteListener.onViewChange = [hosted] { hosted->dirty = true; };
    siteListener.onPropertyFrame = [this, hosted] {
        return ShowPropertyPages(hosted->object, m_setup.window, m_showPropertyFrame, m_setup.listener.onPropertyPage);
    };
    h->site = new ControlSite(parent(), m_frame, static_cast<IWebBrowser2*>(h->browser), siteListener);

    // Sited first (the control makes its window and learns its page),
    // then its events, then one load from the PARAMs.
    control->SetClientSite(static_cast<IOleClientSite*>(h->site));
    control->SetHostNames(L"camview", nullptr);
    AdviseEventSink(control, [this, index](const std::string& name, const std::string& value) {
        if (m_setup.listener.onEvent) m_setup.listener.onEvent(index, name, value);
    }, &h->events, &h->cookie);
    h->callsWatched = WatchDrawCalls(ModuleOfObject(control));
    AnswerPasswordCalls(ModuleOfObject(control));
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
    h->cameraHost = CameraHostOf(pageUrl, object.params);
    h->source = object;
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
    auto fresh = host(m_controls[index]->source, static_cast<int>(index));
    if (!fresh) return false;
    fresh->rect = m_controls[index]->rect;
    unhost(*m_controls[index]);
    m_controls[index] = std::move(fresh);
    activate(*m_controls[index]);
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
        h->site->setPosition(position);
        IOleInPlaceObject* inPlace = nullptr;
        if (m_setup.inPlace &&
            SUCCEEDED(h->object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))) && inPlace) {
            inPlace->SetObjectRects(&position, &position);
            inPlace->Release();
        }
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
    if (!h.view) return;
    const RECT bounds{0, 0, h.rect.right - h.rect.left, h.rect.bottom - h.rect.top};
    // The control's own calls where they are recorded (the texts exactly as
    // written); else its drawing read back from a metafile.
    const DrawRecord drawn = h.callsWatched ? recordCalls(h.view, bounds, h.scratch) : RecordDraw(h.view, bounds, nullptr);
    const int i = static_cast<int>(index);
    for (const RECT& p : drawn.pictures)
        if (m_setup.listener.onFrame) m_setup.listener.onFrame(i, p.right - p.left, p.bottom - p.top);
    // With no picture, what the control wrote is its status.
    if (drawn.pictures.empty() && !drawn.texts.empty()) {
        const std::string status = StatusOf(drawn);
        if (status != h.status) {
            h.status = status;
            if (m_setup.listener.onStatus) m_setup.listener.onStatus(i, status);
        }
    } else if (!drawn.pictures.empty()) {
        h.status.clear();
    }
}

bool Container::refresh(HDC target, bool all)
{
    bool drawn = false;
    for (std::size_t i = 0; i < m_controls.size(); ++i) {
        Hosted& h = *m_controls[i];
        if (!h.view || (!h.dirty && !all)) continue;
        const bool changed = h.dirty;
        h.dirty = false;
        // What it draws is read first: the frame it takes up is then drawn
        // again, unchanged, into the picture.
        if (changed) inspect(i);
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
    return SUCCEEDED(m_controls[index]->view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, target, &at, nullptr,
                                                   nullptr, 0));
}

bool Container::changed(std::size_t index) const { return index < m_controls.size() && m_controls[index]->dirty; }

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
    if (index < m_controls.size()) m_controls[index]->dirty = true;
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
            IOleInPlaceObject* inPlace = nullptr;
            if (SUCCEEDED(m_controls[i]->object->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace))) &&
                inPlace) {
                inPlace->UIDeactivate();
                inPlace->Release();
            }
        }
        RECT position = h.site->position();
        h.object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, static_cast<IOleClientSite*>(h.site), 0, parent(), &position);
    }
    // A control already active keeps its activation when the focus went
    // elsewhere meanwhile: the focus is given here in any case.
    if (h.hwnd && controlHolding(GetFocus()) != static_cast<int>(index)) SetFocus(h.hwnd);
}

void Container::routeInput(MSG& msg)
{
    switch (msg.message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDBLCLK: {
        const int index = controlHolding(msg.hwnd);
        if (index >= 0) focus(static_cast<std::size_t>(index));
        break;
    }
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
    for (std::size_t i = 0; i < m_controls.size(); ++i) stop(i);
}

void Container::stop(std::size_t index)
{
    if (index >= m_controls.size()) return;
    Hosted& h = *m_controls[index];
    IOleCommandTarget* target = nullptr;
    if (SUCCEEDED(h.object->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(&target))) && target) {
        target->Exec(nullptr, OLECMDID_STOP, OLECMDEXECOPT_DODEFAULT, nullptr, nullptr);
        target->Release();
    }
    h.dirty = true;
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
    RECT position = h.site->position();
    const HRESULT hr =
        h.object->DoVerb(OLEIVERB_PROPERTIES, nullptr, static_cast<IOleClientSite*>(h.site), 0, m_setup.window, &position);
    m_showPropertyFrame = false;
    return SUCCEEDED(hr);
}

void Container::unhost(Hosted& h)
{
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
    for (auto& h : m_controls) unhost(*h);
    m_controls.clear();
}
