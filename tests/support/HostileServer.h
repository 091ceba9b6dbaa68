// A server on loopback that misbehaves on purpose, as a hostile page or a
// failing camera would: it trickles its answers, sends a response head that
// never ends, says nothing at all, or asks every request for a password.
// It records the head of every request it gets, so a test can tell what
// the viewer gave away (an Authorization line sent where it should not be).
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HostileServer {
public:
    enum class Behaviour {
        Answer,       // sends `answer` whole (a response head and body)
        Trickle,      // sends `answer` one byte every `pause`
        EndlessHead,  // a status line, then header lines for as long as the client reads
        Silent,       // reads the request and never answers
        AskPassword,  // 401 with a Basic challenge, whatever the request carries
    };

    struct Route {
        std::string prefix; // the request target starts with it ("" matches every target)
        Behaviour behaviour = Behaviour::Answer;
        std::string answer; // for Answer and Trickle
        std::chrono::milliseconds pause{1000};
    };

    // Serves `routes` (the first whose prefix matches) on a port of the
    // system's choosing; a target no route matches gets a 404.
    explicit HostileServer(std::vector<Route> routes);
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:PORT" followed by `path`.
    std::string url(const std::string& path) const;
    // The head of every request received so far (request line and header
    // lines, as sent), in order of arrival.
    std::vector<std::string> requests() const;
    // Whether any request carried an Authorization line.
    bool sawCredentials() const;

    // A complete HTTP/1.0 answer with `body`.
    static std::string Ok(const std::string& body, const std::string& type = "text/html");
    // A viewer page with `count` OBJECTs of the camera's control, each with
    // these PARAMs (name, value).
    static std::string ViewerPage(int count, const std::vector<std::pair<std::string, std::string>>& params);

private:
    void acceptLoop();
    void serve(int fd);
    bool sendAll(int fd, const std::string& bytes);
    bool pause(std::chrono::milliseconds time);

    std::vector<Route> m_routes;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_acceptor;
    mutable std::mutex m_mutex;
    std::vector<std::thread> m_connections;
    std::vector<int> m_fds;
    std::vector<std::string> m_requests;
};
