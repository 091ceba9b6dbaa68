#include "host/core/ViewerShell.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sstream>
#include <thread>

#include "host/core/Grid.h"
#include "host/core/RecentAddresses.h"
#include "host/core/SnapshotName.h"
#include "host/core/UserFolders.h"
#include "host/core/Wall.h"
#include "host/core/page/WallLoad.h"
#include "host/core/ViewerAddress.h"
#include "host/core/page/NetworkErrors.h"
#include "platform/trace/Trace.h"
#include "platform/wininet/WinInet.h"

namespace {

constexpr int kMinWidth = 480;
constexpr int kMinWindowWidth = 160;
constexpr int kMinWindowHeight = 120;
// How long a page may take to load in the window, the time its password
// dialog is open not counted.
constexpr DWORD kPageTimeoutMs = 20000;
constexpr auto kNoticeTime = std::chrono::seconds(5);
// How often the streams are looked at for an end: a face's loop may turn
// for every mouse message.
constexpr auto kReconnectStep = std::chrono::milliseconds(100);
// How the recent list and the address dialog name a saved wall.
constexpr const char* kWallPrefix = "wall:";
// The name a wall started from addresses is saved under when it is changed.
constexpr const char* kUnnamedWall = "cameras";

} // namespace

struct PageFetchJob {
    std::atomic<bool> done{false};
    std::atomic<bool> cancel{false};
    std::atomic<int> fetched{0}; // the wall's pages fetched so far
    PageLoad page;
    std::vector<std::pair<std::string, std::string>> failures;
};

ViewerShell::ViewerShell(const CamviewOptions& options, ViewerFace& face)
    : m_options(options), m_face(face), m_log(options.events ? stdout : nullptr)
{
}

ViewerShell::~ViewerShell() = default;

int ViewerShell::run()
{
    // A page that cannot be shown leaves the window open: the reason is
    // said in the address dialog, which asks again.
    m_sources = m_options.sources;
    m_given = m_options.givenUsers;
    m_wallName = m_options.wall;
    std::string notice;
    // Started with no address, the window opens the wall opened last.
    if (m_sources.empty() && m_options.params.empty()) {
        if (const std::string last = LastWall(); !last.empty()) openTyped(kWallPrefix + last, notice);
    }
    int exitCode = 0;
    while (m_running) {
        if (m_sources.empty()) {
            m_face.setTitle("camview");
            const std::string typed = m_face.askAddress(RecentAddresses(RecentAddressesFile()).list(), notice);
            if (typed.empty()) break;
            if (!openTyped(typed, notice)) continue;
        }
        m_pageUrl = m_sources.front().url;
        m_user = CredentialsForUrl(m_given, m_pageUrl);
        exitCode = showPage();
        // The wall changed in the window: shown again as it is now.
        if (m_rebuild && m_running) {
            m_rebuild = false;
            continue;
        }
        if (exitCode == 0 || !m_options.params.empty()) break;
        notice = m_failure;
        m_sources.clear();
        m_wallName.clear();
    }
    return exitCode;
}

bool ViewerShell::openTyped(const std::string& typed, std::string& notice)
{
    m_sources.clear();
    m_wallName.clear();
    const std::string text = TrimmedText(typed);
    if (text.rfind(kWallPrefix, 0) == 0) {
        // "wall:NAME", as the recent list offers a wall.
        const std::string name = text.substr(std::char_traits<char>::length(kWallPrefix));
        if (!OpenWall(name, m_sources, notice)) return false;
        m_wallName = name;
        return true;
    }
    // One address, or several with blanks between them (a wall). The
    // credentials typed in one answer its camera as the command line's do;
    // the address goes on without them.
    std::istringstream words(text);
    std::string word;
    m_given.clear();
    while (words >> word) {
        const ViewerAddress address = ReadViewerAddress(word);
        if (address.url.empty()) continue;
        m_sources.push_back({address.url, address.stream ? address.streamParams() : PageParams{}, {}, address.stream, {}});
        const std::string user = !address.user.empty() ? address.user : GivenUserFor(m_options, address.url);
        if (!user.empty()) m_given.push_back({address.url, user});
    }
    return !m_sources.empty();
}

std::string ViewerShell::wallTitle() const
{
    if (!m_wallName.empty()) return "camview - " + m_wallName;
    const std::string first = ViewerTitle(m_pageUrl);
    return m_sources.size() > 1 ? first + " and " + std::to_string(m_sources.size() - 1) + " more" : first;
}

