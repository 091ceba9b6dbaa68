#include "host/core/CamviewOptions.h"

#include "host/core/ViewerAddress.h"
#include "host/core/Wall.h" // the wall names only
#include "host/core/page/ViewerPage.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

const char* kUsage =
    "usage: camview [ADDRESS...] [options]   (without an address the window opens the last wall, or asks)\n"
    "       camview --page-url URL --param NAME=VALUE ... [options]\n"
    "       camview serve [ADDRESS... | --wall NAME] [--listen HOST:PORT] [--cert PEM --key PEM] [options]\n"
    "       camview serve --add-user NAME [--users FILE]\n"
    "Loads a camera's viewer page, hosts the controls it embeds and shows their live pictures; several\n"
    "addresses (pages, hosts, picture streams) make one wall of all their cameras, in the order given.\n"
    "  --param NAME=VALUE   one control with these PARAMs instead of the page's OBJECTs\n"
    "serve: hosts each camera's control once and shows it to any browser at http://HOST:PORT/\n"
    "  --listen HOST:PORT   where it listens (default 127.0.0.1:8080); an address other machines reach\n"
    "                       needs --cert and --key (TLS) and a login\n"
    "  --cert PEM --key PEM the TLS certificate (chain) and its private key\n"
    "  --add-user NAME      add (or change) a login; the password is asked, or read from standard input\n"
    "  --users FILE         the logins' file (default: camview's folder, serve-users)\n"
    "  --user NAME:PASS     answer the password prompt of the address's camera (otherwise it is asked,\n"
    "                       or cancelled headless); NAME:- reads the password from standard input\n"
    "  --fullscreen         the window starts full screen\n"
    "  --wall NAME          the cameras of the wall saved as NAME; with addresses, saves them as NAME\n"
    "  --list-walls         print the names of the walls saved, and exit\n"
    "  --keep-hidden-streams  keep receiving the cameras hidden behind one shown alone (by default\n"
    "                       their streams stop until the wall is shown again)\n"
    "  --geometry WxH[+X+Y] the window's size, and its place on the screen; headless, the size the\n"
    "                       cameras are composed in, as such a window would show them\n"
    "  --allow-class CLSID  also host this control class when a page names it (repeatable); by default\n"
    "                       only the camera's image control is loaded\n"
    "  --no-reconnect       leave a camera whose stream ended as it is (the window makes it again after\n"
    "                       1 s, doubling to 30 s, as reloading the page would)\n"
    "  --record FILE.mkv    record the camera's frames as they come (no re-encoding) into FILE.mkv until\n"
    "                       the end, a second r or Esc; several cameras go into FILE-1.mkv, FILE-2.mkv, ...\n"
    "  --threads N          spread the controls over N UI threads (1 to 64; default: one per core in\n"
    "                       the window and the service, one headless)\n"
    "  --tune LIST          what the controls do beyond a camera page's own control (default all):\n"
    "                       early-cut (a picture is shown once its JPEG is complete), socket-read\n"
    "                       (read when data arrives, not only on the 16 ms tick), scaled-decode\n"
    "                       (decode at the size shown), coalesced-tick; none for the control as is\n"
    "  --events             print events, navigations, cursor and status changes and frames as JSON lines\n"
    "  --headless           no window: run for a while and report\n"
    "  --version            print the version and exit\n"
    "Headless only:\n"
    "  --duration SECONDS   how long to run (default 5)\n"
    "  --frames N           stop after N frames drawn\n"
    "  --snapshot FILE.png  write what the controls painted at the end\n"
    "  --snapshot-every N DIR  also write DIR/frame-NNNNNN.png after every N frames drawn\n"
    "  --reconnect          make a camera whose stream ended again, as the window does, with an event\n"
    "                       for the end and for each attempt (the exit status then counts any picture)\n"
    "  --input FILE         replay timed input (lines: MS move X Y | MS down|up|click left|right X Y |\n"
    "                       MS wheel X Y NOTCHES | MS key Escape|p|q)\n"
    "In the window: left click centres (Real mode) or pans the zoomed picture, the held right button\n"
    "and the wheel zoom; f or F11 (or a double click on the status line) full screen, 1-9 (main keys\n"
    "or keypad) one camera alone, 0 all of them, Tab or the arrows select a camera and Enter shows it\n"
    "alone, s a snapshot of the camera shown alone or under the\n"
    "pointer (else of each) into the pictures folder, r records it (or every camera, one file each)\n"
    "into the videos folder until a second r, p its property page, Esc stops the streams, F5 or Enter\n"
    "reloads, h, ? or F1 lists the keys, q or closing the window quits.\n"
    "Exit status:\n"
    "  0  headless: a picture was drawn; in a window: closed after the page was shown\n"
    "  1  the page could not be fetched, or (headless) no picture was drawn; the reason is printed\n"
    "  2  bad options, no display for a window, or no registered control on the page\n"
    "  3  headless: a camera drew pictures, then none for the last 10 s or more of the run\n";

