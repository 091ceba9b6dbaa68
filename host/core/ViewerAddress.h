// An address as a person gives it to the viewer, on the command line or in
// the address dialog, read the way other viewers read one: a host alone (or
// a host and a path) stands for the camera's viewer page; credentials
// written in it are the user's; and the address of a camera's CGI program
// is the picture stream itself, shown by one image control.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ViewerAddress {
    std::string url;  // the address without its user information
    std::string user; // NAME:PASSWORD written in the address, or empty
    bool stream = false; // the address is the camera's picture stream
    // The PARAMs of the one image control that shows a stream address: its
    // ImagePath, and the picture's size when the address names one.
    std::vector<std::pair<std::string, std::string>> streamParams() const;
};

ViewerAddress ReadViewerAddress(const std::string& text);

// The viewer window's title for a page: "camview - " and the camera's host
// (the address when it names none); never the credentials.
std::string ViewerTitle(const std::string& pageUrl);

// What a person typed into the address dialog, as the viewer opens it:
// without surrounding blanks, and a bare host (no "://") read as the
// command line reads it, the camera's viewer page. Several addresses (a
// wall) and "wall:NAME" are kept as typed, for the viewer to read. Credentials written in
// it are kept: ReadViewerAddress takes them out.
std::string TypedAddress(const std::string& text);
// What was typed, without surrounding blanks.
std::string TrimmedText(const std::string& text);

// An address's origin as "scheme://host:port": scheme and host in lower
// case, the scheme's own port written out (80 for http, 443 for https),
// no user information. Empty for a text without "://".
std::string UrlOrigin(const std::string& url);

// The host and port of an origin, for messages ("127.0.0.1:8080").
std::string OriginHost(const std::string& origin);

// `user` (NAME:PASSWORD, given with the address `givenWith`) for a request
// to `url`: the same when `url` has the same origin, else empty.
std::string CredentialsForUrl(const std::string& givenWith, const std::string& user, const std::string& url);

// Credentials given for an address: NAME:PASSWORD, for its origin alone.
struct GivenUser {
    std::string pageUrl;
    std::string user;
};
// The credentials given for `url`'s origin among `given`, or empty.
std::string CredentialsForUrl(const std::vector<GivenUser>& given, const std::string& url);