std::string ViewerShell::recentEntry() const
{
    if (!m_wallName.empty()) return kWallPrefix + m_wallName;
    std::string entry;
    for (const PageSource& source : m_sources) entry += (entry.empty() ? "" : " ") + source.url;
    return entry;
}

bool ViewerShell::loadPage(PageLoad& page)
{
    auto job = std::make_shared<PageFetchJob>();
    m_loadJob = job;
    std::thread fetcher([&face = m_face, job, sources = m_sources, given = m_given] {
        WallLoad wall = LoadWall(
            sources,
            [&face](const PageSource& source, const std::string& user, DWORD timeoutMs, const std::atomic<bool>& cancel) {
                return face.fetchPage(source.url, source.params, user, timeoutMs, cancel);
            },
            [&given](const std::string& url) { return CredentialsForUrl(given, url); }, kPageTimeoutMs, job->cancel,
            &job->fetched);
        job->page = std::move(wall.page);
        job->failures = std::move(wall.failures);
        job->done.store(true, std::memory_order_release);
    });
    const bool params = m_sources.size() == 1 && m_sources.front().url.empty();
    m_loading = "loading " +
                (params ? std::string("the parameters")
                 : m_sources.size() > 1 ? std::to_string(m_sources.size()) + " cameras' pages"
                                        : UrlAuthority(m_pageUrl)) +
                "... (Esc to cancel)";
    m_face.viewChanged();
    const auto limit = std::chrono::milliseconds(kPageTimeoutMs);
    auto deadline = std::chrono::steady_clock::now() + limit;
    int fetched = 0;
    bool timedOut = false;
    while (!job->done.load(std::memory_order_acquire) && m_running && !job->cancel.load(std::memory_order_acquire)) {
        m_face.pump(true);
        const auto now = std::chrono::steady_clock::now();
        // A person asked for a password stops the page's clock; each page
        // of a wall has its own time.
        if (m_face.askingPerson()) deadline = now + limit;
        if (const int n = job->fetched.load(std::memory_order_acquire); n != fetched) {
            fetched = n;
            deadline = now + limit;
        }
        if (now >= deadline) {
            timedOut = true;
            break;
        }
    }
    const bool cancelled = job->cancel.exchange(true, std::memory_order_acq_rel);
    // A fetch that ends when cancelled is waited for; one blocked where it
    // cannot be ended goes on alone and its answer is dropped.
    const auto grace = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (!job->done.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < grace)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool finished = job->done.load(std::memory_order_acquire);
    if (finished) fetcher.join();
    else fetcher.detach();
    m_loading.clear();
    m_loadJob.reset();
    if (!m_running) return false;
    page.name = m_pageUrl;
    if (timedOut) page.error = PageFetchError(m_pageUrl, ERROR_INTERNET_TIMEOUT);
    else if (cancelled || !finished) page.error = "loading " + UrlAuthority(m_pageUrl) + " was cancelled";
    else {
        page = job->page;
        // The addresses of a wall that could not be shown are told; the
        // others are.
        for (const auto& [address, why] : job->failures) {
            std::fprintf(stderr, "camview: %s\n", why.c_str());
            m_log.pageFailed(address, why);
        }
        if (!job->failures.empty()) m_wallNotice = job->failures.front().second;
    }
    VE_TRACE(viewer, "(%s) -> %u objects, error %s", traceText(page.name).c_str(), static_cast<unsigned>(page.objects.size()),
             traceText(page.error).c_str());
    return true;
}

