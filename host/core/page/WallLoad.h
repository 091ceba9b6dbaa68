// Several addresses shown as one wall: each page fetched in turn (or its
// one control made from PARAMs), its objects tagged with the page they
// came from and the camera's name, all in one list in the order given.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/core/page/PageLoad.h"
#include "platform/win/WinTypes.h"

// Fetches one source as a face does (its page, or one control from its
// PARAMs); `user` is NAME:PASSWORD given for its origin, or empty.
using FetchSource = std::function<PageLoad(const PageSource& source, const std::string& user, DWORD timeoutMs,
                                           const std::atomic<bool>& cancel)>;

// The most controls one wall makes.
constexpr std::size_t kMostControlsPerWall = 256;

struct WallLoad {
    PageLoad page;                     // every object; an error only when no address could be shown
    // Each address that could not be shown, and why in the viewer's words.
    std::vector<std::pair<std::string, std::string>> failures;
};

// Fetches each source with `fetch`. A single source gives what the face's
// fetch gave, unchanged; with several, an address that fails is told in
// `failures` and the others are shown. `done`, when given, counts the
// sources fetched so far.
WallLoad LoadWall(const std::vector<PageSource>& sources, const FetchSource& fetch,
                  const std::function<std::string(const std::string&)>& userFor, DWORD timeoutMs,
                  const std::atomic<bool>& cancel, std::atomic<int>* done = nullptr);

// The camera's name for a cell: the wall's, else the page's title, else
// the host; the second and later objects of one page numbered.
std::string CameraName(const PageSource& source, const PageLoad& page, std::size_t objectIndex);
