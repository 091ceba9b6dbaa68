// The Windows viewer's container pieces under a real COM run-time: the
// site answers what a control asks of its container, the PARAMs reach the
// control as typed values, events are named and valued as in the report,
// the browser reports a "Message" navigation and the answer's text, and
// frames and status texts are told apart from what was drawn.
#include <gtest/gtest.h>

#include <ole2.h>
#include <exdisp.h>
#include <olectl.h>
#include <shlguid.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "host/win32/container/ControlSite.h"
#include "host/win32/container/DrawCalls.h"
#include "host/win32/container/DrawRecord.h"
#include "host/core/EventSink.h"
#include "host/win32/container/InPlaceFrame.h"
#include "host/win32/container/MessageBrowser.h"
#include "host/win32/container/ParamBag.h"

namespace {

template <typename T>
T* query(IUnknown* object, REFIID riid)
{
    void* p = nullptr;
    return SUCCEEDED(object->QueryInterface(riid, &p)) ? static_cast<T*>(p) : nullptr;
}

struct ComEnvironment : ::testing::Environment {
    void SetUp() override { OleInitialize(nullptr); }
    void TearDown() override { OleUninitialize(); }
};
const auto* const kCom = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

TEST(ControlSite, AnswersTheContainersInterfacesTheBrowserAndTheAmbients)
{
    HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x1234));
    auto* frame = new InPlaceFrame(window, nullptr);
    auto* browser = new MessageBrowser("http://cam/ImageViewer", window, nullptr, {});
    int viewChanges = 0;
    ControlSite::Listener listener;
    listener.onViewChange = [&] { ++viewChanges; };
    auto* site = new ControlSite(window, frame, static_cast<IWebBrowser2*>(browser), listener);
    site->setPosition(RECT{10, 20, 330, 260});

    for (const IID* iid : {&IID_IOleClientSite, &IID_IOleInPlaceSite, &IID_IOleWindow, &IID_IOleControlSite,
                           &IID_IServiceProvider, &IID_IDispatch, &IID_IAdviseSink}) {
        IUnknown* part = query<IUnknown>(static_cast<IOleClientSite*>(site), *iid);
        ASSERT_NE(part, nullptr);
        IUnknown* identity = query<IUnknown>(part, IID_IUnknown);
        EXPECT_EQ(identity, static_cast<IUnknown*>(static_cast<IOleClientSite*>(site)));
        identity->Release();
        part->Release();
    }
    // A windowed container: a control must not take it for a windowless one.
    EXPECT_EQ(query<IUnknown>(static_cast<IOleClientSite*>(site), IID_IOleInPlaceSiteWindowless), nullptr);

    IOleInPlaceFrame* gotFrame = nullptr;
    IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(1);
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof info;
    ASSERT_EQ(site->GetWindowContext(&gotFrame, &document, &position, &clip, &info), S_OK);
    EXPECT_EQ(gotFrame, frame);
    EXPECT_EQ(document, nullptr);
    EXPECT_EQ(position.left, 10);
    EXPECT_EQ(position.bottom, 260);
    EXPECT_EQ(info.hwndFrame, window);
    gotFrame->Release();

    // The browser, as the control finds it.
    IServiceProvider* services = query<IServiceProvider>(static_cast<IOleClientSite*>(site), IID_IServiceProvider);
    IWebBrowser2* found = nullptr;
    ASSERT_EQ(services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, reinterpret_cast<void**>(&found)), S_OK);
    BSTR url = nullptr;
    ASSERT_EQ(found->get_LocationURL(&url), S_OK);
    EXPECT_EQ(std::wstring(url, SysStringLen(url)), L"http://cam/ImageViewer");
    SysFreeString(url);
    SHANDLE_PTR hwnd = 0;
    ASSERT_EQ(found->get_HWND(&hwnd), S_OK);
    EXPECT_EQ(reinterpret_cast<HWND>(hwnd), window);
    EXPECT_EQ(found->GoBack(), E_NOTIMPL);
    found->Release();
    IServiceProvider* top = nullptr;
    EXPECT_EQ(services->QueryService(SID_STopLevelBrowser, IID_IServiceProvider, reinterpret_cast<void**>(&top)), S_OK);
    if (top) top->Release();
    services->Release();

    // Run mode, so that the control streams.
    DISPPARAMS none{};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(site->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, VARIANT_TRUE);
    EXPECT_EQ(site->Invoke(-9999, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), DISP_E_MEMBERNOTFOUND);

    // Only the content's view change marks the control for painting.
    site->OnViewChange(DVASPECT_ICON, -1);
    site->OnViewChange(DVASPECT_CONTENT, -1);
    EXPECT_EQ(viewChanges, 1);

    site->Detach();
    site->Release();
    browser->Release();
    frame->Release();
}

