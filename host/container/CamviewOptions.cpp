#include "host/container/CamviewOptions.h"

#include <cstdio>
#include <cstdlib>

namespace {

const char* kUsage =
    "usage: camview [PAGE-URL] [options]     (without an address the window asks for one)\n"
    "       camview --page-url URL --param NAME=VALUE ... [options]\n"
    "Loads a camera's viewer page, hosts the controls it embeds and shows their live pictures.\n"
    "  --param NAME=VALUE   one control with these PARAMs instead of the page's OBJECTs\n"
    "  --user NAME:PASS     answer the password prompt (otherwise it is asked, or cancelled headless)\n"
    "  --events             print events, navigations, cursor and status changes and frames as JSON lines\n"
    "  --headless           no window: run for a while and report\n"
    "  --version            print the version and exit\n"
    "Headless only:\n"
    "  --duration SECONDS   how long to run (default 5)\n"
    "  --frames N           stop after N frames drawn\n"
    "  --snapshot FILE.png  write what the controls painted at the end\n"
    "  --snapshot-every N DIR  also write DIR/frame-NNNNNN.png after every N frames drawn\n"
    "  --input FILE         replay timed input (lines: MS move X Y | MS down|up|click left|right X Y |\n"
    "                       MS wheel X Y NOTCHES | MS key Escape|p|q)\n"
    "In the window: left click centres (Real mode) or pans the zoomed picture, the held right button\n"
    "and the wheel zoom; f or F11 (or a double click on the status line) full screen, 1-9 one camera\n"
    "alone, 0 all of them, s a snapshot into the pictures folder, p the property page, Esc stops the\n"
    "stream, q or closing the window quits.\n"
    "Exit status:\n"
    "  0  headless: a picture was drawn; in a window: closed after the page was shown\n"
    "  1  the page could not be fetched, or (headless) no picture was drawn; the reason is printed\n"
    "  2  bad options, no display for a window, or no registered control on the page\n";

} // namespace

int ParseCamviewOptions(int argc, char** argv, const char* version, CamviewOptions& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        // The option's value, or null (after the usage error) when it is missing.
        auto next = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "camview: %s needs a value\n%s", a.c_str(), kUsage);
                return nullptr;
            }
            return argv[++i];
        };
        const char* value = nullptr;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--version") {
            std::printf("camview %s\n", version);
            return 0;
        } else if (a == "--headless") {
            o.headless = true;
        } else if (a == "--events") {
            o.events = true;
        } else if (a == "--duration" || a == "--frames" || a == "--snapshot" || a == "--input" || a == "--user" ||
                   a == "--page-url") {
            if (!(value = next())) return 2;
            if (a == "--duration") o.durationSeconds = std::atof(value);
            else if (a == "--frames") o.frames = std::atol(value);
            else if (a == "--snapshot") o.snapshot = value;
            else if (a == "--input") o.inputFile = value;
            else if (a == "--user") o.user = value;
            else o.pageUrl = value;
        } else if (a == "--snapshot-every") {
            if (!(value = next())) return 2;
            o.snapshotEvery = std::atol(value);
            if (!(value = next())) return 2;
            o.snapshotDir = value;
            if (o.snapshotEvery <= 0) {
                std::fprintf(stderr, "camview: --snapshot-every takes a positive number of frames and a folder\n");
                return 2;
            }
        } else if (a == "--param") {
            if (!(value = next())) return 2;
            const std::string p = value;
            const auto eq = p.find('=');
            if (eq == std::string::npos || eq == 0) {
                std::fprintf(stderr, "camview: --param takes NAME=VALUE\n");
                return 2;
            }
            o.params.emplace_back(p.substr(0, eq), p.substr(eq + 1));
        } else if (a.rfind("--", 0) == 0) {
            std::fprintf(stderr, "camview: unknown option %s\n%s", a.c_str(), kUsage);
            return 2;
        } else {
            o.pageUrl = a;
        }
    }
    // Without an address the window asks for one; headless has no one to ask.
    if (o.pageUrl.empty() && (o.headless || !o.params.empty())) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return -1;
}
