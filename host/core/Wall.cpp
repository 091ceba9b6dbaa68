#include "host/core/Wall.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "host/core/UserFolders.h"
#include "host/core/CamviewOptions.h"
#include "host/core/ViewerAddress.h"
#include "host/core/page/ViewerPage.h"

namespace {

constexpr std::size_t kLongestWallFile = 1 << 20;
constexpr std::size_t kMostCameras = 256;

std::filesystem::path lastWallFile() { return WallsFolder() / ".last"; }

bool writeReplacing(const std::filesystem::path& file, const std::string& text)
{
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    const std::filesystem::path fresh = file.string() + ".new";
    {
        std::ofstream out(fresh, std::ios::binary | std::ios::trunc);
        if (!(out << text) || !out.flush()) return false;
    }
    std::filesystem::rename(fresh, file, error);
    return !error;
}

} // namespace

bool ReadWall(const std::string& text, std::vector<WallCamera>& cameras, std::string& error)
{
    cameras.clear();
    std::istringstream in(text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = TrimmedText(line);
        if (line.empty() || line.front() == '#') continue;
        const std::string where = "line " + std::to_string(number) + ": ";
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            error = where + "a camera is written NAME = ADDRESS [USER]";
            return false;
        }
        WallCamera camera;
        camera.name = TrimmedText(line.substr(0, equals));
        std::istringstream rest(line.substr(equals + 1));
        std::string extra;
        rest >> camera.address >> camera.user >> extra;
        if (camera.name.empty() || camera.address.empty() || !extra.empty()) {
            error = where + "a camera is written NAME = ADDRESS [USER]";
            return false;
        }
        if (!ReadViewerAddress(camera.address).user.empty() || camera.user.find(':') != std::string::npos) {
            error = where + "a wall holds no passwords (the system's secret store keeps them)";
            return false;
        }
        if (cameras.size() == kMostCameras) {
            error = where + "a wall holds " + std::to_string(kMostCameras) + " cameras at most";
            return false;
        }
        cameras.push_back(std::move(camera));
    }
    return true;
}

std::string WallText(const std::vector<WallCamera>& cameras)
{
    std::string text = "# camview wall: one camera a line, NAME = ADDRESS [USER]; passwords are never kept here\n";
    for (const WallCamera& c : cameras) {
        // A name is one line and holds no '=' (the address's start).
        std::string name = c.name;
        std::replace_if(name.begin(), name.end(), [](char ch) { return ch == '=' || ch == '\n' || ch == '\r'; }, ' ');
        name = TrimmedText(name);
        if (name.empty()) name = UrlAuthority(ReadViewerAddress(c.address).url);
        if (name.empty()) name = c.address;
        text += name + " = " + c.address + (c.user.empty() ? "" : " " + c.user) + "\n";
    }
    return text;
}

std::filesystem::path WallsFolder() { return RecentAddressesFile().parent_path() / "walls"; }

std::vector<std::string> SavedWalls()
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(WallsFolder(), error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file(error) && WallNameUsable(name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool LoadWall(const std::string& name, std::vector<WallCamera>& cameras, std::string& error)
{
    if (!WallNameUsable(name)) {
        error = "\"" + name + "\" is no wall's name (letters, digits, blanks, - _ and ., 64 at most)";
        return false;
    }
    const std::filesystem::path file = WallsFolder() / name;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "there is no wall \"" + name + "\" (" + file.string() + ")";
        return false;
    }
    std::string text(kLongestWallFile + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kLongestWallFile) {
        error = file.string() + " is too long for a wall";
        return false;
    }
    if (!ReadWall(text, cameras, error)) {
        error = file.string() + ", " + error;
        return false;
    }
    if (cameras.empty()) {
        error = "the wall \"" + name + "\" holds no camera";
        return false;
    }
    return true;
}

bool SaveWall(const std::string& name, const std::vector<WallCamera>& cameras, std::string& error)
{
    if (!WallNameUsable(name)) {
        error = "\"" + name + "\" is no wall's name (letters, digits, blanks, - _ and ., 64 at most)";
        return false;
    }
    const std::filesystem::path file = WallsFolder() / name;
    if (!writeReplacing(file, WallText(cameras))) {
        error = "cannot write the wall " + file.string();
        return false;
    }
    RememberLastWall(name);
    return true;
}

std::string LastWall()
{
    std::ifstream in(lastWallFile());
    std::string name;
    std::getline(in, name);
    return WallNameUsable(name) ? name : std::string();
}

void RememberLastWall(const std::string& name)
{
    if (WallNameUsable(name)) writeReplacing(lastWallFile(), name + "\n");
}

int ApplyWallOptions(CamviewOptions& o)
{
    if (o.listWalls) {
        for (const std::string& name : SavedWalls()) std::printf("%s\n", name.c_str());
        return 0;
    }
    if (o.wall.empty()) return -1;
    if (!o.sources.empty()) {
        // --wall NAME with addresses: those addresses are the wall (the
        // passwords written in them used, never saved).
        std::vector<WallCamera> cameras;
        for (const PageSource& source : o.sources)
            if (!source.url.empty()) cameras.push_back({"", source.url, ""});
        std::string why;
        if (!SaveWall(o.wall, cameras, why)) std::fprintf(stderr, "camview: %s\n", why.c_str());
        return -1;
    }
    // The wall as saved; its users are names only, the passwords in the
    // secret store.
    std::string why;
    if (!OpenWall(o.wall, o.sources, why)) {
        std::fprintf(stderr, "camview: %s\n", why.c_str());
        return 2;
    }
    o.pageUrl = o.sources.front().url;
    return -1;
}

bool OpenWall(const std::string& name, std::vector<PageSource>& sources, std::string& error)
{
    std::vector<WallCamera> cameras;
    if (!LoadWall(name, cameras, error)) return false;
    sources.clear();
    for (const WallCamera& camera : cameras) sources.push_back(WallSource(camera));
    RememberLastWall(name);
    return true;
}

PageSource WallSource(const WallCamera& camera)
{
    const ViewerAddress address = ReadViewerAddress(camera.address);
    return {address.url, address.stream ? address.streamParams() : PageParams{}, camera.name, address.stream, camera.user};
}
