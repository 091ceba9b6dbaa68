#include "host/core/page/WallLoad.h"

#include "host/core/page/ViewerPage.h"

#include <algorithm>
#include <cctype>

std::string NoControlText(const PageLoad& page)
{
    std::string text = page.name + " holds no OBJECT of a registered control";
    // The media type alone, in lower case, printable.
    std::string type = page.contentType.substr(0, page.contentType.find(';'));
    type.erase(std::remove_if(type.begin(), type.end(), [](char c) { return c <= ' ' || c > '~'; }), type.end());
    std::transform(type.begin(), type.end(), type.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
    if (page.objects.empty() && !type.empty() && type != "text/html" && type.size() <= 64)
        text += ", and is not a picture stream: " + type;
    return text;
}

std::string CameraName(const PageSource& source, const PageLoad& page, std::size_t objectIndex)
{
    std::string name = !source.name.empty() ? source.name : !page.title.empty() ? page.title : UrlAuthority(source.url);
    if (name.empty()) name = "camera";
    return objectIndex == 0 ? name : name + " " + std::to_string(objectIndex + 1);
}

namespace {

// Each object of a page told where it came from, and named for its
// caption when `named`.
void tag(PageLoad& page, const PageSource& source, int index, bool named)
{
    for (std::size_t i = 0; i < page.objects.size(); ++i) {
        page.objects[i].pageUrl = source.url;
        if (named) page.objects[i].name = CameraName(source, page, i);
        page.objects[i].source = index;
    }
}

} // namespace

WallLoad LoadWall(const std::vector<PageSource>& sources, const FetchSource& fetch,
                  const std::function<std::string(const std::string&)>& userFor, DWORD timeoutMs,
                  const std::atomic<bool>& cancel, std::atomic<int>* done)
{
    WallLoad wall;
    for (std::size_t index = 0; index < sources.size(); ++index) {
        const PageSource& source = sources[index];
        if (cancel.load(std::memory_order_acquire)) break;
        PageLoad one = fetch(source, userFor ? userFor(source.url) : std::string(), timeoutMs, cancel);
        if (done) done->fetch_add(1, std::memory_order_acq_rel);
        if (sources.size() == 1) {
            // One page alone has no captions unless its wall named it.
            tag(one, source, 0, !source.name.empty());
            wall.page = std::move(one);
            return wall;
        }
        if (!one.error.empty()) {
            wall.failures.emplace_back(source.url, one.error);
            continue;
        }
        if (one.objects.empty()) {
            wall.failures.emplace_back(source.url, NoControlText(one));
            continue;
        }
        tag(one, source, static_cast<int>(index), true);
        for (EmbeddedObject& object : one.objects) {
            if (wall.page.objects.size() == kMostControlsPerWall) {
                wall.failures.emplace_back(source.url, "a wall shows " + std::to_string(kMostControlsPerWall) +
                                                           " cameras at most; " + one.name +
                                                           " and the addresses after it are left out");
                return wall;
            }
            wall.page.objects.push_back(std::move(object));
        }
    }
    wall.page.name = sources.size() == 1 ? sources.front().url : "the wall";
    if (wall.page.objects.empty() && !sources.empty()) {
        wall.page.error = wall.failures.empty() ? "loading the wall was cancelled" : wall.failures.front().second;
        if (!wall.failures.empty()) wall.failures.erase(wall.failures.begin());
    }
    return wall;
}
