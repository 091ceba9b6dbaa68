#include "tests/support/TestContainer.h"

#include "platform/framework/linux/TextPropertyBag.h"
#include "platform/window/Window.h"
#include "stream/StreamBuffer.h"
#include "platform/window/linux/StandInWindow.h"
#include "platform/gdi/linux/StandInGdi.h"

#include <algorithm>
#include <thread>

TestContainer::TestContainer()
    : m_clock(std::make_shared<VirtualClock>()), m_input(std::make_shared<SettableInputState>()),
      m_browser(new TestBrowser), m_site(new TestSite(m_browser)), m_sink(new TestEventSink),
      m_ctrl(new ProbedImageCtrl), m_surface(std::make_shared<Surface>(640, 480))
{
    standin::SetProcessClock(m_clock);
    standin::SetInputStateSource(m_input);
    IConnectionPointContainer* cpc = nullptr;
    m_ctrl->ExternalQueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&cpc));
    IConnectionPoint* cp = nullptr;
    cpc->FindConnectionPoint(IID__VEd_oruvudUruzuv, &cp);
    cp->Advise(static_cast<IDispatch*>(m_sink), &m_cookie);
    cp->Release();
    cpc->Release();
}

TestContainer::~TestContainer()
{
    destroy();
    m_sink->Release();
    m_site->Release();
    m_browser->Release();
    // Messages left for destroyed windows, and thread timers, go with the queue.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    standin::SetInputStateSource(nullptr);
    standin::SetProcessClock(nullptr);
}

HWND TestContainer::hwnd() const { return m_ctrl ? m_ctrl->GetSafeHwnd() : nullptr; }

void TestContainer::siteControl()
{
    IOleObject* object = nullptr;
    m_ctrl->ExternalQueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object));
    object->SetClientSite(static_cast<IOleClientSite*>(m_site));
    object->Release();
}

void TestContainer::load(const Params& params)
{
    TextPropertyBag bag(params);
    IPersistPropertyBag* persist = nullptr;
    m_ctrl->ExternalQueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist));
    persist->Load(&bag, nullptr);
    persist->Release();
}

void TestContainer::embed(const Params& params)
{
    siteControl();
    load(params);
}

Params TestContainer::save()
{
    TextPropertyBag bag;
    IPersistPropertyBag* persist = nullptr;
    m_ctrl->ExternalQueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist));
    persist->Save(&bag, TRUE, TRUE);
    persist->Release();
    return bag.entries();
}

void TestContainer::initNew()
{
    IPersistPropertyBag* persist = nullptr;
    m_ctrl->ExternalQueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist));
    persist->InitNew();
    persist->Release();
}

void TestContainer::pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (m_site->repaintPending && m_ctrl) paint();
}

void TestContainer::advance(std::uint64_t ms)
{
    const std::uint64_t target = m_clock->nowMs() + ms;
    pump();
    for (auto due = standin::NextTimerDueMs(); due && *due <= target; due = standin::NextTimerDueMs()) {
        m_clock->setMs(*due);
        pump();
    }
    m_clock->setMs(target);
    pump();
}

bool TestContainer::runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        advance(TIMER_TICK_PERIOD_MS);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

std::vector<DrawnText> TestContainer::paint()
{
    m_site->repaintPending = false;
    if (!m_ctrl) return {};
    int cx = 0;
    int cy = 0;
    m_ctrl->GetControlSize(&cx, &cy);
    m_surface->clearRecord();
    HDC hdc = standin::CreateSurfaceDC(m_surface);
    IViewObject* view = nullptr;
    m_ctrl->ExternalQueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view));
    const RECT bounds{0, 0, cx, cy};
    view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, hdc, &bounds, nullptr, nullptr, 0);
    view->Release();
    DeleteDC(hdc);
    ++m_paints;
    return m_surface->texts();
}

void TestContainer::putFrame(const std::vector<std::uint8_t>& bytes)
{
    StreamBufferBlock* block = m_ctrl->m_pStreamBuffer->GetBlock();
    delete[] block->frameBytes;
    block->frameBytes = new BYTE[bytes.size()];
    std::copy(bytes.begin(), bytes.end(), block->frameBytes);
    block->frameLength = static_cast<DWORD>(bytes.size());
    block->frameReady = 1;
}

void TestContainer::destroy()
{
    if (!m_ctrl) return;
    IOleObject* object = nullptr;
    m_ctrl->ExternalQueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object));
    object->SetClientSite(nullptr);
    object->Release();
    ProbedImageCtrl* ctrl = m_ctrl;
    m_ctrl = nullptr;
    ctrl->ExternalRelease();
}