TEST(ParamBag, NamesMatchWithoutCaseAndValuesTakeTheAskedType)
{
    ParamBag bag({{"ImageWidth", "640"}, {"ImagePath", "/img?a=1&b=2"}, {"AutoSize", "-1"}, {"Language", "x"},
                  {"imagewidth", "1"}});
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    ASSERT_EQ(bag.Read(L"IMAGEWIDTH", &v, nullptr), S_OK);
    EXPECT_EQ(v.vt, VT_I2);
    EXPECT_EQ(v.iVal, 640); // the first of two spellings counts
    VariantInit(&v);
    ASSERT_EQ(bag.Read(L"imagepath", &v, nullptr), S_OK);
    ASSERT_EQ(v.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(v.bstrVal), L"/img?a=1&b=2");
    VariantClear(&v);
    v.vt = VT_BOOL;
    ASSERT_EQ(bag.Read(L"AutoSize", &v, nullptr), S_OK);
    EXPECT_EQ(v.boolVal, VARIANT_TRUE);
    VariantInit(&v);
    v.vt = VT_I2;
    EXPECT_TRUE(FAILED(bag.Read(L"Language", &v, nullptr)));
    VariantInit(&v);
    EXPECT_EQ(bag.Read(L"Missing", &v, nullptr), E_INVALIDARG);
    EXPECT_EQ(v.vt, VT_EMPTY);
}