int ViewerShell::showPage()
{
    VE_TRACE(viewer, "(%s, user %s)", traceText(m_pageUrl).c_str(), m_user.empty() ? "none" : "given");
    m_failure.clear();
    m_wallNotice.clear();
    m_alone = -1;
    m_selected = -1;
    m_stopped = false;
    m_events.clear();
    m_statuses.clear();
    {
        std::lock_guard lock(m_messageMutex);
        m_message.clear();
        m_propertyPage.clear();
    }
    // The credentials given answer their camera once; after that, other
    // cameras, and without them, the person is asked over the window.
    auto credentials = std::make_shared<CameraCredentials>(m_given, m_face.personAsker(),
                                                           TellOnStderr(std::make_shared<std::atomic<EventLog*>>(&m_log)),
                                                           SystemPasswordStore());
    ContainerListener chained;
    chained.onEvent = [this](int control, const std::string& name, const std::string& value) {
        m_events.set(control, name + (value == "null" ? "" : " " + value));
    };
    chained.onStatus = [this](int control, const std::string& text) { m_statuses.set(control, text); };
    // A frame the control dropped for its size is the camera's last event.
    chained.onNotice = [this](int control, const std::string& text) { m_events.set(control, text); };
    chained.onMessage = [this](const std::string& text) {
        {
            std::lock_guard lock(m_messageMutex);
            m_message = text;
        }
        m_face.messageArrived();
    };
    chained.onFrame = [this](int control, int, int) {
        if (control < 0) return;
        m_rates.frame(static_cast<std::size_t>(control), std::chrono::steady_clock::now());
        if (static_cast<std::size_t>(control) < m_drew.size()) m_drew[static_cast<std::size_t>(control)] = true;
    };
    if (m_face.propertyPageAsText()) chained.onPropertyPage = [this](const std::string& title, const std::string& text) {
        {
            std::lock_guard lock(m_messageMutex);
            m_propertyPage = "Properties - " + title + ": " + text + "  (Esc closes)";
        }
        m_face.messageArrived();
    };
    m_reconnect = std::make_unique<ReconnectWatch>(&m_log);
    if (m_options.reconnect) chained = m_reconnect->listener(chained);
    m_face.beginPage(m_pageUrl, m_given, m_log.listener(chained), credentials);

    PageLoad page;
    const bool open = loadPage(page);
    if (open && !page.error.empty()) {
        m_failure = page.error;
        std::fprintf(stderr, "camview: %s\n", m_failure.c_str());
        m_log.pageFailed(page.name, page.error);
    }
    m_host = open && page.error.empty() ? m_face.embed(page) : nullptr;
    if (open && page.error.empty() && !m_host) {
        m_failure = NoControlText(page);
        std::fprintf(stderr, "camview: %s\n", m_failure.c_str());
    }
    if (!m_host) {
        m_face.endPage();
        m_reconnect.reset();
        return !open ? 0 : page.error.empty() ? 2 : 1;
    }
    m_rates = FrameRates();
    m_rates.resize(m_host->count());
    m_drew.assign(m_host->count(), false);
    m_reconnect->attach(*m_host);
    // The view keeps the camera's last picture before its control is made again.
    m_reconnect->setReload([this](std::size_t camera) {
        if (drew(camera)) m_face.keepLastPicture(camera);
        return m_host->reload(camera);
    });
    fitWindow();
    if (m_options.fullScreen && !m_fullScreen) command(ViewerCommand::FullScreen, "--fullscreen");
    m_face.setTitle(wallTitle());
    if (!m_wallNotice.empty()) notice(m_wallNotice);
    // Only addresses that worked are offered again, those given on the
    // command line too.
    if (!m_pageUrl.empty() && m_options.params.empty() && !m_options.serve)
        RecentAddresses(RecentAddressesFile()).remember(recentEntry());
    if (!m_options.record.empty()) {
        const std::string why = m_recorder.startAll(*m_host, m_options.record);
        if (!why.empty()) notice(why);
    }
    m_face.viewChanged();
    while (m_running && !m_rebuild) {
        m_face.pump(false);
        tick();
    }
    for (const std::string& line : m_recorder.stop()) std::fprintf(stderr, "camview: %s\n", line.c_str());
    m_host = nullptr;
    m_face.endPage();
    m_reconnect.reset();
    return 0;
}

void ViewerShell::fitWindow()
{
    // The window fits the grid and the bars on the screen's work area (a
    // larger grid opens scaled to fit, its shape kept), unless the person
    // asked for a size and place (--geometry).
    const SIZE grid = m_host->extent();
    const SIZE client{std::max<LONG>(grid.cx, kMinWidth), grid.cy + m_face.barsHeight()};
    SIZE size = m_options.width > 0 ? SIZE{m_options.width, m_options.height} : m_face.windowSizeFor(client);
    const RECT work = m_face.workArea();
    const LONG workWidth = work.right - work.left, workHeight = work.bottom - work.top;
    if (m_options.width == 0 && workWidth > 0 && workHeight > 0 && (size.cx > workWidth || size.cy > workHeight)) {
        const double fit = std::min(static_cast<double>(workWidth) / size.cx, static_cast<double>(workHeight) / size.cy);
        size = SIZE{std::max(kMinWindowWidth, static_cast<int>(size.cx * fit)),
                    std::max(kMinWindowHeight, static_cast<int>(size.cy * fit))};
    }
    const POINT at{m_options.x, m_options.y};
    VE_TRACE(viewer, "(grid %ldx%ld, work area %ldx%ld) -> %ldx%ld", static_cast<long>(grid.cx), static_cast<long>(grid.cy),
             static_cast<long>(workWidth), static_cast<long>(workHeight), static_cast<long>(size.cx), static_cast<long>(size.cy));
    m_face.placeWindow(size, m_options.placed ? &at : nullptr);
}

