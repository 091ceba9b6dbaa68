#include "host/headless/HeadlessViewer.h"

#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "host/page/ViewerPage.h"
#include "host/site/HostSite.h"
#include "platform/com/ComCreation.h"
#include "platform/framework/TextPropertyBag.h"
#include "platform/gdi/Gdi.h"
#include "platform/window/Window.h"
#include "platform/wininet/WinInet.h"

namespace {

constexpr const char* kControlClass = "{4D8D78A3-35E9-499D-8771-4ADA8876B786}";

struct NullWindow final : WindowHandler {
    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
};

struct Hosted {
    IOleObject* object = nullptr;
    IViewObject* view = nullptr;
    HostSite* site = nullptr;
    int top = 0;
    int width = 320;
    int height = 240;
    bool dirty = true;
};

std::string jsonEscape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            out += ' ';
            continue;
        }
        out += c;
    }
    return out;
}

double elapsedSeconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Creates a control by class; registers the module first when the class
// is not registered yet.
HRESULT createControl(const std::string& classText, const std::string& modulePath, IOleObject** object)
{
    CLSID clsid{};
    if (FAILED(CLSIDFromString(classText.c_str(), &clsid))) return REGDB_E_CLASSNOTREG;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(object));
    if (hr != REGDB_E_CLASSNOTREG || modulePath.empty()) return hr;
    if (void* module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (auto reg = reinterpret_cast<HRESULT (*)()>(dlsym(module, "DllRegisterServer"))) reg();
    }
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(object));
}

} // namespace

