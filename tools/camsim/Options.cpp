#include "tools/camsim/Options.h"

#include <cstdlib>
#include <cstring>

const char* CamsimUsage()
{
    return "usage: camsim [options]\n"
           "A camera simulator: a real HTTP server on 127.0.0.1 serving a camera's pages, its\n"
           "server-push picture stream and its zoom and click-and-centre programs.\n"
           "\n"
           "  --port N             listen on port N (default: chosen at start, printed)\n"
           "  --user NAME:PASS     the root page asks for these Basic credentials (401 until given)\n"
           "  --cookie             the root page sets a SESSIONID cookie; the stream requires it\n"
           "  --cookie-httponly    as --cookie, with the SESSIONID cookie marked HttpOnly\n"
           "  --other-cookie TEXT  the root page sets this cookie (NAME=VALUE and any attributes)\n"
           "                       before SESSIONID (repeatable)\n"
           "  --fps F              frames per second of the stream (default 10)\n"
           "  --unpaced            send frames as fast as the socket takes them\n"
           "  --frames N           send N frames, then close the stream\n"
           "  --final-delimiter    end a finished stream with \"--myboundary--\"\n"
           "  --log FILE           write every request as one JSON line to FILE\n"
           "  --part-log FILE      write every stream part sent (stream, number, send time) to FILE\n"
           "  --frame-dir DIR      also write every picture sent, as sent, to DIR/STREAM-NUMBER.jpg\n"
           "  --loop N             encode N frames once per size and send them in a loop\n"
           "  --objects N          put N controls on the viewer page (default 1)\n"
           "  --zoom-busy N        answer the first N zoom commands with \"Return:-2\"\n"
           "  --zoom-delay MS      answer zoom commands after MS milliseconds\n"
           "  --zoom-reply-pad B   put B bytes of padding before the zoom reply's text\n"
           "  --param NAME=VALUE   a PARAM of the viewer page's OBJECT (repeatable)\n"
           "  --page-size WxH      the OBJECT's size on the viewer page (default 320x240)\n"
           "  --other-object CLSID put an OBJECT of another class first on the viewer page, with a\n"
           "                       PARAM of its own (repeatable)\n"
           "  --mjpeg-path PATH    also serve the pictures at PATH as an ordinary MJPEG stream\n"
           "                       (a boundary of its own, CR LF line ends, a Content-Length per part)\n"
           "  --mjpeg-lf           with --mjpeg-path, LF line ends and no Content-Length\n"
           "fault options, for tests:\n"
           "  --close-after N      break the stream connection halfway through the part after N frames\n"
           "  --stall-after N      stop sending after N frames, keeping the connection open\n"
           "  --garbage-prefix     send bytes before the first boundary\n"
           "  --crlf-parts         part headers with CR LF line ends\n"
           "  --oversize-part B    make the first part B bytes long\n"
           "  --stream-status C    answer the stream request with status C\n"
           "  --stream-hang        accept the stream request and never answer it\n"
           "  --silent-streams N   the first N stream connections send their head and no part\n"
           "  --endless-head       answer the stream request with a status line 200 and header\n"
           "                       lines without end, never the empty line that ends the head\n"
           "  --refuse-stream      once \"/\" has been answered with 200 twice (a preflight opens\n"
           "                       it and sends it again), stop accepting connections: the\n"
           "                       stream's connection is refused\n"
           "  --stream-status-from N:C  answer the Nth stream request and every later one with status C\n"
           "  --stream-status-until N:C answer the first N stream requests with status C, the later ones\n"
           "                       with the stream (a camera that comes back)\n"
           "  --boundary-after     send each picture followed at once by the next part's boundary\n"
           "                       and header, in one write (the next picture follows on its own)\n"
           "  --hold-after-status MS  with --stream-status, keep the connection open for up to MS\n"
           "                       milliseconds, trickling the body; the log records who closed it\n"
           "                       (\"closed_by\":\"viewer\" or \"camera\")\n"
           "  --help               this text\n";
}

