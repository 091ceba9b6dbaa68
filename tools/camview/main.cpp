// camview: the viewer for a camera's page. This build offers the headless
// host (--headless); the desktop window comes later.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/headless/HeadlessViewer.h"

namespace {
const char* kUsage =
    "usage: camview --headless PAGE-URL [options]\n"
    "       camview --headless --page-url URL --param NAME=VALUE ... [options]\n"
    "Loads a camera's viewer page, hosts the controls it embeds and streams their pictures.\n"
    "  --duration SECONDS   how long to run (default 5)\n"
    "  --frames N           stop after N frames drawn\n"
    "  --snapshot FILE.png  write what the controls painted at the end\n"
    "  --events             print events, navigations, status and frames as JSON lines\n"
    "  --user NAME:PASS     answer the password prompt (otherwise it is cancelled)\n"
    "The desktop window is not built yet: --headless is required.\n";
}

int main(int argc, char** argv)
{
    HeadlessOptions o;
    o.modulePath = VE_MODULE_PATH;
    bool headless = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "camview: %s needs a value\n%s", a.c_str(), kUsage);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--headless") headless = true;
        else if (a == "--duration") o.durationSeconds = std::atof(next());
        else if (a == "--frames") o.frames = std::atol(next());
        else if (a == "--snapshot") o.snapshot = next();
        else if (a == "--events") o.events = true;
        else if (a == "--user") o.user = next();
        else if (a == "--page-url") o.pageUrl = next();
        else if (a == "--param") {
            const std::string p = next();
            const auto eq = p.find('=');
            if (eq == std::string::npos) {
                std::fprintf(stderr, "camview: --param takes NAME=VALUE\n");
                return 2;
            }
            o.params.emplace_back(p.substr(0, eq), p.substr(eq + 1));
        } else if (a.rfind("--", 0) == 0) {
            std::fprintf(stderr, "camview: unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        } else o.pageUrl = a;
    }
    if (!headless) {
        std::fprintf(stderr, "camview: the desktop window is not built yet; use --headless\n");
        return 2;
    }
    if (o.pageUrl.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return RunHeadless(o);
}
