#include "host/win32/window/PictureView.h"

#include <windowsx.h>

#include <algorithm>
#include <atomic>

#include "host/core/Grid.h"
#include "host/core/Reconnect.h"
#include "host/core/ViewerCommand.h"
#include "host/win32/container/Container.h"
#include "host/win32/container/DrawCalls.h"
#include "host/win32/container/Utf.h"

namespace {

constexpr wchar_t kViewClass[] = L"CamviewPicture";
constexpr wchar_t kStageClass[] = L"CamviewStage";
// A control asked to be repainted: wParam is its window.
constexpr UINT kControlChanged = WM_APP + 20;
constexpr COLORREF kBackground = RGB(0x20, 0x24, 0x28);
constexpr COLORREF kPanel = RGB(0xEC, 0xEC, 0xEC);
constexpr COLORREF kText = RGB(0x20, 0x20, 0x20);
constexpr COLORREF kLightText = RGB(0xE8, 0xE8, 0xE8);
constexpr COLORREF kFocus = RGB(0x2A, 0x6F, 0xD6); // the selected camera's caption

// The view the repaint watcher tells; one viewer window per process.
std::atomic<HWND> g_view{nullptr};

void registerClasses()
{
    WNDCLASSEXW view{};
    view.cbSize = sizeof view;
    view.style = CS_DBLCLKS;
    view.lpfnWndProc = DefWindowProcW;
    view.hInstance = GetModuleHandleW(nullptr);
    view.lpszClassName = kViewClass;
    RegisterClassExW(&view);
    WNDCLASSEXW stage = view;
    stage.style = 0;
    stage.lpszClassName = kStageClass;
    RegisterClassExW(&stage);
}

bool isWheel(UINT message) { return message == WM_MOUSEWHEEL || message == WM_MOUSEHWHEEL; }

UINT asPress(UINT message)
{
    switch (message) {
    case WM_LBUTTONDBLCLK: return WM_LBUTTONDOWN;
    case WM_RBUTTONDBLCLK: return WM_RBUTTONDOWN;
    case WM_MBUTTONDBLCLK: return WM_MBUTTONDOWN;
    case WM_XBUTTONDBLCLK: return WM_XBUTTONDOWN;
    default: return message;
    }
}

} // namespace

PictureView::~PictureView()
{
    if (g_view.load(std::memory_order_acquire) == m_view) {
        WatchRepaints(nullptr);
        g_view.store(nullptr, std::memory_order_release);
    }
    if (m_view) {
        SetWindowLongPtrW(m_view, GWLP_USERDATA, 0);
        DestroyWindow(m_view);
    }
    if (m_stage) DestroyWindow(m_stage);
}

bool PictureView::create(HWND parent)
{
    registerClasses();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    // The stage is a real child that is never shown: the controls in it
    // keep their windows, their focus and their capture, and paint only
    // when the view draws them.
    m_stage = CreateWindowExW(0, kStageClass, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 1, 1, parent, nullptr, instance, nullptr);
    m_view = CreateWindowExW(0, kViewClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 1, 1, parent, nullptr, instance,
                             nullptr);
    if (!m_stage || !m_view) return false;
    SetWindowLongPtrW(m_view, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_view, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PictureView::ViewProc));
    g_view.store(m_view, std::memory_order_release);
    WatchRepaints(&PictureView::repaintWanted);
    return true;
}

void PictureView::repaintWanted(HWND control)
{
    // Any thread: only the message crosses over.
    if (HWND view = g_view.load(std::memory_order_acquire)) PostMessageW(view, kControlChanged, reinterpret_cast<WPARAM>(control), 0);
}

void PictureView::attach(Container* container, SIZE grid)
{
    m_container = container;
    m_canvas.reset();
    m_stopped = false;
    if (container && grid.cx > 0 && grid.cy > 0) {
        m_canvas = std::make_unique<Canvas>(grid.cx, grid.cy);
        if (m_canvas->dc()) {
            const RECT all{0, 0, grid.cx, grid.cy};
            HBRUSH background = CreateSolidBrush(kBackground);
            FillRect(m_canvas->dc(), &all, background);
            DeleteObject(background);
        }
        SetWindowPos(m_stage, HWND_BOTTOM, 0, 0, grid.cx, grid.cy, SWP_NOACTIVATE);
    }
    m_redrawAll = true;
    layout(m_area, -1);
}