void ViewerShell::tick()
{
    // The report's reader went away: the run ends, its recordings closed.
    if (m_log.broken()) m_running = false;
    const auto now = std::chrono::steady_clock::now();
    if (m_host && m_options.reconnect && now >= m_nextStep) {
        m_nextStep = now + kReconnectStep;
        m_reconnect->step();
        m_recorder.follow(*m_host); // a camera made again goes on into its file
    }
    // The control with the keyboard focus, reported when it changes, as
    // the headless run does.
    if (const int focused = m_face.focusedCamera(); focused != m_focused) {
        m_focused = focused;
        m_log.write("\"focus\":" + std::to_string(focused));
    }
}

std::string ViewerShell::statusLine()
{
    if (!m_loading.empty()) return m_loading;
    if (!m_host) return m_failure;
    const auto now = std::chrono::steady_clock::now();
    StatusLineInput in;
    const std::size_t count = std::min(m_host->count(), m_rates.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::string name = m_host->cameraName(i);
        in.hosts.push_back(name.empty() ? m_host->cameraHost(i) : name + " (" + m_host->cameraHost(i) + ")");
        in.rates.push_back(m_rates.rate(i, now));
        in.statuses.push_back(m_statuses.of(static_cast<int>(i)));
        in.lastEvents.push_back(m_events.of(static_cast<int>(i)));
    }
    in.shown = target();
    if (now < m_noticeUntil) in.notice = m_notice;
    in.latestEvent = m_events.last();
    in.credentialsGiven = !m_user.empty();
    in.recording = m_recorder.status();
    return ComposeStatusLine(in);
}

std::string ViewerShell::message() const
{
    std::lock_guard lock(m_messageMutex);
    return m_propertyPage.empty() ? m_message : m_propertyPage;
}

int ViewerShell::target() const
{
    if (m_alone >= 0) return m_alone;
    if (!m_host) return -1;
    const int pointer = m_face.cameraUnderPointer();
    return pointer >= 0 ? pointer : m_selected;
}

void ViewerShell::notice(const std::string& text)
{
    m_notice = text;
    m_noticeUntil = std::chrono::steady_clock::now() + kNoticeTime;
    // The whole text goes to the terminal: the status line may cut it.
    if (!text.empty()) std::fprintf(stderr, "camview: %s\n", text.c_str());
    m_face.viewChanged();
}

void ViewerShell::key(ViewerKey key, char digit)
{
    if (!m_loading.empty()) {
        // While the page loads: Esc gives it up, q quits.
        if (key == ViewerKey::Escape && m_loadJob) m_loadJob->cancel.store(true, std::memory_order_release);
        if (key == ViewerKey::Q) command(ViewerCommand::Quit, "q");
        return;
    }
    if (!m_host) return;
    if (m_keysShown) {
        m_keysShown = false; // any key closes the keys' list
        m_face.viewChanged();
        return;
    }
    {
        std::unique_lock lock(m_messageMutex);
        if (!m_propertyPage.empty() && (key == ViewerKey::Escape || key == ViewerKey::Enter || key == ViewerKey::P)) {
            m_propertyPage.clear(); // closes the property page
            lock.unlock();
            m_face.viewChanged();
            return;
        }
    }
    const ViewerCommand what = CommandForKey(key, digit, m_fullScreen);
    if (what == ViewerCommand::Select) return select(key);
    // Enter on a selected camera, with the grid shown, shows it alone.
    if (key == ViewerKey::Enter && m_selected >= 0 && m_alone < 0) {
        m_log.write("\"key\":\"Return\",\"command\":\"alone\",\"camera\":" + std::to_string(m_selected));
        showAlone(m_selected);
        m_face.viewChanged();
        return;
    }
    if (what == ViewerCommand::Reload) return reload(key);
    if (what != ViewerCommand::None) command(what, KeyName(key, digit), digit);
}

