// Runs camview as a user would, with a registry of its own, and collects
// what it printed; and reads one frame of a camsim stream directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ViewerRun {
    int exitCode = -1;
    std::string output; // standard output and error together
};

// A fresh registry file in a new temporary folder.
std::string TempRegistry();
// Runs camview with `arguments` (a shell word list; paths in single
// quotes). The Linux viewer with `registry` as its registry, or, in the
// test run registered for Wine (VE_WINE_TESTS set) with VE_WINDOWS_VIEWER
// naming camview.exe, that under wine64 in the Windows build's prefix.
// It runs without a proxy unless `proxy` names one ("http://host:port"),
// given to it as the environment's http_proxy.
ViewerRun RunCamview(const std::string& arguments, const std::string& registry, const std::string& proxy = "");
// The Windows viewer this run drives, or "" for the Linux one.
std::string WindowsViewer();
// The shell command that runs it under Wine (its environment set), or empty.
std::string WindowsViewerCommand();
// Runs one of Wine's own programs (taskkill ...) in the Windows viewer's
// prefix; its exit status.
int RunWine(const std::string& arguments);
// Whether the registry the viewer used holds the class key `key`.
bool RegistryHolds(const std::string& registry, const std::string& key);
// The JSON lines of `output` that contain `part`.
std::vector<std::string> LinesWith(const std::string& output, const std::string& part);
// The number after "\"t_ms\":" in a JSON line.
long TimeOf(const std::string& line);
// All that a GET of `target` on 127.0.0.1:port answers, head and body, up
// to 16 MiB (the connection must end by itself).
std::string FetchBody(int port, const std::string& target);
// The bytes of the first JPEG picture a GET of `target` on 127.0.0.1:port
// answers with (the connection must end after it).
std::vector<std::uint8_t> FetchFirstJpeg(int port, const std::string& target);