void PictureView::layout(const RECT& area, int alone)
{
    m_area = area;
    m_alone = alone;
    RECT view{0, 0, m_canvas ? m_canvas->width() : 1, m_canvas ? m_canvas->height() : 1};
    if (m_container && alone >= 0) view = m_container->cell(static_cast<std::size_t>(alone));
    m_scaling = ViewScaling(view, RECT{0, 0, std::max<LONG>(1, area.right - area.left), std::max<LONG>(1, area.bottom - area.top)});
    MoveWindow(m_view, area.left, area.top, std::max<LONG>(0, area.right - area.left), std::max<LONG>(0, area.bottom - area.top),
               FALSE);
    InvalidateRect(m_view, nullptr, FALSE);
}

void PictureView::showKeys(bool shown)
{
    m_keys = shown;
    InvalidateRect(m_view, nullptr, FALSE);
}

void PictureView::select(int camera)
{
    if (camera == m_selected) return;
    m_selected = camera;
    InvalidateRect(m_view, nullptr, FALSE);
}

void PictureView::showStopped()
{
    m_stopped = true;
    m_redrawAll = true;
    InvalidateRect(m_view, nullptr, FALSE);
}

LRESULT CALLBACK PictureView::ViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<PictureView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT PictureView::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // the paint covers every pixel
    case kControlChanged: {
        if (!m_container) return 0;
        const int index = m_container->controlOfWindow(reinterpret_cast<HWND>(wParam));
        if (index < 0) return 0;
        m_container->markChanged(static_cast<std::size_t>(index));
        InvalidateRect(m_view, nullptr, FALSE);
        return 0;
    }
    case WM_SETCURSOR: {
        // The control under the pointer sets it, as over its own window.
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(m_view, &pt);
        const int index = LOWORD(lParam) == HTCLIENT ? controlAt(pt) : -1;
        HWND control = index >= 0 && m_container ? m_container->controlWindow(static_cast<std::size_t>(index)) : nullptr;
        if (control && SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control), lParam)) return TRUE;
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
        return TRUE;
    }
    default:
        return DefWindowProcW(m_view, message, wParam, lParam);
    }
}

std::vector<RECT> PictureView::cells() const
{
    std::vector<RECT> cells;
    for (std::size_t i = 0; m_container && i < m_container->count(); ++i) cells.push_back(m_container->cell(i));
    return cells;
}

int PictureView::controlAt(POINT viewPoint) const { return HitPicture(m_scaling, cells(), m_alone, -1, viewPoint).control; }

int PictureView::controlUnderPointer() const
{
    POINT pt;
    if (!GetCursorPos(&pt) || WindowFromPoint(pt) != m_view) return -1;
    ScreenToClient(m_view, &pt);
    return controlAt(pt);
}

bool PictureView::routeMouse(MSG& msg) const
{
    if (!m_container || msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) return false;
    POINT viewPoint = msg.pt;
    ScreenToClient(m_view, &viewPoint);
    PictureHit hit;
    if (isWheel(msg.message)) {
        // The wheel goes to the control under the pointer, whichever
        // window has the focus.
        if (WindowFromPoint(msg.pt) != m_view) return false;
        hit = HitPicture(m_scaling, cells(), m_alone, -1, viewPoint);
    } else {
        // A control holding the capture gets the mouse wherever it is (a
        // drag goes on outside the picture); else the one under it.
        const int captured = m_container->controlHolding(GetCapture());
        if (msg.hwnd != m_view && (captured < 0 || m_container->controlHolding(msg.hwnd) != captured)) return false;
        hit = HitPicture(m_scaling, cells(), m_alone, captured, viewPoint);
    }
    const int index = hit.control;
    const POINT local = hit.local;
    HWND control = index >= 0 ? m_container->controlWindow(static_cast<std::size_t>(index)) : nullptr;
    if (!control) return false;
    if (isWheel(msg.message)) {
        POINT screen = local;
        ClientToScreen(control, &screen);
        msg.lParam = MAKELPARAM(static_cast<SHORT>(screen.x), static_cast<SHORT>(screen.y));
    } else {
        msg.lParam = MAKELPARAM(static_cast<SHORT>(local.x), static_cast<SHORT>(local.y));
        // A double click only for a control whose class asks for them.
        if (!(GetClassLongPtrW(control, GCL_STYLE) & CS_DBLCLKS)) msg.message = asPress(msg.message);
    }
    msg.hwnd = control;
    return true;
}

