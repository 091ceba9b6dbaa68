// camsim's command line.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct CamsimOptions {
    int port = 0;
    std::string user;     // "NAME:PASSWORD"; empty: no password asked
    bool cookie = false;  // set a SESSIONID cookie at "/" and require it
    bool cookieHttpOnly = false;          // the SESSIONID cookie marked HttpOnly
    std::vector<std::string> otherCookies; // set at "/" before SESSIONID, attributes and all
    double fps = 10;
    bool unpaced = false;
    long frames = -1;     // then close; -1: endless
    bool finalDelimiter = false;
    std::string logFile;
    std::string partLogFile; // one JSON line per part sent
    std::string frameDir;    // every picture sent, as sent, into this folder
    int loop = 0;            // frames in a pre-encoded loop; 0: render every frame
    int objects = 1;         // OBJECTs on the viewer page
    std::vector<std::string> otherObjects; // class identifiers of other OBJECTs put first on the page
    int zoomBusy = 0;
    int zoomDelayMs = 0;
    int zoomReplyPad = 0; // bytes before the zoom reply's text
    long closeAfter = -1;
    long stallAfter = -1;
    long silentStreams = 0; // the first this many stream connections send no part
    bool garbagePrefix = false;
    bool crlfParts = false;
    long oversizePart = 0;
    int streamStatus = 200;
    bool streamHang = false;
    bool endlessHead = false; // the stream's answer head never ends
    bool refuseStream = false; // stop accepting once "/" has been answered with 200 twice (one preflight)
    int pageWidth = 320;
    int pageHeight = 240;
    std::vector<std::pair<std::string, std::string>> params;
    long streamStatusFrom = 0;    // from this stream request on (1 the first) ...
    int streamStatusLater = 200;  // ... answer with this status; 0: never
    long streamStatusUntil = 0;   // the first this many stream requests ...
    int streamStatusEarly = 200;  // ... are answered with this status (a camera that comes back)
    bool boundaryAfter = false; // each picture followed at once by the next part's boundary and header
    std::string mjpegPath; // also serve an ordinary MJPEG stream here; empty: none
    bool mjpegLf = false;  // that stream with LF line ends and no Content-Length
    long holdAfterStatus = 0;   // ms a non-200 stream answer keeps the connection open; 0: closes at once
};

// Parses argv; on a bad option writes the reason to `error`.
bool ParseCamsimOptions(int argc, char** argv, CamsimOptions& options, std::string& error);
const char* CamsimUsage();