int RunHeadless(const HeadlessOptions& options)
{
    std::mutex outputMutex;
    auto print = [&](const std::string& line) {
        if (!options.events) return;
        std::lock_guard lock(outputMutex);
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    const auto start = std::chrono::steady_clock::now();
    auto stamp = [&] { return std::to_string(static_cast<long long>(elapsedSeconds(start) * 1000)); };

    if (!options.user.empty()) {
        const std::string user = options.user.substr(0, options.user.find(':'));
        const std::string password = options.user.find(':') == std::string::npos ? "" : options.user.substr(options.user.find(':') + 1);
        SetPasswordPrompt([user, password](HWND, const std::string&, std::string& u, std::string& p, const std::atomic<bool>&) {
            u = user;
            p = password;
            return true;
        });
    } else {
        SetPasswordPrompt([](HWND, const std::string&, std::string&, std::string&, const std::atomic<bool>&) { return false; });
    }

    std::vector<EmbeddedObject> objects;
    if (!options.params.empty() || options.pageUrl.empty()) {
        EmbeddedObject object;
        object.classId = kControlClass;
        object.params = options.params;
        objects.push_back(object);
    } else {
        const FetchedPage page = FetchViewerPage(options.pageUrl);
        if (!page.error.empty()) {
            std::fprintf(stderr, "camview: %s\n", page.error.c_str());
            return 1;
        }
        objects = ParseViewerPage(page.body);
    }

    NullWindow windowHandler;
    HWND window = CreateHandlerWindow(&windowHandler, 0);
    std::vector<Hosted> hosted;
    hosted.reserve(objects.size());
    int totalHeight = 0;
    int maxWidth = 0;
    for (const auto& object : objects) {
        Hosted h;
        if (FAILED(createControl(object.classId, options.modulePath, &h.object))) continue;
        const size_t index = hosted.size();
        HostListener listener;
        listener.onEvent = [&, index](const std::string& name, const std::vector<VARIANT>& args) {
            std::string value;
            if (!args.empty()) {
                const VARIANT& v = args[0];
                value = v.vt == VT_R8 ? std::to_string(v.dblVal) : v.vt == VT_I2 ? std::to_string(v.iVal) : std::to_string(v.lVal);
            }
            print("{\"t_ms\":" + stamp() + ",\"control\":" + std::to_string(index) + ",\"event\":\"" + name +
                  "\",\"value\":" + (value.empty() ? "null" : value) + "}");
        };
        listener.onNavigate = [&, index](const std::string& url) {
            print("{\"t_ms\":" + stamp() + ",\"control\":" + std::to_string(index) + ",\"navigate\":\"" + jsonEscape(url) +
                  "\",\"frame\":\"Message\"}");
        };
        listener.onInvalidate = [&hosted, index] {
            if (index < hosted.size()) hosted[index].dirty = true;
        };
        listener.onMessage = [&](const std::string& text) {
            print("{\"t_ms\":" + stamp() + ",\"message\":\"" + jsonEscape(text) + "\"}");
        };
        h.site = new HostSite(options.pageUrl, window, listener);
        h.object->SetClientSite(static_cast<IOleClientSite*>(h.site));
        IConnectionPointContainer* points = nullptr;
        if (SUCCEEDED(h.object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points)))) {
            IConnectionPoint* point = nullptr;
            if (SUCCEEDED(points->FindConnectionPoint(IID_IDispatch, &point))) {
                DWORD cookie = 0;
                point->Advise(static_cast<IDispatch*>(h.site), &cookie);
                point->Release();
            }
            points->Release();
        }
        TextPropertyBag bag(object.params);
        IPersistPropertyBag* persist = nullptr;
        if (SUCCEEDED(h.object->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist)))) {
            persist->Load(&bag, nullptr);
            persist->Release();
        }
        h.object->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&h.view));
        h.width = object.width > 0 ? object.width : h.site->size().cx;
        h.height = object.height > 0 ? object.height : h.site->size().cy;
        h.top = totalHeight;
        totalHeight += h.height;
        maxWidth = std::max(maxWidth, h.width);
        hosted.push_back(h);
    }
    if (hosted.empty()) {
        std::fprintf(stderr, "camview: %s holds no OBJECT of a registered control\n",
                     options.pageUrl.empty() ? "the parameters" : options.pageUrl.c_str());
        DestroyWindow(window);
        return 2;
    }

    auto surface = std::make_shared<Surface>(std::max(maxWidth, 1), std::max(totalHeight, 1));
    long framesDrawn = 0;
    std::string status;
    while (elapsedSeconds(start) < options.durationSeconds && (options.frames < 0 || framesDrawn < options.frames)) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        for (auto& h : hosted) {
            // Each control is painted on its own region of the surface when
            // it asked to be (and once at the start).
            if (!h.dirty) continue;
            h.dirty = false;
            surface->clearRecord();
            const RECT clip{0, h.top, h.width, h.top + h.height};
            HDC hdc = CreateSurfaceDC(surface, 0, h.top, &clip);
            const RECT bounds{0, 0, h.width, h.height};
            h.view->Draw(DVASPECT_CONTENT, hdc, &bounds);
            DeleteDC(hdc);
            for (const auto& p : surface->pictures()) {
                ++framesDrawn;
                print("{\"t_ms\":" + stamp() + ",\"frame\":" + std::to_string(framesDrawn) + ",\"width\":" +
                      std::to_string(p.rect.right - p.rect.left) + ",\"height\":" + std::to_string(p.rect.bottom - p.rect.top) + "}");
            }
            for (const auto& t : surface->texts()) {
                if (t.text != status) {
                    status = t.text;
                    print("{\"t_ms\":" + stamp() + ",\"status\":\"" + jsonEscape(status) + "\"}");
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
    if (!options.snapshot.empty()) {
        if (WriteSurfacePng(*surface, options.snapshot))
            std::fprintf(stderr, "camview: snapshot written to %s\n", options.snapshot.c_str());
        else
            std::fprintf(stderr, "camview: cannot write %s\n", options.snapshot.c_str());
    }
    for (auto& h : hosted) {
        h.object->SetClientSite(nullptr);
        if (h.view) h.view->Release();
        h.object->Release();
        h.site->Shutdown();
        h.site->Release();
    }
    DestroyWindow(window);
    SetPasswordPrompt(nullptr);
    if (framesDrawn == 0) {
        std::fprintf(stderr, "camview: no picture; the control shows: %s\n", status.c_str());
        return 1;
    }
    return 0;
}