void PictureView::paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_view, &ps);
    if (!dc) return;
    RECT client;
    GetClientRect(m_view, &client);
    // Off screen first, then on the screen at once: no flicker, and every
    // pixel of the view is painted, the background where no picture is.
    Canvas frame(std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom));
    HDC target = frame.dc() ? frame.dc() : dc;
    HBRUSH background = CreateSolidBrush(kBackground);
    FillRect(target, &client, background);
    DeleteObject(background);
    if (m_container && m_canvas && m_canvas->dc()) {
        m_container->refresh(m_canvas->dc(), m_redrawAll);
        m_redrawAll = false;
        restoreKept();
        const RECT& v = m_scaling.view();
        const RECT& t = m_scaling.target();
        SetStretchBltMode(target, HALFTONE);
        SetBrushOrgEx(target, 0, 0, nullptr);
        StretchBlt(target, t.left, t.top, t.right - t.left, t.bottom - t.top, m_canvas->dc(), v.left, v.top, v.right - v.left,
                   v.bottom - v.top, SRCCOPY);
        if (m_reconnect) paintReconnecting(target);
        if (m_stopped) paintStopped(target);
        if (m_alone < 0) paintCaptions(target);
    }
    if (m_keys) paintKeys(target);
    if (target != dc) BitBlt(dc, 0, 0, client.right, client.bottom, target, 0, 0, SRCCOPY);
    EndPaint(m_view, &ps);
}

namespace {

void panel(HDC dc, const RECT& box)
{
    HBRUSH brush = CreateSolidBrush(kPanel);
    FillRect(dc, &box, brush);
    DeleteObject(brush);
    HBRUSH border = CreateSolidBrush(RGB(0x80, 0x80, 0x80));
    FrameRect(dc, &box, border);
    DeleteObject(border);
}

} // namespace

void PictureView::paintKeys(HDC dc)
{
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const int line = metrics.tmHeight + metrics.tmExternalLeading + 4;
    const auto& lines = ViewerKeyLines();
    RECT client;
    GetClientRect(m_view, &client);
    const RECT box{4, 4, std::min<LONG>(client.right - 4, 4 + 460),
                   std::min<LONG>(client.bottom - 4, 4 + 16 + static_cast<LONG>(lines.size()) * line)};
    panel(dc, box);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kText);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        RECT row{box.left + 10, box.top + 8 + static_cast<LONG>(i) * line, box.right - 6,
                 box.top + 8 + static_cast<LONG>(i + 1) * line};
        const std::wstring text = Widen(lines[i]);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &row, DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    SelectObject(dc, old);
}

void PictureView::setReconnect(const ReconnectWatch* watch)
{
    m_reconnect = watch;
    m_kept.clear();
}

void PictureView::keepLastPicture(std::size_t index)
{
    if (!m_container || !m_canvas || !m_canvas->dc() || index >= m_container->count()) return;
    if (m_kept.size() <= index) m_kept.resize(index + 1);
    Kept& kept = m_kept[index];
    if (kept.picture) return; // the picture from before the first attempt stays
    const RECT cell = m_container->cell(index);
    auto picture = std::make_unique<Canvas>(std::max<LONG>(1, cell.right - cell.left), std::max<LONG>(1, cell.bottom - cell.top));
    if (!picture->dc()) return;
    BitBlt(picture->dc(), 0, 0, picture->width(), picture->height(), m_canvas->dc(), cell.left, cell.top, SRCCOPY);
    kept.cell = cell;
    kept.picture = std::move(picture);
}

