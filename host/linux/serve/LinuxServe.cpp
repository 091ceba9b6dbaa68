#include "host/linux/serve/LinuxServe.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <thread>

#include "host/core/serve/ServeFace.h"
#include "host/linux/serve/CursorPictures.h"
#include "host/linux/container/PageLoader.h"
#include "host/linux/container/Snapshot.h"
#include "host/linux/container/ViewerContainer.h"
#include "host/linux/container/ViewerSession.h"
#include "platform/gdi/linux/Surface.h"
#include "platform/window/Cursor.h"
#include "platform/window/linux/StandInWindow.h"

namespace {

// The controls paint into an off-screen surface; the browsers' buttons are
// the physical button state the controls read (GetAsyncKeyState), set
// before the messages go out, as the headless run's script does.
class LinuxServeFace final : public ServeFace {
public:
    LinuxServeFace(const CamviewOptions& options, std::string modulePath)
        : ServeFace(options), m_modulePath(std::move(modulePath)), m_input(std::make_shared<SettableInputState>())
    {
    }

    void beginPage(const std::string& pageUrl, const std::vector<GivenUser>&, const ContainerListener& listener,
                   std::shared_ptr<CameraCredentials> credentials) override
    {
        m_session = std::make_unique<ViewerSession>(
            ViewerSessionSetup{pageUrl, m_options.params, m_modulePath, m_input, ViewerPasswordPrompt(std::move(credentials)),
                               nullptr, 0, m_options.allowedClasses, m_options.threads, {}, {},
                               m_options.tuning},
            listener);
    }
    PageLoad fetchPage(const std::string& pageUrl, const PageParams& params, const std::string&, DWORD timeoutMs,
                       const std::atomic<bool>& cancel) override
    {
        return LoadPage(pageUrl, params, timeoutMs, &cancel);
    }
    std::vector<std::string> writeSnapshots(const std::vector<std::size_t>& cameras, const std::string& folder) override
    {
        std::vector<std::string> written;
        if (!m_container || !m_surface) return written;
        const std::time_t now = std::time(nullptr);
        for (const std::size_t i : cameras) {
            const std::string path = WriteSnapshot(*m_surface, m_container->cell(i), folder, m_container->cameraHost(i), now);
            if (!path.empty()) written.push_back(path);
        }
        return written;
    }

protected:
    ControlHost* embedPage(const PageLoad& page) override
    {
        if (m_session->open(page) != 0) return nullptr;
        m_container = &m_session->container();
        const SIZE extent = m_container->extent();
        m_surface = std::make_shared<Surface>(std::max<int>(extent.cx, 1), std::max<int>(extent.cy, 1));
        m_container->paint(m_surface, true);
        return m_container;
    }
    void releasePage() override
    {
        m_container = nullptr;
        m_session.reset();
        m_surface.reset();
    }
    void pumpControls(std::uint64_t ms) override
    {
        m_container->pumpMessages();
        m_container->pollCursor();
        const HCURSOR cursor = GetCursor();
        m_cursors.note(cursor, ViewerContainer::NameOfCursor(cursor));
        // Until a message comes (a socket's notice, a timer, an apartment's
        // report) or the time is up.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::max<std::uint64_t>(ms, 1)), QS_ALLINPUT);
    }
    void paintControls() override { m_container->paint(m_surface); }
    bool cameraPainted(std::size_t camera) const override { return m_container->painted(camera); }
    PixelRows pixels() const override
    {
        const Surface& s = *m_surface;
        return PixelRows{reinterpret_cast<const std::uint8_t*>(s.row(0)), static_cast<std::ptrdiff_t>(s.width()) * 4, s.width(),
                         s.height()};
    }
    void pointer(ServePointer kind, ServeButton button, POINT grid, int notches) override
    {
        const int vk = button == ServeButton::Right ? VK_RBUTTON : button == ServeButton::Middle ? VK_MBUTTON : VK_LBUTTON;
        const MouseButton which = button == ServeButton::Right    ? MouseButton::Right
                                  : button == ServeButton::Middle ? MouseButton::Middle
                                                                  : MouseButton::Left;
        if (kind == ServePointer::Down || kind == ServePointer::Up) m_input->setKeyDown(vk, kind == ServePointer::Down);
        const WPARAM keys = (m_input->isKeyDown(VK_LBUTTON) ? MK_LBUTTON : 0) | (m_input->isKeyDown(VK_RBUTTON) ? MK_RBUTTON : 0) |
                            (m_input->isKeyDown(VK_MBUTTON) ? MK_MBUTTON : 0);
        switch (kind) {
        case ServePointer::Move: m_container->mouseMove(grid, keys); break;
        case ServePointer::Down:
        case ServePointer::Up: m_container->mouseButton(which, kind == ServePointer::Down, grid, keys); break;
        case ServePointer::Wheel: m_container->mouseWheel(grid, notches, keys); break;
        }
    }

    bool cursorPicture(const std::string& name, std::string& png, int& hotX, int& hotY) override
    {
        return m_cursors.find(name, png, hotX, hotY);
    }

private:
    CursorPictures m_cursors;
    std::string m_modulePath;
    std::shared_ptr<SettableInputState> m_input;
    std::unique_ptr<ViewerSession> m_session;
    ViewerContainer* m_container = nullptr;
    std::shared_ptr<Surface> m_surface;
};

} // namespace

int RunServe(const CamviewOptions& options, const std::string& modulePath)
{
    LinuxServeFace face(options, modulePath);
    return face.run();
}
