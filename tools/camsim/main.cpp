// camsim: a camera simulator on loopback, for the demo, the tests and the
// benchmarks.
#include <csignal>
#include <cstdio>
#include <thread>

#include "tools/camsim/Server.h"

namespace {
volatile std::sig_atomic_t g_stop = 0;
}

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            std::fputs(CamsimUsage(), stdout);
            return 0;
        }
    }
    CamsimOptions options;
    std::string error;
    if (!ParseCamsimOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "camsim: %s\n%s", error.c_str(), CamsimUsage());
        return 2;
    }
    CamsimServer server(options);
    if (!server.start(error)) {
        std::fprintf(stderr, "camsim: %s\n", error.c_str());
        return 1;
    }
    // The root first (scripts take the first address), then the page a
    // viewer opens: the root itself holds no control.
    std::printf("camsim listening on http://127.0.0.1:%d/\nviewer page: http://127.0.0.1:%d/ImageViewer\n", server.port(),
                server.port());
    std::fflush(stdout);
    std::signal(SIGINT, [](int) { g_stop = 1; });
    std::signal(SIGTERM, [](int) { g_stop = 1; });
    while (!g_stop) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    server.stop();
    return 0;
}