void PictureView::forgetLastPicture(std::size_t index)
{
    if (index < m_kept.size()) m_kept[index].picture.reset();
    m_redrawAll = true;
}

void PictureView::tickReconnect()
{
    if (!m_reconnect || !m_container) return;
    for (std::size_t i = 0; i < m_container->count(); ++i) {
        if (!m_reconnect->overlay(i).empty() || (i < m_kept.size() && m_kept[i].picture)) {
            InvalidateRect(m_view, nullptr, FALSE);
            return;
        }
    }
}

void PictureView::restoreKept()
{
    if (!m_reconnect) return;
    for (std::size_t i = 0; i < m_kept.size(); ++i) {
        Kept& kept = m_kept[i];
        if (!kept.picture) continue;
        // Stopped while it waited, the camera keeps its last picture under
        // "stopped", over whatever its fresh control drew.
        if (m_reconnect->overlay(i).empty() && !m_reconnect->stopped(i)) {
            // Drawing again: its own picture covers the cell.
            kept.picture.reset();
            continue;
        }
        BitBlt(m_canvas->dc(), kept.cell.left, kept.cell.top, kept.picture->width(), kept.picture->height(),
               kept.picture->dc(), 0, 0, SRCCOPY);
    }
}

void PictureView::paintReconnecting(HDC dc)
{
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kText);
    for (std::size_t i = 0; i < m_container->count(); ++i) {
        if (m_alone >= 0 && static_cast<std::size_t>(m_alone) != i) continue;
        const std::string text = m_reconnect->overlay(i);
        if (text.empty()) continue;
        const RECT cell = m_container->cell(i);
        const POINT from = m_scaling.toWindow(POINT{cell.left, cell.top});
        const POINT to = m_scaling.toWindow(POINT{cell.right, cell.bottom});
        RECT line{from.x, from.y, to.x, std::min<LONG>(to.y, from.y + 24)};
        panel(dc, line);
        RECT inside{line.left + 6, line.top, line.right - 4, line.bottom};
        const std::wstring wide = Widen(text);
        DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &inside,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    SelectObject(dc, old);
}

// A wall's names, in the strips above the cells, the selected one marked.
void PictureView::paintCaptions(HDC dc)
{
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kText);
    for (std::size_t i = 0; i < m_container->count(); ++i) {
        const std::string name = m_container->cameraName(i);
        if (name.empty()) continue;
        const RECT strip = CaptionOf(m_container->cell(i));
        const POINT from = m_scaling.toWindow(POINT{strip.left, strip.top});
        const POINT to = m_scaling.toWindow(POINT{strip.right, strip.bottom});
        RECT label{from.x, from.y, to.x, to.y};
        if (label.right <= label.left || label.bottom <= label.top) continue;
        const bool selected = m_selected == static_cast<int>(i);
        if (selected) {
            HBRUSH focus = CreateSolidBrush(kFocus);
            FillRect(dc, &label, focus);
            DeleteObject(focus);
        } else {
            panel(dc, label);
        }
        SetTextColor(dc, selected ? kLightText : kText);
        label.left += 4;
        const std::wstring text = Widen(name);
        DrawTextW(dc, text.c_str(), -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    SelectObject(dc, old);
}

void PictureView::paintStopped(HDC dc)
{
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kText);
    for (std::size_t i = 0; i < m_container->count(); ++i) {
        if (m_alone >= 0 && static_cast<std::size_t>(m_alone) != i) continue;
        if (m_reconnect && !m_reconnect->stopped(i)) continue;
        const RECT cell = m_container->cell(i);
        const POINT at = m_scaling.toWindow(POINT{cell.left, cell.top});
        RECT label{at.x + 4, at.y + 4, at.x + 84, at.y + 24};
        panel(dc, label);
        DrawTextW(dc, L"stopped", -1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, old);
}