void ViewerShell::select(ViewerKey key)
{
    if (!m_host || m_host->count() == 0) return;
    const std::size_t n = m_host->count();
    m_selected = SelectionAfterKey(key, m_selected, n, GridColumns(n));
    m_log.write("\"key\":\"" + KeyName(key, 0) + "\",\"command\":\"select\",\"camera\":" + std::to_string(m_selected));
    m_face.viewChanged();
}

void ViewerShell::showAlone(int camera)
{
    if (camera == m_alone || !m_host) return;
    const int before = m_alone;
    m_alone = camera;
    if (!m_options.hiddenStreamsStop || !m_reconnect || m_stopped) return;
    // Streams only where someone looks: the cameras hidden behind the one
    // shown alone are stopped, and made again when they are shown.
    const std::size_t n = m_host->count();
    for (std::size_t i = 0; i < n; ++i) {
        const bool wasShown = before < 0 || static_cast<std::size_t>(before) == i;
        const bool shown = camera < 0 || static_cast<std::size_t>(camera) == i;
        if (wasShown && !shown) {
            m_reconnect->stop(i);
            m_host->stop(i);
            m_log.write("\"camera\":" + std::to_string(i) + ",\"hidden\":\"stopped\"");
        } else if (!wasShown && shown) {
            m_reconnect->resume(i);
            if (drew(i)) m_face.keepLastPicture(i);
            m_host->reload(i);
            m_log.write("\"camera\":" + std::to_string(i) + ",\"hidden\":\"made again\"");
        }
    }
}

void ViewerShell::editWall(ViewerCommand what)
{
    if (!m_host || !m_options.params.empty()) return;
    // The address the target camera came from (a page's cameras go together).
    const int camera = target();
    const int source = camera >= 0 ? m_host->cameraSource(static_cast<std::size_t>(camera)) : -1;
    const bool onSource = source >= 0 && static_cast<std::size_t>(source) < m_sources.size();
    std::vector<PageSource> sources = m_sources;
    switch (what) {
    case ViewerCommand::AddCamera: {
        const std::string typed = m_face.askAddress(RecentAddresses(RecentAddressesFile()).list(), "add a camera to the wall");
        const ViewerAddress address = ReadViewerAddress(typed);
        if (address.url.empty()) return;
        sources.push_back(WallSource({"", address.url, ""}));
        if (!address.user.empty()) m_given.push_back({address.url, address.user}); // used, never saved
        break;
    }
    case ViewerCommand::RemoveCamera:
        if (!onSource || sources.size() < 2) return notice("select a camera of the wall first (Tab), and keep one");
        sources.erase(sources.begin() + source);
        break;
    case ViewerCommand::RenameCamera: {
        if (!onSource) return notice("select a camera of the wall first (Tab)");
        const std::string old = m_host->cameraName(static_cast<std::size_t>(camera));
        const std::string name = TrimmedText(m_face.askText("the new name of " + (old.empty() ? "the camera" : old), old));
        if (name.empty()) return;
        sources[static_cast<std::size_t>(source)].name = name;
        break;
    }
    case ViewerCommand::MoveEarlier:
    case ViewerCommand::MoveLater: {
        const int to = source + (what == ViewerCommand::MoveEarlier ? -1 : 1);
        if (!onSource || to < 0 || static_cast<std::size_t>(to) >= sources.size()) return;
        std::swap(sources[static_cast<std::size_t>(source)], sources[static_cast<std::size_t>(to)]);
        break;
    }
    default: return;
    }
    // Saved as it changes; a wall started from addresses becomes one.
    if (m_wallName.empty()) m_wallName = kUnnamedWall;
    std::vector<WallCamera> cameras;
    for (const PageSource& s : sources) cameras.push_back({s.name, s.url, s.user});
    std::string why;
    if (!SaveWall(m_wallName, cameras, why)) return notice(why);
    m_sources = std::move(sources);
    m_rebuild = true;
    m_selected = -1;
}

void ViewerShell::reload(ViewerKey key)
{
    // Enter on a camera whose password was cancelled (or, on none, the
    // first such camera) asks it again, and only it.
    const int camera = target();
    if (key == ViewerKey::Enter && m_reconnect && m_reconnect->retryPassword(camera)) {
        m_log.write("\"key\":\"Return\",\"command\":\"password\",\"camera\":" + std::to_string(camera));
        m_face.viewChanged();
        return;
    }
    command(ViewerCommand::Reload, KeyName(key, 0));
}