bool startsWithNoCase(const std::string& text, const char* prefix)
{
    std::size_t i = 0;
    for (; prefix[i]; ++i)
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

// A whole number above zero, all of the text; -1 otherwise.
// "all", "none" or names joined by commas.
bool parseTuning(const std::string& text, DWORD* tuning)
{
    static const std::pair<const char*, DWORD> kNames[] = {
        {"all", VIEW_TUNE_ALL},
        {"none", 0},
        {"early-cut", VIEW_TUNE_EARLY_CUT},
        {"socket-read", VIEW_TUNE_SOCKET_READ},
        {"scaled-decode", VIEW_TUNE_SCALED_DECODE},
        {"coalesced-tick", VIEW_TUNE_COALESCED_TICK},
    };
    DWORD flags = 0;
    std::size_t from = 0;
    do {
        const std::size_t comma = text.find(',', from);
        const std::string name = text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        const auto* known = std::find_if(std::begin(kNames), std::end(kNames),
                                         [&](const auto& n) { return name == n.first; });
        if (known == std::end(kNames)) return false;
        flags |= known->second;
        from = comma == std::string::npos ? text.size() + 1 : comma + 1;
    } while (from <= text.size());
    *tuning = flags;
    return true;
}

long positiveCount(const char* text)
{
    if (!text || !std::isdigit(static_cast<unsigned char>(*text))) return -1;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return errno == 0 && *end == '\0' && value > 0 ? value : -1;
}

// A number of seconds above zero, all of the text; -1 otherwise.
double positiveSeconds(const char* text)
{
    if (!text || !*text || std::isspace(static_cast<unsigned char>(*text))) return -1;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return *end == '\0' && value > 0 && value < 1e9 ? value : -1;
}

// Checks a page address given on the command line: the scheme written in
// any letter case becomes "http://" (or "https://", refused later with its
// reason), and a port must be a number from 1 to 65535. Returns the
// address, or prints why not and returns an empty text.
std::string checkedAddress(const std::string& url)
{
    std::string out = url;
    for (const char* scheme : {"http://", "https://"}) {
        if (startsWithNoCase(url, scheme)) {
            const std::size_t length = std::char_traits<char>::length(scheme);
            out = std::string(scheme) + url.substr(length);
            break;
        }
    }
    const std::size_t start = out.find("://");
    if (start == std::string::npos) return out; // refused by the page fetch, with its words
    std::string authority = out.substr(start + 3, out.find_first_of("/?#", start + 3) - (start + 3));
    authority = authority.substr(authority.rfind('@') == std::string::npos ? 0 : authority.rfind('@') + 1);
    const std::size_t close = authority.rfind(']');
    const std::size_t colon = authority.rfind(':');
    if (colon != std::string::npos && (close == std::string::npos || colon > close)) {
        const std::string port = authority.substr(colon + 1);
        const long number = port.size() <= 5 ? positiveCount(port.c_str()) : -1;
        if (number < 1 || number > 65535) {
            std::fprintf(stderr, "camview: the port \"%s\" in %s is not a number from 1 to 65535\n", port.c_str(),
                         url.c_str());
            return std::string();
        }
    }
    return out;
}

// Where a snapshot or a recording goes: a name ending in `extension`
// (".png", ".mkv"), in a folder that exists.
bool outputFileUsable(const char* option, const char* kind, const char* extension, const std::string& path)
{
    if (path.size() < 5 || !startsWithNoCase(path.substr(path.size() - 4), extension)) {
        std::fprintf(stderr, "camview: %s writes a %s file: the name must end in %s, not \"%s\"\n", option, kind,
                     extension, path.c_str());
        return false;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
        std::fprintf(stderr, "camview: cannot write %s: the folder %s does not exist\n", path.c_str(),
                     folder.string().c_str());
        return false;
    }
    return true;
}

// Replaces the "-" after NAME: by the line standard input holds.
bool readPassword(std::string& user)
{
    char line[1024];
    if (!std::fgets(line, sizeof line, stdin)) {
        std::fprintf(stderr, "camview: --user NAME:- reads the password from standard input, which holds none\n");
        return false;
    }
    std::string password = line;
    std::fill(std::begin(line), std::end(line), '\0');
    while (!password.empty() && (password.back() == '\n' || password.back() == '\r')) password.pop_back();
    user.replace(user.size() - 1, 1, password);
    std::fill(password.begin(), password.end(), '\0');
    return true;
}

} // namespace