bool ParseCamsimOptions(int argc, char** argv, CamsimOptions& o, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return nullptr;
            }
            return argv[++i];
        };
        auto number = [&](const char* name, long& out) {
            const char* v = value(name);
            if (!v) return false;
            char* end = nullptr;
            out = std::strtol(v, &end, 10);
            if (!*v || *end) {
                error = std::string(name) + " takes a number, not \"" + v + "\"";
                return false;
            }
            return true;
        };
        long n = 0;
        if (a == "--port") {
            if (!number("--port", n) || n < 0 || n > 65535) return error.empty() ? (error = "--port out of range", false) : false;
            o.port = static_cast<int>(n);
        } else if (a == "--user") {
            const char* v = value("--user");
            if (!v) return false;
            if (!std::strchr(v, ':')) return error = "--user takes NAME:PASSWORD", false;
            o.user = v;
        } else if (a == "--cookie") {
            o.cookie = true;
        } else if (a == "--cookie-httponly") {
            o.cookie = true;
            o.cookieHttpOnly = true;
        } else if (a == "--other-cookie") {
            const char* v = value("--other-cookie");
            if (!v) return false;
            const char* eq = std::strchr(v, '=');
            if (!eq || eq == v || std::strpbrk(v, "\r\n")) return error = "--other-cookie takes NAME=VALUE and any attributes", false;
            o.otherCookies.emplace_back(v);
        } else if (a == "--fps") {
            const char* v = value("--fps");
            if (!v) return false;
            o.fps = std::atof(v);
            if (o.fps <= 0) return error = "--fps must be positive", false;
        } else if (a == "--unpaced") {
            o.unpaced = true;
        } else if (a == "--frames") {
            if (!number("--frames", o.frames)) return false;
        } else if (a == "--final-delimiter") {
            o.finalDelimiter = true;
        } else if (a == "--log") {
            const char* v = value("--log");
            if (!v) return false;
            o.logFile = v;
        } else if (a == "--part-log") {
            const char* v = value("--part-log");
            if (!v) return false;
            o.partLogFile = v;
        } else if (a == "--frame-dir") {
            const char* v = value("--frame-dir");
            if (!v) return false;
            o.frameDir = v;
        } else if (a == "--loop") {
            if (!number("--loop", n) || n < 1 || n > 1000) return error.empty() ? (error = "--loop takes 1 to 1000", false) : false;
            o.loop = static_cast<int>(n);
        } else if (a == "--objects") {
            if (!number("--objects", n) || n < 1 || n > 256) return error.empty() ? (error = "--objects takes 1 to 256", false) : false;
            o.objects = static_cast<int>(n);
        } else if (a == "--zoom-busy") {
            if (!number("--zoom-busy", n)) return false;
            o.zoomBusy = static_cast<int>(n);
        } else if (a == "--zoom-delay") {
            if (!number("--zoom-delay", n)) return false;
            o.zoomDelayMs = static_cast<int>(n);
        } else if (a == "--zoom-reply-pad") {
            if (!number("--zoom-reply-pad", n) || n < 0 || n > 1000000)
                return error.empty() ? (error = "--zoom-reply-pad out of range", false) : false;
            o.zoomReplyPad = static_cast<int>(n);
        } else if (a == "--param") {
            const char* v = value("--param");
            if (!v) return false;
            const char* eq = std::strchr(v, '=');
            if (!eq) return error = "--param takes NAME=VALUE", false;
            o.params.emplace_back(std::string(v, eq), std::string(eq + 1));
        } else if (a == "--other-object") {
            const char* v = value("--other-object");
            if (!v) return false;
            if (!*v || std::strpbrk(v, "\"<>&")) return error = "--other-object takes a class identifier", false;
            o.otherObjects.push_back(v);
        } else if (a == "--page-size") {
            const char* v = value("--page-size");
            if (!v || std::sscanf(v, "%dx%d", &o.pageWidth, &o.pageHeight) != 2)
                return error.empty() ? (error = "--page-size takes WxH", false) : false;
        } else if (a == "--mjpeg-path") {
            const char* v = value("--mjpeg-path");
            if (!v) return false;
            if (v[0] != '/' || std::strpbrk(v, "?#")) return error = "--mjpeg-path takes a path starting with /", false;
            o.mjpegPath = v;
        } else if (a == "--mjpeg-lf") {
            o.mjpegLf = true;
        } else if (a == "--close-after") {
            if (!number("--close-after", o.closeAfter)) return false;
        } else if (a == "--stall-after") {
            if (!number("--stall-after", o.stallAfter)) return false;
        } else if (a == "--garbage-prefix") {
            o.garbagePrefix = true;
        } else if (a == "--crlf-parts") {
            o.crlfParts = true;
        } else if (a == "--oversize-part") {
            if (!number("--oversize-part", o.oversizePart)) return false;
        } else if (a == "--stream-status") {
            if (!number("--stream-status", n)) return false;
            o.streamStatus = static_cast<int>(n);
        } else if (a == "--stream-hang") {
            o.streamHang = true;
        } else if (a == "--silent-streams") {
            if (!number("--silent-streams", o.silentStreams)) return false;
        } else if (a == "--endless-head") {
            o.endlessHead = true;
        } else if (a == "--refuse-stream") {
            o.refuseStream = true;
        } else if (a == "--stream-status-from" || a == "--stream-status-until") {
            const char* v = value(a.c_str());
            long n = 0;
            int code = 0;
            char tail = 0;
            if (!v || std::sscanf(v, "%ld:%d%c", &n, &code, &tail) != 2 || n < 1 || code < 100 || code > 999)
                return error.empty() ? (error = a + " takes N:C (N from 1, C a status code)", false) : false;
            (a == "--stream-status-from" ? o.streamStatusFrom : o.streamStatusUntil) = n;
            (a == "--stream-status-from" ? o.streamStatusLater : o.streamStatusEarly) = code;
        } else if (a == "--boundary-after") {
            o.boundaryAfter = true;
        } else if (a == "--hold-after-status") {
            if (!number("--hold-after-status", o.holdAfterStatus) || o.holdAfterStatus < 0)
                return error.empty() ? (error = "--hold-after-status takes a number of milliseconds", false) : false;
        } else {
            error = "unknown option " + a;
            return false;
        }
    }
    return true;
}