TEST(EventSink, NamesAndValuesAsTheReportWritesThem)
{
    const IID events = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
    std::string name, value;
    auto* sink = new EventSink(events, [&](const std::string& n, const std::string& v) { name = n, value = v; });
    IDispatch* asEvents = query<IDispatch>(sink, events);
    ASSERT_NE(asEvents, nullptr);

    VARIANT args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    // COM passes the last argument first: the first one is the last here.
    args[1].vt = VT_R8;
    args[1].dblVal = 1.2;
    args[0].vt = VT_I4;
    args[0].lVal = 99;
    DISPPARAMS params{args, nullptr, 2, 0};
    asEvents->Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    EXPECT_EQ(name, "DZoomMagChanged");
    EXPECT_EQ(value, "1.2");
    args[0].vt = VT_I2;
    args[0].iVal = -3;
    params.cArgs = 1;
    asEvents->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    EXPECT_EQ(name, "ModeChanged");
    EXPECT_EQ(value, "-3");
    args[0].vt = VT_I4;
    args[0].lVal = 4;
    asEvents->Invoke(DISPID_READYSTATECHANGE, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    EXPECT_EQ(name, "ReadyStateChange");
    EXPECT_EQ(value, "4");
    DISPPARAMS empty{};
    asEvents->Invoke(77, IID_NULL, 0, DISPATCH_METHOD, &empty, nullptr, nullptr, nullptr);
    EXPECT_EQ(name, "Event");
    EXPECT_EQ(value, "null");
    asEvents->Release();
    sink->Release();
}

TEST(MessageBrowser, NavigationIsReportedAtOnceAndItsAnswerFromTheWorker)
{
    std::atomic<int> fetches{0};
    std::string navigated;
    std::string message;
    std::atomic<bool> answered{false};
    MessageBrowser::Listener listener;
    listener.onNavigate = [&](const std::string& url) { navigated = url; };
    listener.onMessage = [&](const std::string& text) {
        message = text;
        answered.store(true, std::memory_order_release);
    };
    const DWORD caller = GetCurrentThreadId();
    std::atomic<DWORD> fetcher{0};
    auto* browser = new MessageBrowser(
        "http://cam/", nullptr,
        [&](const std::string& url, std::string& body, std::string& error) {
            fetcher = GetCurrentThreadId();
            ++fetches;
            if (url.find("fail") != std::string::npos) {
                error = "cannot reach cam: connection refused (12029)";
                return false;
            }
            body = "<html><body>\n  <p>Return:</p>  <b>0</b>\n</body></html>";
            return true;
        },
        listener);
    BSTR url = SysAllocString(L"http://cam/ClickAndCenter?x=1");
    VARIANT frame;
    VariantInit(&frame);
    frame.vt = VT_BSTR;
    frame.bstrVal = SysAllocString(L"Message");
    ASSERT_EQ(browser->Navigate(url, nullptr, &frame, nullptr, nullptr), S_OK);
    EXPECT_EQ(navigated, "http://cam/ClickAndCenter?x=1");
    for (int i = 0; i < 500 && !answered.load(std::memory_order_acquire); ++i) Sleep(10);
    ASSERT_TRUE(answered.load(std::memory_order_acquire));
    EXPECT_EQ(message, "Return: 0");
    EXPECT_NE(fetcher.load(), caller);

    answered = false;
    SysFreeString(url);
    url = SysAllocString(L"http://cam/fail");
    browser->Navigate(url, nullptr, &frame, nullptr, nullptr);
    for (int i = 0; i < 500 && !answered.load(std::memory_order_acquire); ++i) Sleep(10);
    EXPECT_EQ(message, "cannot reach cam: connection refused (12029)");

    // After the shutdown nothing is fetched any more.
    browser->Shutdown();
    const int before = fetches;
    browser->Navigate(url, nullptr, &frame, nullptr, nullptr);
    Sleep(50);
    EXPECT_EQ(fetches, before);
    SysFreeString(url);
    VariantClear(&frame);
    browser->Release();
}

// A metafile drawn as the control draws: a status on white, or a picture
// with its magnification label.
HENHMETAFILE drawn(bool picture)
{
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    RECT bounds{0, 0, 320, 240};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    if (picture) {
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, 320, 240);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(dc, 0, 0, 320, 240, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        TextOutA(dc, 20, 20, "x1.0", 4);
    } else {
        FillRect(dc, &bounds, white);
        DrawTextA(dc, "Connecting...", -1, &bounds, DT_WORDBREAK);
        // Tall enough that no font's wrapping clips a word away.
        RECT other{0, 100, 320, 4000};
        DrawTextA(dc, "Error Code(4000 / 0)", -1, &other, DT_WORDBREAK);
    }
    DeleteObject(white);
    return CloseEnhMetaFile(dc);
}

// The test program's own imports stand for a control module's: once
// watched, its drawing calls are recorded while a recording lives, and
// still draw.
TEST(DrawCalls, TextsAndPicturesAreRecordedAsWrittenAndStillDrawn)
{
    ASSERT_TRUE(WatchDrawCalls(GetModuleHandleW(nullptr)));
    EXPECT_TRUE(WatchDrawCalls(GetModuleHandleW(nullptr))); // again: unchanged

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 64;
    info.bmiHeader.biHeight = -32;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const DWORD red[4] = {0x00FF0000, 0x00FF0000, 0x00FF0000, 0x00FF0000};
    BITMAPINFO source = info;
    source.bmiHeader.biWidth = 2;
    source.bmiHeader.biHeight = 2;

    RECT rect{0, 0, 64, 32};
    DrawTextA(dc, "not recorded", -1, &rect, DT_WORDBREAK); // no recording lives
    {
        DrawCallRecording calls;
        DrawTextA(dc, " Error Code(4000 / 0)\n", -1, &rect, DT_WORDBREAK);
        TextOutA(dc, 0, 0, "x1.0", 4);
        StretchDIBits(dc, 0, 0, 64, 32, 0, 0, 2, 2, red, &source, DIB_RGB_COLORS, SRCCOPY);
        ASSERT_EQ(calls.texts().size(), 2u);
        EXPECT_EQ(calls.texts()[0], " Error Code(4000 / 0)\n");
        EXPECT_EQ(calls.texts()[1], "x1.0");
        ASSERT_EQ(calls.pictures().size(), 1u);
        EXPECT_EQ(calls.pictures()[0].cx, 64);
        EXPECT_EQ(calls.pictures()[0].cy, 32);
    }
    GdiFlush();
    // The picture reached the bitmap: the calls were passed on.
    EXPECT_EQ(static_cast<const DWORD*>(bits)[64 * 31 + 63] & 0x00FFFFFF, 0x00FF0000u);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST(DrawRecord, PicturesAndStatusTextsAreToldApart)
{
    HENHMETAFILE status = drawn(false);
    const DrawRecord s = ReadMetafile(status);
    DeleteEnhMetaFile(status);
    EXPECT_TRUE(s.pictures.empty()); // the white fill is no picture
    ASSERT_EQ(s.texts.size(), 2u);
    EXPECT_EQ(s.texts[0], "Connecting...");
    // Whether the run's fonts wrap the words or not, one output's pieces
    // come back as its words.
    EXPECT_EQ(s.texts[1], "Error Code(4000 / 0)");
    EXPECT_EQ(StatusOf(s), "Connecting... Error Code(4000 / 0)");

    HENHMETAFILE frame = drawn(true);
    const DrawRecord f = ReadMetafile(frame);
    DeleteEnhMetaFile(frame);
    ASSERT_EQ(f.pictures.size(), 1u);
    EXPECT_EQ(f.pictures[0].right - f.pictures[0].left, 320);
    EXPECT_EQ(f.pictures[0].bottom - f.pictures[0].top, 240);
    EXPECT_EQ(StatusOf(f), ""); // the label over a picture is no status
}

} // namespace