void ViewerShell::command(ViewerCommand what, const std::string& via, char digit)
{
    if (what == ViewerCommand::None) return;
    VE_TRACE(viewer, "(%s, via %s, target %d)", CommandName(what), traceText(via).c_str(), m_host ? target() : -1);
    const bool targeted = what == ViewerCommand::Snapshot || what == ViewerCommand::Record ||
                          what == ViewerCommand::Properties || what == ViewerCommand::Reload ||
                          what == ViewerCommand::RemoveCamera || what == ViewerCommand::RenameCamera ||
                          what == ViewerCommand::MoveEarlier || what == ViewerCommand::MoveLater;
    std::string line = "\"key\":\"" + EventLog::Escape(via) + "\",\"command\":\"" + CommandName(what) + "\"";
    if (targeted) line += ",\"camera\":" + std::to_string(target());
    if (what == ViewerCommand::Alone) line += ",\"camera\":" + std::to_string(digit - '1');
    m_log.write(line);
    switch (what) {
    case ViewerCommand::ShowKeys: m_keysShown = true; break;
    case ViewerCommand::Alone:
    case ViewerCommand::All:
        if (m_host) showAlone(AloneAfterKey(digit, m_host->count(), m_alone));
        break;
    case ViewerCommand::Snapshot: snapshot(); break;
    case ViewerCommand::Record:
        if (m_host) {
            const std::string said = m_recorder.toggle(*m_host, target(), VideosFolder());
            if (!said.empty()) notice(said);
            else if (m_recorder.recording()) std::fprintf(stderr, "camview: %s\n", m_recorder.status().c_str());
        }
        break;
    case ViewerCommand::Properties:
        if (m_host && m_host->count() > 0) m_host->showProperties(static_cast<std::size_t>(std::max(0, target())));
        break;
    case ViewerCommand::Stop: stop(); break;
    case ViewerCommand::Reload:
        // As a browser's Reload: the camera shown alone or under the
        // pointer, else every camera, made again from the page, Stop undone.
        if (m_host && m_reconnect) {
            for (const std::size_t i : m_reconnect->reload(target(), m_host->count())) {
                m_face.forgetLastPicture(i);
                m_host->reload(i);
            }
        }
        break;
    case ViewerCommand::FullScreen:
        m_fullScreen = !m_fullScreen;
        m_face.setFullScreen(m_fullScreen);
        break;
    case ViewerCommand::Quit: m_running = false; break;
    case ViewerCommand::AddCamera:
    case ViewerCommand::RemoveCamera:
    case ViewerCommand::RenameCamera:
    case ViewerCommand::MoveEarlier:
    case ViewerCommand::MoveLater: editWall(what); break;
    case ViewerCommand::Select:
    case ViewerCommand::None: break;
    }
    m_face.viewChanged();
}

void ViewerShell::snapshot()
{
    if (!m_host || m_host->count() == 0) return;
    // The camera shown alone or under the pointer, else each camera.
    const int one = target();
    std::vector<std::size_t> cameras;
    for (std::size_t i = 0; i < m_host->count(); ++i)
        if (one < 0 || static_cast<std::size_t>(one) == i) cameras.push_back(i);
    const std::string folder = PicturesFolder();
    const std::vector<std::string> written = m_face.writeSnapshots(cameras, folder);
    for (const std::string& path : written) std::fprintf(stderr, "camview: snapshot saved to %s\n", path.c_str());
    m_notice = SnapshotNotice(written, cameras.size(), folder);
    m_noticeUntil = std::chrono::steady_clock::now() + kNoticeTime;
    if (written.size() < cameras.size()) std::fprintf(stderr, "camview: %s\n", m_notice.c_str());
}

double ViewerShell::frameRate(std::size_t camera)
{
    return camera < m_rates.size() ? m_rates.rate(camera, std::chrono::steady_clock::now()) : 0.0;
}

bool ViewerShell::recording(std::size_t camera) const
{
    return m_recorder.recording(camera);
}

void ViewerShell::stopCamera(std::size_t camera)
{
    if (!m_host || camera >= m_host->count()) return;
    if (m_reconnect) m_reconnect->stop(camera);
    m_host->stop(camera);
    m_log.write("\"camera\":" + std::to_string(camera) + ",\"stopped\":true");
}

void ViewerShell::stop()
{
    if (!m_host) return;
    if (m_reconnect) m_reconnect->stop(); // stopped by the user: no camera is made again
    if (m_recorder.recording()) notice(m_recorder.stopText());
    m_host->stop();
    m_stopped = true;
}
