#include "host/linux/container/ViewerSession.h"

#include "host/linux/container/PageLoader.h"
#include "host/core/page/WallLoad.h"
#include "platform/window/linux/StandInWindow.h"
#include "platform/wininet/linux/StandInWinInet.h"

#include <algorithm>
#include <thread>

ViewerSession::ViewerSession(ViewerSessionSetup setup, ContainerListener chained)
    : m_setup(std::move(setup)), m_log(m_setup.events)
{
    standin::SetInputStateSource(m_setup.input);
    standin::SetPasswordPrompt(m_setup.prompt);
    const unsigned threads = m_setup.threads > 0 ? m_setup.threads : std::max(1u, std::thread::hardware_concurrency());
    m_container = std::make_unique<ViewerContainer>(m_setup.pageUrl, m_setup.modulePath, m_log.listener(std::move(chained)),
                                                    threads);
    m_container->setPolicy(ControlPolicy(m_setup.allowedClasses));
    m_container->setTuning(m_setup.tuning);
}

ViewerSession::~ViewerSession()
{
    close();
    standin::SetPasswordPrompt(nullptr);
    standin::SetInputStateSource(nullptr);
}

int ViewerSession::open()
{
    if (m_setup.sources.size() <= 1) return open(LoadPage(m_setup.pageUrl, m_setup.params, m_setup.pageTimeoutMs));
    const std::atomic<bool> never{false};
    WallLoad wall = LoadWall(
        m_setup.sources,
        [](const PageSource& source, const std::string&, DWORD timeoutMs, const std::atomic<bool>& cancel) {
            return LoadPage(source.url, source.params, timeoutMs, &cancel);
        },
        {}, m_setup.pageTimeoutMs, never);
    for (const auto& [address, why] : wall.failures) {
        std::fprintf(stderr, "camview: %s\n", why.c_str());
        m_log.pageFailed(address, why);
    }
    return open(wall.page);
}

int ViewerSession::open(const PageLoad& page)
{
    if (!page.error.empty()) {
        m_failure = page.error;
        std::fprintf(stderr, "camview: %s\n", page.error.c_str());
        m_log.pageFailed(page.name, page.error);
        return 1;
    }
    if (m_container->embed(page.objects) == 0) {
        m_failure = NoControlText(page);
        std::fprintf(stderr, "camview: %s\n", m_failure.c_str());
        return 2;
    }
    return 0;
}

void ViewerSession::close() { m_container->release(); }
