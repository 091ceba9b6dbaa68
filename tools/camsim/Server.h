// camsim's HTTP server: routes a camera's pages, stream and programs.
#pragma once

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "tools/camsim/FrameLoop.h"
#include "tools/camsim/Options.h"
#include "tools/camsim/Scene.h"

struct MHD_Daemon;
struct MHD_Connection;

class CamsimServer {
public:
    explicit CamsimServer(CamsimOptions options);
    ~CamsimServer();
    // Starts listening on 127.0.0.1; false with a reason when it cannot.
    bool start(std::string& error);
    int port() const { return m_port; }
    void stop();

    // For the stream's body: the picture of one part, and its log line.
    std::vector<std::uint8_t> picture(int width, int height, long number, std::int64_t sendTimeUs);
    void logPart(long stream, long number, std::int64_t sendTimeUs, size_t bytes);
    // Who closed a held non-200 stream answer: "viewer" or "camera".
    void logClosed(const char* by);

private:
    friend struct CamsimHandlers;
    int handle(MHD_Connection* connection, const char* url, const char* method);
    void log(MHD_Connection* connection, const char* method, const std::string& target, int status);

    int serveRoot(MHD_Connection* connection);
    int serveViewer(MHD_Connection* connection);
    // `ordinary`: the ordinary MJPEG stream of --mjpeg-path.
    int serveStream(MHD_Connection* connection, bool replay, int* status, bool ordinary = false);
    int serveZoom(MHD_Connection* connection);
    int holdStatus(MHD_Connection* connection, int status);
    // Writes a head that never ends on the connection, until it breaks.
    void endlessHead(MHD_Connection* connection);
    int serveRecentre(MHD_Connection* connection, const std::string& program);
    bool authorised(MHD_Connection* connection, std::string* user);

    CamsimOptions m_options;
    Scene m_scene;
    // Read by connection threads, which may start before start() returns.
    std::atomic<MHD_Daemon*> m_daemon{nullptr};
    int m_port = 0;
    std::mutex m_logMutex;
    FILE* m_log = nullptr;
    FILE* m_partLog = nullptr;
    std::unique_ptr<FrameLoop> m_loop;
    std::atomic<long> m_streams{0};
    std::atomic<long> m_streamRequests{0}; // answered past authorisation, for --stream-status-from
    std::string m_sessionId;
    std::atomic<int> m_zoomBusyLeft{0};
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_rootAnswers{0}; // "/" answered with 200, for --refuse-stream
};
