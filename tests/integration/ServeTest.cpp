// camview serve against camsim, read by plain HTTP clients: what many
// watchers get at once, what a hostile request gets, and a clean stop.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "tests/support/PngFile.h"
#include "Processes.h"
#include "Viewer.h"

namespace {

using namespace std::chrono_literals;

int connectTo(int port)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(0x7F000001);
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(s);
        return -1;
    }
    return s;
}

// Sends `request` as it is and reads the answer until it ends, `limit`
// bytes, or `wait` passes.
std::string exchange(int port, const std::string& request, std::size_t limit = 1 << 20,
                     std::chrono::milliseconds wait = 3000ms)
{
    const int s = connectTo(port);
    if (s < 0) return {};
    send(s, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer;
    const auto end = std::chrono::steady_clock::now() + wait;
    char buffer[65536];
    while (answer.size() < limit && std::chrono::steady_clock::now() < end) {
        pollfd p{s, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        const ssize_t n = recv(s, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    close(s);
    return answer;
}

int statusOf(const std::string& answer)
{
    return answer.compare(0, 9, "HTTP/1.1 ") == 0 || answer.compare(0, 9, "HTTP/1.0 ") == 0 ? std::atoi(answer.c_str() + 9) : -1;
}

std::size_t count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

std::string field(const std::string& json, const std::string& name)
{
    const auto at = json.find("\"" + name + "\":");
    if (at == std::string::npos) return {};
    auto from = at + name.size() + 3;
    if (json[from] == '"') ++from;
    return json.substr(from, json.find_first_of("\",}", from) - from);
}

long residentKb(int pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// `camview serve` on a free loopback port, with its own registry and home.
class Service {
public:
    explicit Service(const std::vector<std::string>& arguments) : m_port(FreePort())
    {
        m_home = TempRegistry() + "-home";
        std::filesystem::create_directories(m_home);
        std::vector<std::string> argv = {"env", "VE_REGISTRY=" + m_home + "/registry", "HOME=" + m_home,
                                         "XDG_CONFIG_HOME=" + m_home + "/config", "XDG_DATA_HOME=" + m_home + "/data",
                                         VE_CAMVIEW_PATH, "serve"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        argv.insert(argv.end(), {"--listen", "127.0.0.1:" + std::to_string(m_port)});
        if (const std::string wine = WindowsViewerCommand(); !wine.empty()) {
            // camview.exe under Wine: the same arguments, through the shell.
            std::string command = "exec env " + wine + " serve";
            for (std::size_t i = 7; i < argv.size(); ++i) command += " '" + argv[i] + "'";
            argv = {"sh", "-c", command};
        }
        m_process = std::make_unique<ChildProcess>(argv, m_home + "/out");
    }
    int port() const { return m_port; }
    ChildProcess& process() { return *m_process; }
    const std::string& home() const { return m_home; }
    std::string printed() const
    {
        std::ifstream in(m_home + "/out");
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    // The cameras' list once the first camera draws.
    std::string ready()
    {
        std::string cameras;
        Eventually([&] {
            const std::string answer = exchange(m_port, "GET /cameras HTTP/1.0\r\n\r\n");
            cameras = answer.substr(std::min(answer.size(), answer.find("\r\n\r\n") + 4));
            return field(cameras, "fps") != "" && field(cameras, "fps") != "0.0";
        }, 15s);
        return cameras;
    }

private:
    int m_port;
    std::string m_home;
    std::unique_ptr<ChildProcess> m_process;
};

// Reads a multipart stream for `seconds`, counting its parts.
struct Watcher {
    Watcher(int port, const std::string& target, std::chrono::milliseconds length)
        : thread([this, port, target, length] {
              text = exchange(port, "GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n", 64 << 20, length);
          })
    {
    }
    std::size_t parts()
    {
        if (thread.joinable()) thread.join();
        return count(text, "--camviewframe\r\nContent-Type: image/jpeg\r\nContent-Length: ");
    }
    std::string text;
    std::thread thread;
};

} // namespace

TEST(Serve, ManyWatchersShareOneCameraConnectionAndAStalledOneHoldsNoOneBack)
{
    Camsim cam({"--fps", "20"});
    Service service({cam.url("/ImageViewer")});
    const std::string cameras = service.ready();
    ASSERT_EQ(field(cameras, "width"), "320") << cameras << service.printed();

    // A watcher that reads one part, then nothing for 10 s.
    const int stalled = connectTo(service.port());
    const std::string get = "GET /cameras/0/live.mjpeg HTTP/1.1\r\nHost: x\r\n\r\n";
    send(stalled, get.data(), get.size(), MSG_NOSIGNAL);
    const long before = residentKb(service.process().pid());

    std::vector<std::unique_ptr<Watcher>> watchers;
    for (int i = 0; i < 10; ++i) watchers.push_back(std::make_unique<Watcher>(service.port(), "/cameras/0/live.mjpeg", 10s));
    for (int i = 0; i < 2; ++i) watchers.push_back(std::make_unique<Watcher>(service.port(), "/cameras/0/stream.mjpeg", 10s));
    std::string probed;
    if (std::system("command -v ffprobe >/dev/null") == 0) {
        const std::string cmd = "timeout 20 ffprobe -v error -f mpjpeg -show_entries stream=codec_name,width,height -of csv=p=0 "
                                "http://127.0.0.1:" + std::to_string(service.port()) + "/cameras/0/stream.mjpeg 2>&1";
        if (FILE* p = popen(cmd.c_str(), "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, p)) probed += line;
            pclose(p);
        }
    }
    for (auto& w : watchers) {
        // 20 pictures a second for 10 s: every watcher gets most of them.
        EXPECT_GT(w->parts(), 100u) << w->text.substr(0, 300);
    }
    const long after = residentKb(service.process().pid());
    close(stalled);
    if (!probed.empty()) {
        EXPECT_NE(probed.find("mjpeg,320,240"), std::string::npos) << probed;
    }
    // The camera sees one stream however many read it.
    EXPECT_EQ(cam.requests("nphContinuousServerPush").size(), 1u);
    // What a watcher holds is one picture: ten of them and a stalled one do
    // not make memory grow with time.
#ifndef __SANITIZE_ADDRESS__ // AddressSanitizer keeps freed memory in quarantine
    EXPECT_LT(after - before, 40 * 1024) << before << " kB before, " << after << " kB after";
#else
    (void)before;
    (void)after;
#endif
    EXPECT_EQ(watchers[10]->text.find("Content-Type: multipart/x-mixed-replace; boundary=camviewframe") != std::string::npos, true);
}

TEST(Serve, HostileRequestsGetClearAnswersAndChangeNothing)
{
    Camsim cam({"--fps", "10", "--param", "ClickAndCenter=Real"});
    Service service({cam.url("/ImageViewer")});
    const std::string cameras = service.ready();
    const std::string token = field(cameras, "token");
    ASSERT_EQ(token.size(), 64u) << cameras << service.printed();
    const std::string big(40000, 'a');
    struct Case {
        const char* what;
        std::string request;
        int status;
    } cases[] = {
        {"a path up and out", "GET /cameras/0/../../../etc/passwd HTTP/1.1\r\nHost: x\r\n\r\n", 404},
        {"an encoded way out", "GET /%2e%2e/%2e%2e/etc/passwd HTTP/1.1\r\nHost: x\r\n\r\n", 404},
        {"no such camera", "GET /cameras/7/live.mjpeg HTTP/1.1\r\nHost: x\r\n\r\n", 404},
        {"a camera that is no number", "GET /cameras/-1/frame.jpg HTTP/1.1\r\nHost: x\r\n\r\n", 404},
        {"a huge camera number", "GET /cameras/99999999999999999999/frame.jpg HTTP/1.1\r\nHost: x\r\n\r\n", 404},
        {"a cursor's name going up", "GET /cursors/..%2f..%2fetc.png HTTP/1.1\r\nHost: x\r\n\r\n", 404},
        {"another method", "PUT / HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n", 405},
        {"an operation read", "GET /cameras/0/pointer?type=down&x=1&y=1&w=2&h=2 HTTP/1.1\r\nHost: x\r\n\r\n", 405},
        {"an operation without the token", "POST /cameras/0/pointer?type=down&x=1&y=1&w=2&h=2 HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n", 403},
        {"an operation with another token",
         "POST /cameras/0/command?name=stop HTTP/1.1\r\nHost: x\r\nX-Camview-Token: " + std::string(64, '0') + "\r\nContent-Length: 0\r\n\r\n", 403},
        {"an unknown pointer action",
         "POST /cameras/0/pointer?type=drag&x=1&y=1&w=2&h=2 HTTP/1.1\r\nHost: x\r\nX-Camview-Token: " + token + "\r\nContent-Length: 0\r\n\r\n", 400},
        {"a point that is no number",
         "POST /cameras/0/pointer?type=down&x=1e9&y=1&w=2&h=2 HTTP/1.1\r\nHost: x\r\nX-Camview-Token: " + token + "\r\nContent-Length: 0\r\n\r\n", 400},
        {"a picture of no size",
         "POST /cameras/0/pointer?type=down&x=1&y=1&w=0&h=2 HTTP/1.1\r\nHost: x\r\nX-Camview-Token: " + token + "\r\nContent-Length: 0\r\n\r\n", 400},
        {"an unknown command",
         "POST /cameras/0/command?name=shutdown HTTP/1.1\r\nHost: x\r\nX-Camview-Token: " + token + "\r\nContent-Length: 0\r\n\r\n", 400},
        {"a body too large", "POST /login HTTP/1.1\r\nHost: x\r\nContent-Length: 100000\r\n\r\n" + std::string(1000, 'x'), 413},
        {"a head too large", "GET / HTTP/1.1\r\nHost: x\r\nX-Big: " + big + "\r\n\r\n", 431},
        {"no login here", "GET /login HTTP/1.1\r\nHost: x\r\n\r\n", 302},
        {"not HTTP", "HELLO\r\n\r\n", 0},
    };
    for (Case& c : cases) {
        const auto host = c.request.find("Host: x\r\n");
        if (host != std::string::npos) c.request.insert(host + 9, "Connection: close\r\n");
        const std::string answer = exchange(service.port(), c.request, 4096, 3000ms);
        const int status = statusOf(answer);
        // What is not HTTP is answered 400 or not at all.
        if (c.status == 0) {
            EXPECT_TRUE(status == 400 || answer.empty()) << c.what << ": " << answer.substr(0, 200);
            continue;
        }
        // libmicrohttpd may answer a head it will not read with 413 or 431.
        if (c.status == 431) {
            EXPECT_TRUE(status == 431 || status == 413 || status == 400) << c.what << ": " << answer.substr(0, 200);
        } else {
            EXPECT_EQ(status, c.status) << c.what << ": " << answer.substr(0, 200);
        }
    }
    // Nothing reached the camera, and the service still serves its picture.
    EXPECT_TRUE(cam.requests("NewPosition").empty());
    const std::string frame = exchange(service.port(), "GET /cameras/0/frame.jpg HTTP/1.0\r\n\r\n");
    EXPECT_EQ(statusOf(frame), 200);
    EXPECT_NE(frame.find("\xFF\xD8"), std::string::npos);

    // An operation with the token: the click reaches the camera at the
    // point the window would send for the same pixel of the picture.
    for (const char* type : {"move", "down", "up"}) {
        const std::string answer = exchange(service.port(),
                                            std::string("POST /cameras/0/pointer?type=") + type +
                                                "&button=left&x=200&y=120&w=640&h=480 HTTP/1.1\r\nHost: x\r\nX-Camview-Token: " +
                                                token + "\r\nContent-Length: 0\r\n\r\n");
        EXPECT_EQ(statusOf(answer), 204) << answer;
    }
    EXPECT_TRUE(Eventually([&] { return !cam.requests("NewPosition.x=100&NewPosition.y=60").empty(); }));

    // A part of the painted picture's stream is a whole JPEG of the size
    // the list gives.
    const std::string live = exchange(service.port(), "GET /cameras/0/live.mjpeg HTTP/1.0\r\n\r\n", 1 << 20, 5000ms);
    const std::string head = "--camviewframe\r\nContent-Type: image/jpeg\r\nContent-Length: ";
    const auto part = live.find(head);
    ASSERT_NE(part, std::string::npos) << live.substr(0, 300);
    const std::size_t length = std::strtoul(live.c_str() + part + head.size(), nullptr, 10);
    const auto body = live.find("\r\n\r\n", part) + 4;
    ASSERT_LE(body + length, live.size()) << length;
    const RgbPicture picture = DecodeJpeg(std::vector<std::uint8_t>(live.begin() + body, live.begin() + body + length));
    EXPECT_EQ(std::to_string(picture.width) + "x" + std::to_string(picture.height),
              field(cameras, "width") + "x" + field(cameras, "height"));

    // Asked to stop, it stops cleanly: Ctrl-C, or on Windows a plain
    // taskkill, which closes its window.
    if (!WindowsViewer().empty()) {
        EXPECT_EQ(RunWine("taskkill /im camview.exe"), 0);
    }
    EXPECT_EQ(service.process().terminate(10s, WindowsViewer().empty() ? SIGINT : 0), 0) << service.printed();
}

// What the service cannot serve safely it refuses before listening, saying
// why: other machines without TLS, and on Windows (no TLS there) any
// certificate or other address at all, and logins.
TEST(Serve, RefusesWhatItCannotServeSafelySayingWhy)
{
    const bool windows = !WindowsViewer().empty();
    const std::string port = std::to_string(FreePort());
    const struct {
        std::string arguments;
        const char* onLinux;   // what the Linux service says, or null: no refusal there
        const char* onWindows; // what camview.exe says
    } cases[] = {
        {"--listen 0.0.0.0:" + port, "give --cert and --key", "has no TLS"},
        {"--listen [::]:" + port, "give --cert and --key", "has no TLS"},
        {"--listen 127.0.0.1:" + port + " --cert /nonexistent.pem --key /nonexistent.pem", "cannot read the certificate",
         "has no TLS"},
        {"--listen 127.0.0.1:99999", "--listen takes HOST:PORT", "--listen takes HOST:PORT"},
        {"--add-user anna --users /nonexistent/users", nullptr, "logins (--add-user) are camview serve's on Linux"},
    };
    for (const auto& c : cases) {
        const char* expected = windows ? c.onWindows : c.onLinux;
        if (!expected) continue;
        const ViewerRun run = RunCamview("serve http://127.0.0.1:1/ " + c.arguments, TempRegistry());
        EXPECT_EQ(run.exitCode, 2) << c.arguments << ": " << run.output;
        EXPECT_NE(run.output.find(expected), std::string::npos) << c.arguments << ": " << run.output;
    }
}

TEST(Serve, StopsCleanlyOnSigtermWithItsRecordingClosed)
{
    Camsim cam({"--fps", "15"});
    const std::string file = TempRegistry() + ".mkv";
    Service service({cam.url("/ImageViewer"), "--record", file});
    service.ready();
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(service.process().terminate(10s), 0) << service.printed();
    EXPECT_NE(service.printed().find(".mkv"), std::string::npos) << service.printed();
    std::ifstream recorded(file, std::ios::binary | std::ios::ate);
    EXPECT_GT(static_cast<long>(recorded.tellg()), 10000L);
}

namespace {

std::string shell(const std::string& command)
{
    std::string out;
    if (FILE* p = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

} // namespace

// Off loopback: TLS and a login, enforced; without either it does not start.
TEST(Serve, OtherMachinesNeedTlsAndALogin)
{
    const std::string dir = TempRegistry() + "-tls";
    std::filesystem::create_directories(dir);
    const std::string users = dir + "/users";
    const std::string other = "0.0.0.0:" + std::to_string(FreePort());
    const ViewerRun noTls = RunCamview("serve http://127.0.0.1:1/ --listen " + other, TempRegistry());
    EXPECT_EQ(noTls.exitCode, 2);
    EXPECT_NE(noTls.output.find("give --cert and --key"), std::string::npos) << noTls.output;
    ASSERT_NE(shell("openssl req -x509 -newkey rsa:2048 -nodes -keyout " + dir + "/key.pem -out " + dir +
                    "/cert.pem -days 1 -subj /CN=localhost 2>/dev/null && echo made"),
              "") << "openssl";
    const std::string tls = " --cert " + dir + "/cert.pem --key " + dir + "/key.pem --users " + users;
    const ViewerRun noUsers = RunCamview("serve http://127.0.0.1:1/ --listen " + other + tls, TempRegistry());
    EXPECT_EQ(noUsers.exitCode, 2);
    EXPECT_NE(noUsers.output.find("add a user first"), std::string::npos) << noUsers.output;
    // The password from standard input, as a script gives it.
    EXPECT_NE(shell("echo 'correct horse' | VE_REGISTRY=" + dir + "/reg " + VE_CAMVIEW_PATH + " serve --add-user anna --users " + users),
              "");
    EXPECT_EQ(std::filesystem::status(users).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    Camsim cam({"--fps", "10"});
    const int port = FreePort();
    ChildProcess service({"env", "VE_REGISTRY=" + dir + "/reg", "HOME=" + dir, VE_CAMVIEW_PATH, "serve", cam.url("/ImageViewer"),
                          "--listen", "0.0.0.0:" + std::to_string(port), "--cert", dir + "/cert.pem", "--key",
                          dir + "/key.pem", "--users", users},
                         dir + "/out");
    const std::string base = "https://127.0.0.1:" + std::to_string(port);
    const std::string curl = "curl -sk -o /dev/null --max-time 10 -w '%{http_code}' -b " + dir + "/jar -c " + dir + "/jar ";
    ASSERT_TRUE(Eventually([&] { return shell(curl + base + "/login") == "200"; }, 15s)) << shell("cat " + dir + "/out");
    struct Step {
        const char* what;
        std::string arguments;
        std::string status;
    } steps[] = {
        {"the page before a login", base + "/", "303"},
        {"the list before a login", base + "/cameras", "401"},
        {"a stream before a login", base + "/cameras/0/stream.mjpeg", "401"},
        {"a wrong password", "-d 'user=anna&password=wrong+horse' " + base + "/login", "401"},
        {"an unknown user", "-d 'user=bob&password=correct+horse' " + base + "/login", "401"},
        {"the right password", "-d 'user=anna&password=correct+horse' " + base + "/login", "303"},
        {"the page after it", base + "/", "200"},
        {"an operation without the token", "-X POST '" + base + "/cameras/0/command?name=reload'", "403"},
        {"plain HTTP", "http://127.0.0.1:" + std::to_string(port) + "/", "000"},
    };
    for (const Step& step : steps) EXPECT_EQ(shell(curl + step.arguments), step.status) << step.what;
    // The camera's picture, once it has sent one.
    EXPECT_TRUE(Eventually([&] { return shell(curl + base + "/cameras/0/snapshot.jpg") == "200"; }));
    const std::string jar = shell("cat " + dir + "/jar");
    EXPECT_NE(jar.find("#HttpOnly_127.0.0.1"), std::string::npos) << jar;
    // The session's token, from the list, lets the operation through.
    const std::string list = shell("curl -sk --max-time 10 -b " + dir + "/jar " + base + "/cameras");
    EXPECT_EQ(shell(curl + "-X POST -H 'X-Camview-Token: " + field(list, "token") + "' '" + base +
                    "/cameras/0/command?name=reload'"),
              "204")
        << list;
    // A flood of wrong passwords from one address is slowed.
    std::string statuses;
    for (int i = 0; i < 5; ++i) statuses += shell(curl + "-d 'user=anna&password=guess" + std::to_string(i) + "' " + base + "/login") + " ";
    EXPECT_NE(statuses.find("429"), std::string::npos) << statuses;
    EXPECT_EQ(service.terminate(10s), 0);
}
