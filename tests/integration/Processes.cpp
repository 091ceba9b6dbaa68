#include "tests/integration/Processes.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "platform/winsock/Winsock.h"

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& stdoutFile)
{
    m_pid = fork();
    if (m_pid == 0) {
        const int out = open(stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
        }
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
}

ChildProcess::~ChildProcess()
{
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
}

int ChildProcess::terminate(std::chrono::milliseconds limit, int signal)
{
    if (m_pid <= 0) return -1;
    kill(m_pid, signal);
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (std::chrono::steady_clock::now() < end) {
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
    return -1;
}

bool ChildProcess::running() const { return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0; }

namespace {
std::string makeDir()
{
    char pattern[] = "/tmp/ve-integration-XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? dir : "/tmp";
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
} // namespace

Camsim::Camsim(const std::vector<std::string>& options) : m_dir(makeDir())
{
    m_logFile = m_dir + "/camsim.log";
    std::vector<std::string> argv = {VE_CAMSIM_PATH, "--log", m_logFile};
    argv.insert(argv.end(), options.begin(), options.end());
    const std::string out = m_dir + "/camsim.out";
    m_outFile = out;
    m_process = new ChildProcess(argv, out);
    for (int i = 0; i < 500 && m_port == 0; ++i) {
        const std::string text = readFile(out);
        const auto at = text.find("127.0.0.1:");
        if (at != std::string::npos) m_port = std::atoi(text.c_str() + at + 10);
        else std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

Camsim::~Camsim() { delete m_process; }

std::string Camsim::printed() const { return readFile(m_outFile); }

std::string Camsim::url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }

std::vector<std::string> Camsim::log() const
{
    std::vector<std::string> lines;
    std::istringstream in(readFile(m_logFile));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> Camsim::requests(const std::string& part) const
{
    std::vector<std::string> out;
    for (const auto& line : log())
        if (line.find(part) != std::string::npos) out.push_back(line);
    return out;
}

int FreePort()
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(0x7F000001);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    int length = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    closesocket(s);
    return ntohs(a.sin_port);
}

Tinyproxy::Tinyproxy() : m_dir(makeDir())
{
    m_port = FreePort();
    const std::string conf = m_dir + "/tinyproxy.conf";
    std::ofstream(conf) << "Port " << m_port << "\nListen 127.0.0.1\nTimeout 30\nAllow 127.0.0.1\n"
                        << "MaxClients 20\nLogLevel Info\nDisableViaHeader No\nViaProxyName \"tinyproxy\"\n";
    m_process = new ChildProcess({"tinyproxy", "-d", "-c", conf}, m_dir + "/tinyproxy.out");
    // Ready once it accepts connections.
    for (int i = 0; i < 300 && !m_ready; ++i) {
        SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<USHORT>(m_port));
        a.sin_addr.s_addr = htonl(0x7F000001);
        m_ready = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        closesocket(s);
        if (!m_ready) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

Tinyproxy::~Tinyproxy() { delete m_process; }

bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

void DestroyWithWatchdog(const std::function<void()>& action, const char* what)
{
    std::mutex m;
    std::condition_variable cv;
    bool finished = false;
    std::thread watchdog([&] {
        std::unique_lock lock(m);
        if (!cv.wait_for(lock, std::chrono::seconds(10), [&] { return finished; })) {
            std::fprintf(stderr, "destroying %s did not return within 10 s\n", what);
            std::abort();
        }
    });
    const auto start = std::chrono::steady_clock::now();
    action();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    {
        std::lock_guard lock(m);
        finished = true;
    }
    cv.notify_all();
    watchdog.join();
    std::printf("destroying %s took %lld ms\n", what, static_cast<long long>(took.count()));
}