int ParseCamviewOptions(int argc, char** argv, const char* version, CamviewOptions& o)
{
    // The addresses, by themselves or after --page-url: one page, or a
    // wall of several, in the order given.
    std::vector<ViewerAddress> addresses;
    std::string addressUser; // credentials written in the first address
    auto setAddress = [&](const char* url) {
        ViewerAddress address = ReadViewerAddress(url);
        address.url = checkedAddress(address.url);
        if (address.url.empty()) return false;
        addresses.push_back(std::move(address));
        return true;
    };
    int reconnect = -1; // -1: the default for the run
    bool keepHidden = false;
    // "camview serve ...": the cameras to browsers.
    int first = 1;
    if (argc > 1 && std::string(argv[1]) == "serve") {
        o.serve = true;
        first = 2;
    }
    for (int i = first; i < argc; ++i) {
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
        } else if (a == "--duration" || a == "--frames" || a == "--snapshot" || a == "--input" || a == "--user" || a == "--record" ||
                   a == "--page-url") {
            if (!(value = next())) return 2;
            if (a == "--duration") {
                o.durationSeconds = positiveSeconds(value);
                if (o.durationSeconds <= 0) {
                    std::fprintf(stderr, "camview: --duration takes a number of seconds above 0, not \"%s\"\n", value);
                    return 2;
                }
            } else if (a == "--frames") {
                o.frames = positiveCount(value);
                if (o.frames <= 0) {
                    std::fprintf(stderr, "camview: --frames takes a whole number of frames above 0, not \"%s\"\n", value);
                    return 2;
                }
            } else if (a == "--snapshot") {
                if (!outputFileUsable("--snapshot", "PNG", ".png", value)) return 2;
                o.snapshot = value;
            } else if (a == "--record") {
                if (!outputFileUsable("--record", "Matroska", ".mkv", value)) return 2;
                o.record = value;
            } else if (a == "--input") {
                o.inputFile = value;
            } else if (a == "--user") {
                const std::string user = value;
                if (user.find(':') == std::string::npos || user.front() == ':') {
                    std::fprintf(stderr, "camview: --user takes NAME:PASSWORD (a name, a colon, the password)\n");
                    return 2;
                }
                o.user = user;
                // NAME:- reads the password from standard input (one
                // line), so that it shows in no process list.
                if (user.compare(user.size() - 2, 2, ":-") == 0 && !readPassword(o.user)) return 2;
            } else {
                if (!setAddress(value)) return 2;
            }
        } else if (a == "--snapshot-every") {
            if (!(value = next())) return 2;
            o.snapshotEvery = positiveCount(value);
            if (!(value = next())) return 2;
            o.snapshotDir = value;
            if (o.snapshotEvery <= 0) {
                std::fprintf(stderr, "camview: --snapshot-every takes a positive number of frames and a folder\n");
                return 2;
            }
            std::error_code error;
            if (!std::filesystem::is_directory(o.snapshotDir, error)) {
                std::fprintf(stderr, "camview: --snapshot-every: the folder %s does not exist\n", o.snapshotDir.c_str());
                return 2;
            }
        } else if (a == "--reconnect" || a == "--no-reconnect") {
            reconnect = a == "--reconnect" ? 1 : 0;
        } else if (a == "--threads") {
            if (!(value = next())) return 2;
            const long threads = positiveCount(value);
            if (threads < 1 || threads > 64) {
                std::fprintf(stderr, "camview: --threads takes a whole number of threads from 1 to 64, not \"%s\"\n", value);
                return 2;
            }
            o.threads = static_cast<unsigned>(threads);
        } else if (a == "--tune") {
            if (!(value = next())) return 2;
            if (!parseTuning(value, &o.tuning)) {
                std::fprintf(stderr, "camview: --tune takes all, none or a list of early-cut, socket-read, scaled-decode, "
                                     "coalesced-tick joined by commas, not \"%s\"\n", value);
                return 2;
            }
        } else if (a == "--wall") {
            if (!(value = next())) return 2;
            o.wall = value;
        } else if (a == "--keep-hidden-streams") {
            keepHidden = true;
        } else if (a == "--list-walls") {
            o.listWalls = true;
        } else if (a == "--fullscreen") {
            o.fullScreen = true;
        } else if (a == "--geometry") {
            if (!(value = next())) return 2;
            int w = 0, h = 0, x = 0, y = 0, used = 0;
            const std::string g = value;
            const bool sized = std::sscanf(value, "%dx%d%n", &w, &h, &used) == 2;
            const bool placed = sized && static_cast<std::size_t>(used) < g.size() &&
                                std::sscanf(value + used, "%d%d", &x, &y) == 2 && (g[used] == '+' || g[used] == '-');
            if (!sized || w < 160 || h < 120 || w > 16384 || h > 16384 ||
                (static_cast<std::size_t>(used) < g.size() && !placed) || g.find(' ') != std::string::npos) {
                std::fprintf(stderr, "camview: --geometry takes WIDTHxHEIGHT[+X+Y] (at least 160x120), not \"%s\"\n", value);
                return 2;
            }
            o.width = w;
            o.height = h;
            o.placed = placed;
            o.x = x;
            o.y = y;
        } else if (o.serve && (a == "--listen" || a == "--cert" || a == "--key" || a == "--users" || a == "--add-user")) {
            if (!(value = next())) return 2;
            (a == "--listen" ? o.listen : a == "--cert" ? o.certificate : a == "--key" ? o.key : a == "--users" ? o.usersFile : o.addUser) = value;
        } else if (a == "--allow-class") {
            if (!(value = next())) return 2;
            if (NormalisedClassId(value).empty()) {
                std::fprintf(stderr, "camview: --allow-class takes a class identifier ({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}), not \"%s\"\n", value);
                return 2;
            }
            o.allowedClasses.push_back(value);
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
            if (!setAddress(a.c_str())) return 2;
        }
    }
    if (!o.wall.empty() && !WallNameUsable(o.wall)) {
        std::fprintf(stderr, "camview: --wall takes a name of letters, digits, blanks, - _ and . (64 at most), not \"%s\"\n",
                     o.wall.c_str());
        return 2;
    }
    if (addresses.size() > 1 && !o.params.empty()) {
        std::fprintf(stderr, "camview: --param makes one control: give it one address\n");
        return 2;
    }
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        const ViewerAddress& address = addresses[i];
        PageSource source{address.url, {}, {}, address.stream, {}};
        // A picture stream's address: one image control shows it.
        if (address.stream) source.params = address.streamParams();
        if (!o.params.empty()) source.params = o.params;
        o.sources.push_back(std::move(source));
        // Credentials in the first address answer the password prompt as
        // --user does (which wins); those in others, their own camera.
        if (!address.user.empty()) {
            if (i == 0) addressUser = address.user;
            else o.givenUsers.push_back({address.url, address.user});
        }
    }
    if (!o.sources.empty()) {
        o.pageUrl = o.sources.front().url;
        if (o.sources.size() == 1 && o.params.empty()) o.params = o.sources.front().params;
    }
    // The window reconnects unless told not to; headless only when asked,
    // so that its exit statuses keep what they say.
    o.reconnect = reconnect < 0 ? !o.headless : reconnect == 1;
    o.hiddenStreamsStop = !o.headless && !keepHidden;
    if (o.user.empty()) o.user = addressUser;
    if (!o.user.empty() && !o.pageUrl.empty()) o.givenUsers.insert(o.givenUsers.begin(), {o.pageUrl, o.user});
    // --param alone: one control with those PARAMs.
    if (o.sources.empty() && !o.params.empty()) o.sources.push_back({"", o.params, {}, false, {}});
    // Without an address the window asks for one; headless has no one to ask.
    if (o.serve && (o.headless || o.fullScreen)) {
        std::fprintf(stderr, "camview: serve runs without a window: --headless and --fullscreen do not apply\n");
        return 2;
    }
    if (o.serve) {
        // The service keeps its cameras until it is stopped.
        o.reconnect = reconnect != 0;
        o.hiddenStreamsStop = false;
        if (o.pageUrl.empty() && o.wall.empty() && o.addUser.empty()) {
            std::fprintf(stderr, "camview: serve needs the cameras' addresses or --wall NAME\n%s", kUsage);
            return 2;
        }
        return -1;
    }
    if (o.pageUrl.empty() && o.wall.empty() && !o.listWalls && (o.headless || !o.params.empty())) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return -1;
}

std::string GivenUserFor(const CamviewOptions& options, const std::string& pageUrl)
{
    return options.pageUrl.empty() ? options.user : CredentialsForUrl(options.pageUrl, options.user, pageUrl);
}
