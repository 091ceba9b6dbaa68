// A camera's viewer page: the OBJECT elements that embed controls, with
// their class identifiers, sizes and PARAMs, read with a real HTML parser.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct EmbeddedObject {
    std::string classId;  // the text after "clsid:", as the page wrote it
    int width = 0;        // 0 when the page gave none
    int height = 0;
    std::vector<std::pair<std::string, std::string>> params;
    // Where the object came from, for a wall of several addresses: its
    // page's address (the container's own when empty), the camera's name
    // for its cell's caption, and whether it shows a picture stream whose
    // address was given directly (read as any MJPEG stream).
    std::string pageUrl;
    std::string name;
    bool anyStream = false;
    int source = -1; // the wall's address it came from
};

// The class of the camera's image control, as a page names it.
extern const char* const kImageControlClass;

// A class identifier as text in one form, without braces and in upper
// case; empty when the text is not one.
std::string NormalisedClassId(const std::string& classText);

// The one control a viewer shows when it is given PARAMs instead of a page:
// the image control with those PARAMs.
EmbeddedObject ImageControlWithParams(const std::vector<std::pair<std::string, std::string>>& params);

// Every OBJECT element of the page, in document order. Broken markup is
// read the way a browser would recover it.
std::vector<EmbeddedObject> ParseViewerPage(const std::string& html);

// The most controls a viewer makes for one page: each has threads and a
// connection of its own, and a page is untrusted.
constexpr std::size_t kMostControlsPerPage = 64;

// Keeps the first kMostControlsPerPage objects of a page; answers the line
// that says how many were left out, empty when none was.
std::string LimitControls(std::vector<EmbeddedObject>& objects);

// "host" or "host:port" of an address with a scheme, as written, without
// user information; empty when the address has no "://" or no host.
std::string UrlAuthority(const std::string& url);

// The page's TITLE, blanks folded; empty when it has none.
std::string PageTitle(const std::string& html);

// A page's text without its tags, runs of blanks folded into one: what a
// small answer page (the camera's reply to a click) says.
std::string PageText(const std::string& html);
