// Programs the integration tests start on loopback: camsim and tinyproxy.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A child process, ended (SIGTERM, then SIGKILL) when the object goes.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& stdoutFile);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    bool running() const;
    int pid() const { return m_pid; }
    // Sends `signal` (SIGTERM, SIGINT for Ctrl-C, 0 for none: it was asked
    // otherwise) and waits at most `limit` for the exit; the exit status, or
    // -1 (then killed) when it did not end in time or ended by a signal.
    int terminate(std::chrono::milliseconds limit, int signal = SIGTERM);

private:
    int m_pid = -1;
};

// camsim on a port of its choosing; its request log is read back as lines.
class Camsim {
public:
    explicit Camsim(const std::vector<std::string>& options = {});
    int port() const { return m_port; }
    std::string url(const std::string& path) const;
    std::vector<std::string> log() const;
    // Log lines whose target contains `part`.
    std::vector<std::string> requests(const std::string& part) const;
    // What camsim printed.
    std::string printed() const;

private:
    std::string m_dir;
    std::string m_logFile;
    std::string m_outFile;
    int m_port = 0;
    ChildProcess* m_process = nullptr;

public:
    ~Camsim();
};

// tinyproxy on a free port, forwarding to anywhere on loopback.
class Tinyproxy {
public:
    Tinyproxy();
    ~Tinyproxy();
    int port() const { return m_port; }
    bool ready() const { return m_ready; }

private:
    std::string m_dir;
    int m_port = 0;
    bool m_ready = false;
    ChildProcess* m_process = nullptr;
};

// A port on loopback that nothing listens on now (another program may take
// it later).
int FreePort();

// Polls `done` until it holds or the time is up; answers its last value.
bool Eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10));

// Runs `action` (destroying something whose threads may be blocked) and
// prints how long it took; a watchdog ends the test binary with a failure
// if it has not returned within 10 seconds.
void DestroyWithWatchdog(const std::function<void()>& action, const char* what);


