#include "tests/integration/Viewer.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/winsock/Winsock.h"

std::string TempRegistry()
{
    char pattern[] = "/tmp/ve-camview-XXXXXX";
    return std::string(mkdtemp(pattern)) + "/registry";
}

namespace {

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string environment(const char* name, const std::string& otherwise = {})
{
    const char* value = std::getenv(name);
    return value && *value ? value : otherwise;
}

// Wine, its prefix (the Windows build's, beside the viewer, as
// scripts/windows-tests uses it) and the environment a run needs: no
// debug output, no Mono or Gecko, the null display driver (no X server).
std::string wineCommand()
{
    const std::string viewer = WindowsViewer();
    const std::string prefix = environment("VE_WINEPREFIX", viewer.substr(0, viewer.rfind('/') + 1) + "wine");
    const std::string wine = environment("VE_WINE", "/usr/lib/wine/wine64");
    const std::string env = "WINEPREFIX=" + quoted(prefix) + " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' ";
    // Once per test program: the prefix's server kept for a while between
    // runs (a cold start takes seconds, which the runs' time limits would
    // count), and the null display driver set.
    static std::once_flag ready;
    std::call_once(ready, [&] {
        const std::string server = wine.substr(0, wine.rfind('/') + 1) + "wineserver";
        std::system((env + quoted(server) + " -p30 >/dev/null 2>&1").c_str());
        std::system((env + quoted(wine) + " reg add 'HKCU\\Software\\Wine\\Drivers' /v Graphics /d null /f >/dev/null 2>&1")
                        .c_str());
    });
    return env + quoted(wine) + " ";
}

// Absolute Linux paths in single quotes become Wine's Z: paths ("/tmp/x"
// is "Z:/tmp/x" there); addresses and everything else stay as written.
std::string windowsArguments(const std::string& arguments)
{
    std::string out;
    for (size_t i = 0; i < arguments.size(); ++i) {
        out += arguments[i];
        if (arguments[i] == '\'' && i + 1 < arguments.size() && arguments[i + 1] == '/') out += "Z:";
    }
    return out;
}

// Skips every test of a run that should drive the Windows viewer when
// there is none to drive.
class WindowsViewerCheck : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (std::getenv("VE_WINE_TESTS") && WindowsViewer().empty())
            GTEST_SKIP() << "the Windows viewer's tests run with VE_WINDOWS_VIEWER naming a built camview.exe "
                            "(scripts/windows-tests does when build-win64/camview.exe exists)";
    }
};
const auto* const g_windowsViewerCheck = ::testing::AddGlobalTestEnvironment(new WindowsViewerCheck);

} // namespace

std::string WindowsViewer()
{
    if (!std::getenv("VE_WINE_TESTS")) return {};
    const std::string viewer = environment("VE_WINDOWS_VIEWER");
    return !viewer.empty() && std::ifstream(viewer).good() ? viewer : std::string();
}

std::string WindowsViewerCommand()
{
    const std::string windows = WindowsViewer();
    return windows.empty() ? std::string() : wineCommand() + quoted(windows);
}

int RunWine(const std::string& arguments)
{
    const int status = std::system((wineCommand() + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ViewerRun RunCamview(const std::string& arguments, const std::string& registry, const std::string& proxy)
{
    const std::string out = registry + ".out";
    const std::string windows = WindowsViewer();
    std::string program = windows.empty() ? "VE_REGISTRY=" + quoted(registry) + " " + quoted(VE_CAMVIEW_PATH) + " " + arguments
                                                : wineCommand() + quoted(windows) + " " + windowsArguments(arguments);
    // A Windows viewer that hangs is ended after a minute (the tests' runs
    // last seconds), so that it fails its test instead of outliving it.
    if (!windows.empty()) program = "timeout -k 5 60 env " + program;
    const std::string cmd = "http_proxy=" + quoted(proxy) + " HTTP_PROXY= no_proxy= NO_PROXY= " + program + " > " + quoted(out) + " 2>&1";
    const int status = std::system(cmd.c_str());
    ViewerRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(out);
    std::stringstream s;
    s << in.rdbuf();
    run.output = s.str();
    return run;
}

bool RegistryHolds(const std::string& registry, const std::string& key)
{
    if (WindowsViewer().empty()) {
        std::ifstream reg(registry);
        std::stringstream text;
        text << reg.rdbuf();
        return text.str().find(key) != std::string::npos;
    }
    return std::system((wineCommand() + "reg query " + quoted("HKCR\\" + key) + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<std::string> LinesWith(const std::string& output, const std::string& part)
{
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        if (line.find(part) != std::string::npos) lines.push_back(line);
    return lines;
}

long TimeOf(const std::string& line)
{
    const auto at = line.find("\"t_ms\":");
    return at == std::string::npos ? -1 : std::atol(line.c_str() + at + 7);
}

std::string FetchBody(int port, const std::string& target)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(port));
    a.sin_addr.s_addr = htonl(0x7F000001);
    std::string answer;
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        const std::string request = "GET " + target + " HTTP/1.0\r\n\r\n";
        send(s, request.data(), static_cast<int>(request.size()), 0);
        char buffer[65536];
        for (int n; (n = recv(s, buffer, sizeof buffer, 0)) > 0 && answer.size() < (16u << 20);) answer.append(buffer, n);
    }
    closesocket(s);
    return answer;
}

std::vector<std::uint8_t> FetchFirstJpeg(int port, const std::string& target)
{
    const std::string answer = FetchBody(port, target);
    const auto start = answer.find("\xFF\xD8");
    const auto end = answer.find("\xFF\xD9", start == std::string::npos ? 0 : start);
    if (start == std::string::npos || end == std::string::npos) return {};
    return std::vector<std::uint8_t>(answer.begin() + static_cast<long>(start), answer.begin() + static_cast<long>(end) + 2);
}
