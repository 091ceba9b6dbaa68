// The service's HTTP server: libmicrohttpd, a thread per connection (a
// stream's connection waits for its next picture without holding up any
// other), over TLS when given a certificate, with limits on connections,
// header size and idle time.
#pragma once

#include <functional>
#include <string>

#include "host/core/serve/ServeRequest.h"

struct MHD_Daemon;

struct HttpServerSetup {
    std::string listen;        // HOST:PORT
    std::string certificatePem; // both PEM texts, or neither: plain HTTP
    std::string keyPem;
    unsigned connections = 256;     // at once, in all
    unsigned connectionsPerPeer = 64;
    unsigned idleSeconds = 15;      // a connection that sends or takes nothing for this long is closed
    std::size_t bodyLimit = 4096;   // a larger body is refused (413)
};

class HttpServer {
public:
    using Handler = std::function<ServeReply(const ServeRequest&)>;

    HttpServer() = default;
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Starts listening; false, saying why in `error`, when it cannot.
    bool start(const HttpServerSetup& setup, Handler handler, std::string& error);
    // Stops listening and waits for every connection's thread: the
    // handler's streams must have ended (their feeds closed) first.
    void stop();
    // The port listened on (the one given, or the one the system chose
    // for port 0).
    unsigned short port() const { return m_port; }
    // Whether this libmicrohttpd can serve TLS (the Windows build's is
    // built without it).
    static bool tlsAvailable();

private:
    MHD_Daemon* m_daemon = nullptr;
    Handler m_handler;
    std::size_t m_bodyLimit = 0;
    unsigned short m_port = 0;

    friend struct HttpServerCalls;
};
