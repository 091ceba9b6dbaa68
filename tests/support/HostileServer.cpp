#include "tests/support/HostileServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

HostileServer::HostileServer(std::vector<Route> routes) : m_routes(std::move(routes))
{
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(m_listener, 64) != 0 || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&a), &length) != 0)
        return;
    m_port = ntohs(a.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

HostileServer::~HostileServer()
{
    m_stop.store(true, std::memory_order_release);
    if (m_listener >= 0) ::shutdown(m_listener, SHUT_RDWR);
    if (m_acceptor.joinable()) m_acceptor.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard lock(m_mutex);
        for (int fd : m_fds) ::shutdown(fd, SHUT_RDWR);
        connections.swap(m_connections);
    }
    for (auto& t : connections) t.join();
    if (m_listener >= 0) ::close(m_listener);
}

std::string HostileServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<std::string> HostileServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

bool HostileServer::sawCredentials() const
{
    for (const std::string& head : requests()) {
        std::string lower = head;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        if (lower.find("\nauthorization:") != std::string::npos) return true;
    }
    return false;
}

std::string HostileServer::Ok(const std::string& body, const std::string& type)
{
    return "HTTP/1.0 200 OK\r\nContent-Type: " + type + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n\r\n" + body;
}

std::string HostileServer::ViewerPage(int count, const std::vector<std::pair<std::string, std::string>>& params)
{
    std::string object = "<object classid=\"clsid:4D8D78A3-35E9-499D-8771-4ADA8876B786\" width=\"160\" height=\"120\">\n";
    for (const auto& [name, value] : params) object += "<param name=\"" + name + "\" value=\"" + value + "\">\n";
    object += "</object>\n";
    std::string page = "<html><head><title>Camera</title></head><body>\n";
    for (int i = 0; i < count; ++i) page += object;
    return page + "</body></html>\n";
}

void HostileServer::acceptLoop()
{
    while (!m_stop.load(std::memory_order_acquire)) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (m_stop.load(std::memory_order_acquire)) return;
            continue;
        }
        std::lock_guard lock(m_mutex);
        m_fds.push_back(fd);
        m_connections.emplace_back([this, fd] { serve(fd); });
    }
}

bool HostileServer::pause(std::chrono::milliseconds time)
{
    const auto until = std::chrono::steady_clock::now() + time;
    while (!m_stop.load(std::memory_order_acquire)) {
        const auto left = until - std::chrono::steady_clock::now();
        if (left <= std::chrono::milliseconds(0)) return true;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(20)));
    }
    return false;
}

bool HostileServer::sendAll(int fd, const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void HostileServer::serve(int fd)
{
    // The request head: up to the empty line, 64 KiB at most.
    std::string head;
    char chunk[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.find("\n\n") == std::string::npos && head.size() < 65536) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n <= 0) break;
        head.append(chunk, static_cast<size_t>(n));
    }
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(head);
    }
    const size_t space = head.find(' ');
    const std::string target = space == std::string::npos ? "" : head.substr(space + 1, head.find(' ', space + 1) - space - 1);
    const Route* route = nullptr;
    for (const Route& r : m_routes) {
        if (target.compare(0, r.prefix.size(), r.prefix) == 0) {
            route = &r;
            break;
        }
    }
    if (!route) {
        sendAll(fd, "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    } else {
        switch (route->behaviour) {
        case Behaviour::Answer: sendAll(fd, route->answer); break;
        case Behaviour::Trickle:
            for (char c : route->answer)
                if (!sendAll(fd, std::string(1, c)) || !pause(route->pause)) break;
            break;
        case Behaviour::EndlessHead:
            if (sendAll(fd, "HTTP/1.0 200 OK\r\n")) {
                const std::string line = "X-Padding: " + std::string(1000, 'a') + "\r\n";
                while (!m_stop.load(std::memory_order_acquire) && sendAll(fd, line)) {}
            }
            break;
        case Behaviour::Silent:
            while (!m_stop.load(std::memory_order_acquire)) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 50) > 0 && ::recv(fd, chunk, sizeof chunk, 0) <= 0) break;
            }
            break;
        case Behaviour::AskPassword:
            sendAll(fd, "HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"camera\"\r\n"
                        "Content-Type: text/html\r\nContent-Length: 13\r\n\r\nunauthorised\n");
            break;
        }
    }
    std::lock_guard lock(m_mutex);
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
    m_fds.erase(std::remove(m_fds.begin(), m_fds.end(), fd), m_fds.end());
}
